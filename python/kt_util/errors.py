"""Exceptions of the package.

The library reports failures as results and raises numbered errors in the
host's error log; a face that gets a failure result raises one of these,
carrying the numbered errors its call raised. Every exception of the
package is a KtError; those about bad input are ValueErrors too, those
about files OSErrors too.
"""
import os

from . import _library

_corvane = _library.corvane


class KtError(Exception):
    """A failure of the library.

    `errors` lists the numbered errors the failing call raised, as
    (number, text) pairs in order; `number` and `text` are the first of
    them, None when the call raised none."""

    def __init__(self, message, errors=()):
        super().__init__(message)
        self.message = message
        self.errors = list(errors)
        self.number, self.text = self.errors[0] if self.errors else (None, None)

    def __str__(self):
        return self.message


class KtFileError(KtError, OSError):
    """A file could not be read or written; `errno` is the system's reason
    where the library tells it, `filename` the file."""

    def __init__(self, message, errors=(), errno=None, filename=None):
        super().__init__(message, errors)
        self.errno = errno or None
        self.strerror = os.strerror(errno) if errno else None
        self.filename = filename


class StoreError(KtError, MemoryError):
    """The word store refused space."""


class NumberError(KtError, ValueError):
    """The checking number reader rejected a text: `position` is the
    1-based position of the rejected character (one past the end when the
    text ends too early; 51 for a text of more than 50 characters)."""

    def __init__(self, message, position):
        super().__init__(message)
        self.position = position


class SweepError(KtError, ValueError):
    """A sweep that cannot be swept; `code` is the library's check code."""

    def __init__(self, message, code, errors=()):
        super().__init__(message, errors)
        self.code = code


class RegexpError(KtError, ValueError):
    """A pattern that does not compile, or a failed search."""


class VhdlError(KtError, ValueError):
    """A VHDL source with a syntax error the scanner stopped at; `filename`
    is the source, `entities` what was read before the error."""

    def __init__(self, message, filename, entities=()):
        super().__init__(message)
        self.filename = filename
        self.entities = list(entities)


def begin():
    """Empties the error log before a call whose errors are to be read.
    The caller holds _library.lock until it has read them."""
    _corvane.kt_host_reset_errors()


def logged():
    """The numbered errors raised since begin(), as (number, text) pairs."""
    return [(_corvane.kt_host_error_number(k), _library.decode(_corvane.kt_host_error_text(k)))
            for k in range(1, _corvane.kt_host_error_count() + 1)]


def describe(what, errors):
    """`what`, followed by the numbered errors."""
    return "; ".join([what] + [f"error {number}: {text}" for number, text in errors])


# Errors about files: cannot open for reading or writing, renaming and
# removal failed, a read or write failed.
_FILE_ERRORS = {2004, 2007, 2013, 2015, 2064}
_NO_MEMORY = 2012


def failure(what, filename=None, errno=None):
    """The exception for a failure of `what`, by the first error logged
    since begin(): a KtFileError (with `filename` and `errno`) for a file
    error, a StoreError for an exhausted store, else a KtError."""
    errors = logged()
    message = describe(what, errors)
    first = errors[0][0] if errors else None
    if first in _FILE_ERRORS:
        return KtFileError(message, errors, errno, filename)
    if first == _NO_MEMORY:
        return StoreError(message, errors)
    return KtError(message, errors)
