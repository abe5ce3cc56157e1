"""libkt_util from Python: field tables and parameter files, engineering
numbers, sweep lists, VHDL-AMS interfaces, regular expressions and spectrum
transforms, through the library's C entries (ctypes; nothing to compile).

Structures the library keeps in its word store are freed when their Python
object goes. Failures raise KtError or one of its subclasses, carrying the
numbered errors the library raised.
"""
from ._version import __version__
from ._library import store_bytes_in_use
from .errors import (KtError, KtFileError, NumberError, RegexpError, StoreError, SweepError,
                     VhdlError)
from .fields import FieldTable, read_fields
from .numbers import parse_number
from .regexp import Match, Regexp
from .transforms import TRANSFORMS, continuous_phase, decibels, label, magnitude, phase, transform
from .sweeps import Sweep
from .vhdl import Entity, Generic, Port, vhdl_interfaces

__all__ = [
    "__version__", "store_bytes_in_use",
    "KtError", "KtFileError", "NumberError", "RegexpError", "StoreError", "SweepError", "VhdlError",
    "FieldTable", "read_fields", "parse_number", "Regexp", "Match",
    "TRANSFORMS", "transform", "magnitude", "decibels", "phase", "continuous_phase", "label",
    "Sweep", "Entity", "Generic", "Port", "vhdl_interfaces",
]
