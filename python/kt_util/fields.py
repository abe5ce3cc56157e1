"""Field tables and field files.

A field table holds ordered fields, each a name and a list of text values;
its file form, the field file, is the simulator's parameter file:

    # comment
    gain      4.7K
    bias      1.2, 3.3, \\
              5

FieldTable is a mapping of names to lists of values with the library's
lookup rules: a name finds the last field of that name, whatever the case
of its letters. Names may repeat, since fields are only ever appended, so
iterating gives the names of all fields in order and items() every field
with its own values. What write() writes, read_fields() reads back value
for value.
"""
import ctypes
import os
import weakref

from . import _library, errors

_util = _library.util
_lock = _library.lock
_byref = ctypes.byref

# What the file cannot give back in a name: a blank or tab ends it, a line
# end ends the record, a leading "#" makes a comment.
_NOT_IN_NAMES = b" \t\n\r\v\f"


def _name_bytes(name):
    """The name as the library takes it, or None when no field can have it."""
    data = _library.encode(name, "a field name")
    if not data or data.startswith(b"#") or any(c in _NOT_IN_NAMES for c in data):
        return None
    return data


def _checked_name(name):
    data = _name_bytes(name)
    if data is None:
        raise ValueError(f"not a field name: {name!r} (empty, holding white space or beginning with '#')")
    return data


def _value_bytes(value):
    # bool is an int, but True is not a parameter value anyone means.
    if isinstance(value, (int, float)) and not isinstance(value, bool):
        value = repr(value)
    return _library.encode(value, "a field value")


def _values_bytes(values):
    """A value or an iterable of values as a list of bytes."""
    if isinstance(values, (str, bytes, int, float)):
        values = [values]
    return [_value_bytes(v) for v in values]


def _free_table(table):
    with _lock:
        _util.c_cfd(_byref(_library.ref(table)))


class FieldTable:
    """A field table of the library, freed when the object goes.

    FieldTable() is empty; FieldTable(fields) appends the fields of a
    mapping or of (name, values) pairs in order. Values are texts; numbers
    are stored as repr() writes them."""

    def __init__(self, fields=None):
        table = _library.ref()
        if not _util.c_cfi(_byref(table)):
            raise errors.StoreError("the word store refused a new field table")
        self._table = table.value
        self._finalizer = weakref.finalize(self, _free_table, self._table)
        if fields is not None:
            for name, values in fields.items() if hasattr(fields, "items") else fields:
                self.append(name, values)

    def close(self):
        """Frees the table now; the object cannot be used afterwards."""
        self._finalizer()
        self._table = 0

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def _live(self):
        if not self._table:
            raise ValueError("the field table is closed")
        return self._table

    def _find(self, name):
        """The number of the last field of that name, 0 when there is none."""
        data = _name_bytes(name)
        if data is None:
            return 0
        return _util.c_cfngx(self._live(), data, _byref(_library.ref()))

    def _name(self, k):
        string = _library.ref()
        _util.c_cfxgn(self._table, k, _byref(string))
        return _library.decode(_library.store_text(string.value))

    def _values(self, k):
        count = _library.ref()
        _util.c_cfxga(self._table, k, 0, _byref(_library.ref()), _byref(count))
        strings = (ctypes.c_int32 * max(count.value, 1))()
        _util.c_cfxga(self._table, k, count.value, strings, _byref(count))
        return [_library.decode(_library.store_text(s)) for s in strings[:count.value]]

    def _set(self, k, values):
        texts = _values_bytes(values)
        if _util.c_cfxsap(self._table, k, len(texts), (ctypes.c_char_p * max(len(texts), 1))(*texts)):
            raise errors.StoreError(f"the word store refused the values of field {self._name(k)!r}")

    def __len__(self):
        with _lock:
            return _util.c_cfc(self._live(), _byref(_library.ref()))

    def __iter__(self):
        return iter(self.keys())

    def __contains__(self, name):
        with _lock:
            return self._find(name) != 0

    def __getitem__(self, name):
        """The values of the last field of that name (any case)."""
        with _lock:
            k = self._find(name)
            if not k:
                raise KeyError(name)
            return self._values(k)

    def get(self, name, default=None):
        try:
            return self[name]
        except KeyError:
            return default

    def __setitem__(self, name, values):
        """Makes `values` (one value or an iterable of them) the values of
        the last field of that name, appending a field when there is none."""
        _checked_name(name)
        with _lock:
            k = self._find(name)
            if k:
                self._set(k, values)
            else:
                self.append(name, values)

    def append(self, name, values=()):
        """Appends a field, also when one of that name exists."""
        data = _checked_name(name)
        with _lock:
            k = _util.c_cfzfld(self._live(), data, _byref(_library.ref()))
            if not k:
                raise errors.StoreError(f"the word store refused field {name!r}")
            self._set(k, values)

    def keys(self):
        """The names of all fields in order (a name may repeat)."""
        with _lock:
            return [self._name(k) for k in range(1, len(self) + 1)]

    def values(self):
        with _lock:
            return [self._values(k) for k in range(1, len(self) + 1)]

    def items(self):
        """(name, values) of every field in order."""
        with _lock:
            return [(self._name(k), self._values(k)) for k in range(1, len(self) + 1)]

    def __eq__(self, other):
        if not isinstance(other, FieldTable):
            return NotImplemented
        return self.items() == other.items()

    __hash__ = None

    def __repr__(self):
        if not self._table:
            return "<closed FieldTable>"
        return f"FieldTable({self.items()!r})"

    def read(self, path):
        """Appends the fields of a field file."""
        with _lock:
            errors.begin()
            status = _library.ref()
            if _util.c_cfr(self._live(), _path_bytes(path), _byref(status)):
                raise errors.failure(f"cannot read the field file {os.fspath(path)!r}", filename=os.fspath(path),
                                     errno=_library.corvane.kt_host_input_error())

    def write(self, path):
        """Writes the table as a field file; a regular file is replaced only
        once the new one is whole, and left as it was on failure."""
        with _lock:
            errors.begin()
            status = _library.ref()
            if _util.c_cfw(self._live(), _path_bytes(path), _byref(status)):
                raise errors.failure(f"cannot write the field file {os.fspath(path)!r}", filename=os.fspath(path))


def _path_bytes(path):
    return _library.encode(os.fsencode(path), "a file name")


def read_fields(path):
    """A new FieldTable holding the fields of a field file."""
    table = FieldTable()
    table.read(path)
    return table
