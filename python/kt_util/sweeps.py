"""Sweep lists: the values a quantity is stepped through.

A Sweep is a range (from, to and a step "by", a number of points "lin" or
"log", points per decade "dec" or per octave "oct") or explicit values or
names ("in"). It is a sequence of its points, as the library expands them:
the last point of every range but "by" is exactly the end value, and "by"
keeps an end value that a whole number of steps reaches within 1e-5 of a
step.

    Sweep("dec 10 1 1e6")             # kind, density or step, from, to
    Sweep("from 1 to 1MEG dec 10")    # as str() writes it back
    Sweep("VDD 0 5 by 0.5")           # a name first; "from" and "to" optional
    Sweep("in 1 2.2 4.7K")            # values
    Sweep("in fast slow typical")     # names, when any item is not a number
"""
import collections.abc
import ctypes
import weakref

from . import _library, errors
from .numbers import parse_number

_util = _library.util
_corvane = _library.corvane
_lock = _library.lock
_byref = ctypes.byref
_ref = _library.ref

RANGE_KINDS = {"by": 1, "lin": 2, "log": 3, "dec": 4, "oct": 5}
_VALUES, _NAMES = 6, 7
_KEYWORDS = set(RANGE_KINDS) | {"from", "to", "in"}
_CHECKS = {
    1: "there is no list",
    2: "the step is 0",
    3: "there are no points",
    4: "a logarithmic range touches or crosses 0",
}


def _is_number(word):
    try:
        parse_number(word)
        return True
    except errors.NumberError:
        return False


def _parse(text):
    """(name, kind, items) of the text form of a sweep."""
    words = text.split()

    def fail(expected):
        raise ValueError(f"not a sweep: {text!r}: expected {expected}")

    name = None
    if words and words[0].lower() not in _KEYWORDS and not _is_number(words[0]):
        name, words = words[0], words[1:]
    if not words:
        fail("a range or 'in'")
    first = words[0].lower()
    if first == "in":
        items = words[1:]
        if all(_is_number(w) for w in items):
            return name, _VALUES, [parse_number(w) for w in items]
        return name, _NAMES, items
    if first in RANGE_KINDS:
        if len(words) != 4:
            fail(f"'{first} X FROM TO'")
        third, start, stop = (parse_number(w) for w in words[1:])
        return name, RANGE_KINDS[first], [start, stop, third]
    # [from] FROM [to] TO KIND X
    if first == "from":
        words = words[1:]
    if len(words) >= 2 and words[1].lower() == "to":
        del words[1]
    if len(words) != 4 or words[2].lower() not in RANGE_KINDS:
        fail("'[from] FROM [to] TO by|lin|log|dec|oct X'")
    start, stop, third = (parse_number(w) for w in (words[0], words[1], words[3]))
    return name, RANGE_KINDS[words[2].lower()], [start, stop, third]


def _free_list(sweep):
    with _lock:
        _util.LPD(_byref(_ref(sweep)))


class Sweep(collections.abc.Sequence):
    """A sweep list of the library, freed when the object goes. Built from
    its text form (see the module), or with Sweep.range() and
    Sweep.explicit(). A sweep the library cannot sweep (a zero step, no
    points, a logarithmic range through 0) raises SweepError."""

    def __init__(self, text, *, name=None, context=0):
        parsed_name, kind, items = _parse(text)
        self._make(name or parsed_name, context, kind, items)

    @classmethod
    def range(cls, kind, start, stop, third, *, name=None, context=0):
        """A range: kind "by" (third is the step), "lin" or "log" (the number
        of points), "dec" or "oct" (points per decade or octave)."""
        if kind not in RANGE_KINDS:
            raise ValueError(f"not a kind of range: {kind!r} (one of {', '.join(RANGE_KINDS)})")
        sweep = cls.__new__(cls)
        sweep._make(name, context, RANGE_KINDS[kind], [float(start), float(stop), float(third)])
        return sweep

    @classmethod
    def explicit(cls, items, *, name=None, context=0):
        """Explicit points: numbers, or names when all items are texts."""
        items = list(items)
        sweep = cls.__new__(cls)
        if items and all(isinstance(item, str) for item in items):
            sweep._make(name, context, _NAMES, items)
        else:
            sweep._make(name, context, _VALUES, [float(item) for item in items])
        return sweep

    def _make(self, name, context, kind, items):
        self._sweep = 0
        self._kind = kind
        self._points = None
        element = 4 if kind == _NAMES else 8
        with _lock:
            errors.begin()
            # The library copies the name, the items and every item string.
            temporaries = []
            data = _ref()
            try:
                name_string = _library.new_string(_library.encode(name, "a sweep name")) if name else 0
                if name and not name_string:
                    raise errors.StoreError("the word store refused the sweep's name")
                temporaries.append(name_string)
                if _corvane.c_gstore(len(items), _byref(data), element, 0):
                    raise errors.StoreError("the word store refused the sweep's items")
                if kind == _NAMES:
                    strings = [_library.new_string(_library.encode(item, "a sweep item")) for item in items]
                    temporaries += strings
                    if not all(strings):
                        raise errors.StoreError("the word store refused the sweep's names")
                    _library.store_ints(data.value, len(items))[:] = strings
                else:
                    _library.store_put_reals(data.value, items)
                sweep = _ref()
                _util.LPIE(_byref(_ref(name_string)), _byref(_ref(context)), _byref(_ref(kind)), _byref(data),
                           _byref(_ref(len(items))), _byref(sweep))
            finally:
                for string in temporaries:
                    _library.free_string(string)
                if data.value:
                    _corvane.c_fstore(len(items), _byref(data), element)
            if not sweep.value:
                failure = errors.failure("cannot make the sweep")
                if not failure.errors:
                    raise errors.StoreError("the word store refused the sweep")
                if type(failure) is errors.KtError:  # a bad context or kind
                    raise errors.SweepError(failure.message, None, failure.errors)
                raise failure
            self._sweep = sweep.value
            self._finalizer = weakref.finalize(self, _free_list, self._sweep)
            code = _util.c_lpchk(self._sweep, _byref(_ref()))
        if code:
            message = f"cannot sweep {self}: {_CHECKS.get(code, f'check code {code}')}"
            self._finalizer()
            self._sweep = 0
            raise errors.SweepError(message, code)

    def _size(self):
        """(number of points, step or ratio)."""
        points, step = _ref(), ctypes.c_double()
        _util.LPGN(_byref(_ref(self._sweep)), _byref(points), _byref(step))
        return points.value, step.value

    def points(self):
        """All points, as a tuple: floats, or texts for a sweep of names."""
        if self._points is None:
            with _lock:
                sweep = _byref(_ref(self._sweep))
                count = self._size()[0]
                if self._kind == _NAMES:
                    string, status = _ref(), _ref()
                    texts = []
                    for i in range(1, count + 1):
                        _util.LPGS(sweep, _byref(_ref(i)), _byref(string), _byref(status))
                        texts.append(_library.decode(_library.store_text(string.value)))
                    self._points = tuple(texts)
                elif self._kind == _VALUES:
                    value, status = ctypes.c_double(), _ref()
                    values = []
                    for i in range(1, count + 1):
                        _util.LPGV(sweep, _byref(_ref(i)), _byref(value), _byref(status))
                        values.append(value.value)
                    self._points = tuple(values)
                else:
                    block, expanded = _ref(), _ref()
                    _util.LPXP(sweep, _byref(block), _byref(expanded))
                    if count and not block.value:
                        raise errors.StoreError(f"the word store refused the {count} points of {self}")
                    self._points = tuple(_library.store_reals(block.value, expanded.value))
                    _corvane.c_fstore(expanded.value, _byref(block), 8)
        return self._points

    def __len__(self):
        with _lock:
            return self._size()[0]

    def __getitem__(self, index):
        points = self.points()
        return list(points[index]) if isinstance(index, slice) else points[index]

    def __iter__(self):
        return iter(self.points())

    @property
    def kind(self):
        """"by", "lin", "log", "dec", "oct", or "in" for explicit points."""
        return "in" if self._kind in (_VALUES, _NAMES) else list(RANGE_KINDS)[self._kind - 1]

    @property
    def step(self):
        """The step of a "by" or "lin" range, the ratio of a "log", "dec" or
        "oct" range, 0 for explicit points."""
        with _lock:
            return self._size()[1]

    def __str__(self):
        """The sweep as the command language writes it."""
        if not self._sweep:
            return "<no sweep>"
        return _library.captured_output(lambda: _util.LPQ(_byref(_ref(self._sweep))))

    def __repr__(self):
        return f"Sweep({str(self)!r})"
