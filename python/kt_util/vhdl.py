"""The interfaces of VHDL and VHDL-AMS models: every entity of a set of
sources with its context clauses, generics and ports.

The library's scanner reads only what an interface needs and skips
architecture bodies; it is not a VHDL parser. Names are compared without
regard to case, so an entity declared in two files is one entity.
"""
import ctypes
import os
from dataclasses import dataclass, field
from typing import List, Optional

from . import _library, errors

_util = _library.util
_decode = _library.decode


@dataclass
class Generic:
    name: str
    type: Optional[str]
    default: Optional[str]  # the default value's tokens joined by single blanks


@dataclass
class Port:
    name: str
    kind: str                 # "signal", "terminal" or "quantity"
    direction: Optional[str]  # "in", "out", "inout", "buffer", "linkage"; None when not given
    type: Optional[str]
    constraint: Optional[str]  # the index constraint's tokens joined by single blanks


@dataclass
class Entity:
    name: str
    context: List[str] = field(default_factory=list)  # "LIBRARY x;" and "USE x.y;" lines
    generics: List[Generic] = field(default_factory=list)
    ports: List[Port] = field(default_factory=list)


def _text(data):
    return None if data is None else _decode(data)


def _entity(name):
    """The entity of that name from the scanner's tables. Every scan runs
    to its end, which readies it for the next entity."""
    context = []
    line = _util.vhdlutil_ScanHeader(name)
    while line is not None:
        context.append(_decode(line).rstrip("\n"))
        line = _util.vhdlutil_ScanHeader(name)
    generics = []
    g_name, g_type, g_value = (ctypes.c_char_p() for _ in range(3))
    while _util.vhdlutil_ScanGenerics(name, ctypes.byref(g_name), ctypes.byref(g_type),
                                      ctypes.byref(g_value)) is not None:
        generics.append(Generic(_decode(g_name.value), _text(g_type.value), _text(g_value.value)))
    ports = []
    p_name, p_type, p_kind, p_direction, p_constraint = (ctypes.c_char_p() for _ in range(5))
    while _util.vhdlutil_ScanPorts(name, ctypes.byref(p_name), ctypes.byref(p_type), ctypes.byref(p_kind),
                                   ctypes.byref(p_direction), ctypes.byref(p_constraint)) is not None:
        direction = _decode(p_direction.value).lower()
        ports.append(Port(_decode(p_name.value), _text(p_kind.value), None if direction == "none" else direction,
                          _text(p_type.value), _text(p_constraint.value)))
    return Entity(_decode(name), context, generics, ports)


def vhdl_interfaces(paths):
    """The entities that the sources declare, sorted by name. `paths` is one
    path or an iterable of them. A source that cannot be read raises
    KtFileError (an OSError); one with a syntax error the scanner stops at
    raises VhdlError (a ValueError) with the scanner's message, whose
    `entities` are those read until then."""
    if isinstance(paths, (str, bytes, os.PathLike)):
        paths = [paths]
    with _library.lock:
        _util.vhdlutil_FreeAll()
        try:
            for path in paths:
                ctypes.set_errno(0)
                if _util.vhdlutil_VHDLSrcRead(_library.encode(os.fsencode(path), "a file name")):
                    continue
                message = _util.vhdlutil_GetError()
                # The scanner names a source it could not open or read, with
                # the system's reason; such a failure is the file's, not a
                # syntax error.
                if message is None or message.startswith((b"Cannot open '", b"Cannot read '")):
                    errno = ctypes.get_errno()
                    text = _decode(message).rstrip(".") if message else (
                        f"cannot read the VHDL source {os.fspath(path)!r}"
                        + (f": {os.strerror(errno)}" if errno else ""))
                    raise errors.KtFileError(text, errno=errno, filename=os.fspath(path))
                raise errors.VhdlError(f"{os.fspath(path)}: {_decode(message)}", os.fspath(path), _entities())
            return _entities()
        finally:
            _util.vhdlutil_FreeAll()


def _entities():
    """Every entity of the scanner's tables, sorted by name."""
    names = []
    name = _util.vhdlutil_ScanEntities()
    while name is not None:
        names.append(name)
        name = _util.vhdlutil_ScanEntities()
    return [_entity(name) for name in sorted(names)]
