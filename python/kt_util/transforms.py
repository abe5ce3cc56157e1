"""Transforms of spectra: the real curves that are plotted of complex
analysis results.

Transforms, by name or by the library's code:

    1 "magnitude"   2 "db" (20 log10 of the magnitude)   9 "log10" (of the magnitude)
    3 "phase"       4 "continuous_phase"   (radians)
    7 "phase_deg"   8 "continuous_phase_deg"   (degrees)
    5 "real"        6 "imag"

The logarithms of a zero magnitude give -1000, the phase of one 0. The
continuous phase adds a multiple of 2 pi wherever the phase jumps by more
than 1.6 pi from one point to the next with both magnitudes non-zero.

The input is a sequence of numbers, giving a list of floats, or a NumPy
array, giving an array of float64 of the same shape (NumPy is not needed
otherwise). Real input is read as complex numbers with imaginary part 0.
"""
import ctypes
import sys

from . import _library

_util = _library.util
_P_F64 = ctypes.POINTER(ctypes.c_double)

TRANSFORMS = {"magnitude": 1, "db": 2, "phase": 3, "continuous_phase": 4, "real": 5, "imag": 6,
              "phase_deg": 7, "continuous_phase_deg": 8, "log10": 9}
# The library's real-input transform, which takes no detour through complex
# numbers, covers these; it copies the input for the others.
_REAL_CODES = {1, 2, 9}


def _code(kind):
    code = TRANSFORMS.get(kind.lower()) if isinstance(kind, str) else kind
    if code not in TRANSFORMS.values() or isinstance(code, bool):
        raise ValueError(f"not a transform: {kind!r} (one of {', '.join(TRANSFORMS)}, or 1-9)")
    return code


def _numpy_of(data):
    """NumPy, when `data` is one of its arrays; None otherwise (NumPy is
    only imported when the caller has imported it already)."""
    numpy = sys.modules.get("numpy")
    return numpy if numpy is not None and isinstance(data, numpy.ndarray) else None


def transform(data, kind):
    """The transform `kind` of every element of `data`."""
    code = _code(kind)
    numpy = _numpy_of(data)
    if numpy is not None:
        real = code in _REAL_CODES and not numpy.iscomplexobj(data)
        x = numpy.ascontiguousarray(data, dtype=numpy.float64 if real else numpy.complex128)
        y = numpy.empty(x.shape, dtype=numpy.float64)
        entry = _util.TRD2D if real else _util.TRZ2D
        entry(x.ctypes.data_as(_P_F64), y.ctypes.data_as(_P_F64), ctypes.byref(_library.ref(x.size)),
              ctypes.byref(_library.ref(code)))
        return y
    values = list(data)
    n = len(values)
    y = (ctypes.c_double * n)()
    if code in _REAL_CODES and not any(isinstance(v, complex) for v in values):
        x = (ctypes.c_double * n)(*(float(v) for v in values))
        _util.TRD2D(x, y, ctypes.byref(_library.ref(n)), ctypes.byref(_library.ref(code)))
    else:
        parts = [part for v in map(complex, values) for part in (v.real, v.imag)]
        x = (ctypes.c_double * (2 * n))(*parts)
        _util.TRZ2D(x, y, ctypes.byref(_library.ref(n)), ctypes.byref(_library.ref(code)))
    return list(y)


def magnitude(data):
    return transform(data, 1)


def decibels(data):
    return transform(data, 2)


def phase(data, degrees=False):
    return transform(data, 7 if degrees else 3)


def continuous_phase(data, degrees=False):
    return transform(data, 8 if degrees else 4)


def label(kind, long=False):
    """The library's label of a transform: short ("DB") or long ("dB")."""
    code = _code(kind)
    text = ctypes.create_string_buffer(32)
    length = _library.ref()
    _util.TRSFKW(ctypes.byref(_library.ref(code)), ctypes.byref(_library.ref(1 if long else 0)), text,
                 ctypes.byref(length), len(text))
    return _library.decode(text.raw[:length.value])
