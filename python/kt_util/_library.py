"""Loads libkt_util and libkt_corvane and declares the C entries the
package calls.

The libraries are looked for, in this order: KT_UTIL_LIBRARY (the library
file, or the directory holding it; nowhere else when it is set); the
package's own directory (a build
tree or a wheel carries them there); the library directory of the install
that this package belongs to (named in _location.py, written by the
install); the system's dynamic loader (LD_LIBRARY_PATH, ldconfig). Only a
library of this package's ABI is taken: the soname carries the major
version, and the minor version too while the major is 0.

Neither library is reentrant. Every entry is called with the interpreter
lock held (PyDLL), so one call never overlaps another; sequences of calls
that share the libraries' state (the error log, scan cursors, captured
output) hold `lock` as well.
"""
import ctypes
import glob
import os
import threading

from ._version import __version__

_MAJOR, _MINOR = (int(part) for part in __version__.split(".")[:2])
ABI = f"{_MAJOR}.{_MINOR}" if _MAJOR == 0 else f"{_MAJOR}"

lock = threading.RLock()

_I32 = ctypes.c_int32
_P_I32 = ctypes.POINTER(ctypes.c_int32)
_P_F64 = ctypes.POINTER(ctypes.c_double)
_STR = ctypes.c_char_p
_P_STR = ctypes.POINTER(ctypes.c_char_p)
_VOID_P = ctypes.c_void_p


def _library_files(directory, stem):
    """The files in `directory` that may be `stem` of this ABI, best first."""
    names = [os.path.join(directory, f"{stem}.so.{ABI}"), os.path.join(directory, f"{stem}.so")]
    names += sorted(glob.glob(os.path.join(directory, f"{stem}.so.{ABI}.*")))
    return [name for name in names if os.path.isfile(name)]


def _places():
    """(what, file or directory) to look in, in order."""
    here = os.path.dirname(os.path.abspath(__file__))
    places = []
    override = os.environ.get("KT_UTIL_LIBRARY")
    if override:
        places.append(("KT_UTIL_LIBRARY", override))
    places.append(("the package directory", here))
    try:
        from ._location import LIBRARY_DIR
    except ImportError:
        pass
    else:
        places.append(("the install's library directory", os.path.normpath(os.path.join(here, LIBRARY_DIR))))
    return places


def _open(name):
    return ctypes.PyDLL(name, use_errno=True)


def _load():
    """(libkt_util, libkt_corvane, path of libkt_util)."""
    tried = []
    for what, place in _places():
        failures = []
        for path in [place] if os.path.isfile(place) else _library_files(place, "libkt_util"):
            try:
                # libkt_util names libkt_corvane by its soname: one loaded
                # from the same directory first is the one it gets.
                beside = _library_files(os.path.dirname(os.path.abspath(path)), "libkt_corvane")
                corvane = _open(beside[0]) if beside else None
                util = _open(path)
                return util, corvane or _open(f"libkt_corvane.so.{ABI}"), path
            except OSError as error:
                failures.append(str(error))
        if what == "KT_UTIL_LIBRARY":
            # An override that gives no library is a mistake, not a hint.
            raise ImportError(f"kt_util: KT_UTIL_LIBRARY={place} holds no libkt_util.so.{ABI} that loads"
                              + "".join(f"; {failure}" for failure in failures))
        tried += [f"{what} ({place})"] + failures
    try:
        return _open(f"libkt_util.so.{ABI}"), _open(f"libkt_corvane.so.{ABI}"), f"libkt_util.so.{ABI}"
    except OSError:
        tried.append("the system's dynamic loader")
    raise ImportError(f"kt_util: libkt_util.so.{ABI} not found; looked in " + ", ".join(tried)
                      + ". Set KT_UTIL_LIBRARY to the library or its directory.")


util, corvane, path = _load()


def _declare(lib, name, restype, *argtypes):
    entry = getattr(lib, name)
    entry.restype = restype
    entry.argtypes = argtypes


# The soname promised the ABI; the library's own version must agree: the
# same major version, and while it is 0 the same minor version, else at
# least the package's.
util.kt_util_version_number.restype = _I32
_loaded = util.kt_util_version_number()
_loaded_major, _loaded_minor = _loaded // 10000, _loaded // 100 % 100
if _loaded_major != _MAJOR or (_loaded_minor != _MINOR if _MAJOR == 0 else _loaded_minor < _MINOR):
    raise ImportError(f"kt_util {__version__}: {path} is version {_loaded_major}.{_loaded_minor}.{_loaded % 100}")

for _name, _restype, _argtypes in [
    ("kt_host_reset_errors", None, ()),
    ("kt_host_error_count", _I32, ()),
    ("kt_host_error_number", _I32, (_I32,)),
    ("kt_host_error_text", _STR, (_I32,)),
    ("kt_host_store_bytes_in_use", ctypes.c_int64, ()),
    ("kt_host_capture_output", None, (_I32,)),
    ("kt_host_output", _STR, ()),
    ("kt_host_clear_output", None, ()),
    ("kt_host_input_error", _I32, ()),
    ("c_gstore", _I32, (_I32, _P_I32, _I32, _I32)),
    ("c_fstore", None, (_I32, _P_I32, _I32)),
    ("OOWRIT", None, ()),
]:
    _declare(corvane, _name, _restype, *_argtypes)

for _name, _restype, _argtypes in [
    ("kt_util_version", _STR, ()),
    ("c_consti", None, ()),
    ("cstrp", _VOID_P, (_I32,)),
    ("STRGEA", _I32, (_STR, _P_I32, _P_I32, _I32)),
    ("STRFS", None, (_P_I32,)),
    # field tables
    ("c_cfi", _I32, (_P_I32,)),
    ("c_cfd", None, (_P_I32,)),
    ("c_cfc", _I32, (_I32, _P_I32)),
    ("c_cfr", _I32, (_I32, _STR, _P_I32)),
    ("c_cfw", _I32, (_I32, _STR, _P_I32)),
    ("c_cfngx", _I32, (_I32, _STR, _P_I32)),
    ("c_cfzfld", _I32, (_I32, _STR, _P_I32)),
    ("c_cfxgn", _I32, (_I32, _I32, _P_I32)),
    ("c_cfxga", _I32, (_I32, _I32, _I32, _P_I32, _P_I32)),
    ("c_cfxsap", _I32, (_I32, _I32, _I32, _P_STR)),
    # numbers
    ("c_vbcs2d", _I32, (_STR, _I32, _P_F64)),
    # sweep lists
    ("LPIE", _I32, (_P_I32, _P_I32, _P_I32, _P_I32, _P_I32, _P_I32)),
    ("LPD", None, (_P_I32,)),
    ("LPQ", None, (_P_I32,)),
    ("c_lpchk", _I32, (_I32, _P_I32)),
    ("LPGN", None, (_P_I32, _P_I32, _P_F64)),
    ("LPXP", _I32, (_P_I32, _P_I32, _P_I32)),
    ("LPGV", _I32, (_P_I32, _P_I32, _P_F64, _P_I32)),
    ("LPGS", _I32, (_P_I32, _P_I32, _P_I32, _P_I32)),
    # VHDL scanner
    ("vhdlutil_VHDLSrcRead", ctypes.c_int, (_STR,)),
    ("vhdlutil_GetError", _STR, ()),
    ("vhdlutil_ScanEntities", _STR, ()),
    ("vhdlutil_ScanHeader", _STR, (_STR,)),
    ("vhdlutil_ScanGenerics", _STR, (_STR, _P_STR, _P_STR, _P_STR)),
    ("vhdlutil_ScanPorts", _STR, (_STR, _P_STR, _P_STR, _P_STR, _P_STR, _P_STR)),
    ("vhdlutil_FreeAll", None, ()),
    # regular expressions
    ("c_regexp_new", _VOID_P, (_STR,)),
    ("c_regexp_free", None, (_VOID_P,)),
    ("c_regexp_error", _STR, (_VOID_P,)),
    ("c_regexp_groups", _I32, (_VOID_P,)),
    ("c_regexp_search", _I32, (_VOID_P, _STR, ctypes.POINTER(ctypes.c_int64))),
    ("c_regexp_substitute", ctypes.c_int64, (_VOID_P, _STR, ctypes.c_char_p, ctypes.c_int64)),
    # spectrum transforms
    ("TRZ2D", None, (_P_F64, _P_F64, _P_I32, _P_I32)),
    ("TRD2D", None, (_P_F64, _P_F64, _P_I32, _P_I32)),
    ("TRSFKW", None, (_P_I32, _P_I32, ctypes.c_char_p, _P_I32, _I32)),
]:
    _declare(util, _name, _restype, *_argtypes)

# The transforms read the constants block, which holds zeros until filled.
util.c_consti()

# Character i of the word store lies at byte i - 1 from this base, integer
# cell i at byte 4 (i - 1), real i at byte 8 (i - 1); it never moves.
_store_base = ctypes.c_void_p.in_dll(corvane, "kt_store_base").value


def ref(value=0):
    """A 32-bit cell for an argument passed by address."""
    return ctypes.c_int32(value)


def encode(text, what):
    """`text` as the zero-terminated bytes the C entries take."""
    if isinstance(text, bytes):
        data = text
    elif isinstance(text, str):
        data = text.encode("utf-8", "surrogateescape")
    else:
        raise TypeError(f"{what} must be str or bytes, not {type(text).__name__}")
    if b"\0" in data:
        raise ValueError(f"{what} holds a zero character: {text!r}")
    return data


def decode(data):
    """Bytes from the library as text; bytes that are not UTF-8 survive as
    surrogates, so encode() gives them back unchanged."""
    return data.decode("utf-8", "surrogateescape")


def store_text(string):
    """The bytes of word-store string `string` (0: none), zero bytes included."""
    address = util.cstrp(string)
    if not address:
        return b""
    # Its header: cell string + 1 the character block, string + 2 the length.
    length = ctypes.c_int32.from_address(_store_base + 4 * (string + 1)).value
    return ctypes.string_at(address, length)


def store_reals(block, count):
    """Reals block + 1 .. block + count of the store, as a list."""
    return list((ctypes.c_double * count).from_address(_store_base + 8 * block)) if count else []


def store_ints(block, count):
    """The view of integer cells block + 1 .. block + count, for filling."""
    return (ctypes.c_int32 * count).from_address(_store_base + 4 * block)


def new_string(data):
    """A word-store string holding `data`: its index, 0 when refused."""
    string = ref()
    util.STRGEA(data, ref(len(data)), ctypes.byref(string), len(data))
    return string.value


def free_string(string):
    util.STRFS(ctypes.byref(ref(string)))


def store_bytes_in_use():
    """Bytes held by live word-store blocks: the figure leak checks compare."""
    return corvane.kt_host_store_bytes_in_use()


def store_put_reals(block, values):
    """Fills reals block + 1 .. block + len(values) of the store."""
    if values:
        (ctypes.c_double * len(values)).from_address(_store_base + 8 * block)[:] = values


def captured_output(write):
    """What `write()` sends to the host's standard output, its last line
    ended, caught instead of printed, without the last line end."""
    with lock:
        corvane.kt_host_capture_output(1)
        corvane.kt_host_clear_output()
        try:
            write()
            corvane.OOWRIT()
            return decode(corvane.kt_host_output()).rstrip("\n")
        finally:
            corvane.kt_host_clear_output()
            corvane.kt_host_capture_output(0)
