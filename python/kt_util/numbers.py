"""Numbers as the simulator's users write them: '4.7K', '1MEG', '2.2E-9'.

parse_number() is the library's checking reader: an optional sign, digits
with an optional point, then an exponent (D or E) or one scale word
(A F P N U MU M K ME MEG G T, any case), and nothing else. A scale word is
an exponent, not a factor: '4.7K' is the double nearest 4700, as
float('4.7e3') is.
"""
import ctypes

from . import _library, errors

_util = _library.util


def parse_number(text):
    """The value of `text` as a float; NumberError (a ValueError) with the
    position of the first rejected character otherwise. An empty text
    reads as 0."""
    data = _library.encode(text, "a number")
    value = ctypes.c_double()
    code = _util.c_vbcs2d(data, len(data), ctypes.byref(value))
    if code == 0:
        return value.value
    if len(data) > 50:
        raise errors.NumberError(f"not a number: {text!r} is longer than 50 characters", code)
    # The library counts bytes; the position in a str counts characters.
    is_text = isinstance(text, str)
    position = len(_library.decode(data[:code - 1])) + 1 if is_text else code
    if code > len(data):
        raise errors.NumberError(f"not a number: {text!r} ends too early", position)
    shown = text[position - 1] if is_text else data[code - 1:code]
    raise errors.NumberError(f"not a number: {text!r}, rejected at character {position} ({shown!r})", position)
