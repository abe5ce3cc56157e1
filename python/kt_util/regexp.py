"""Regular expressions with the library's matcher.

Patterns: literal characters; "." any character; "[...]" and "[^...]"
classes with ranges; "^" and "$" the start and end of the subject; "*",
"+" and "?" after an atom (always greedy); "|" alternation; "(" ")" groups
1-9; "\\c" the character c itself. A search finds the leftmost match, with
the first alternative and the longest repetition that let the rest match,
in time linear in the subject's length whatever the pattern.

The matcher works on bytes: a str is searched as UTF-8, and a non-ASCII
character counts as its bytes for ".", classes and repetitions. Spans of a
str subject are in characters, as for the re module.
"""
import ctypes
import weakref

from . import _library, errors

_util = _library.util
_GROUPS = 10


def _error(handle):
    message = _util.c_regexp_error(handle)
    return "" if message is None else _library.decode(message)


class Regexp:
    """A compiled pattern; RegexpError (a ValueError) when it does not compile."""

    def __init__(self, pattern):
        self.pattern = pattern
        handle = _util.c_regexp_new(_library.encode(pattern, "a pattern"))
        if not handle:
            raise MemoryError("no memory for a regular expression")
        if _util.c_regexp_error(handle) is not None:
            message = _error(handle)
            _util.c_regexp_free(handle)
            raise errors.RegexpError(f"bad pattern {pattern!r}: {message}")
        self._handle = handle
        self.groups = _util.c_regexp_groups(handle)
        self._finalizer = weakref.finalize(self, _util.c_regexp_free, handle)

    def _search(self, subject, spans):
        found = _util.c_regexp_search(self._handle, subject, spans)
        if found < 0:
            raise errors.RegexpError(f"searching with {self.pattern!r}: {_error(self._handle)}")
        return found

    def search(self, text):
        """The leftmost match in `text` (str or bytes) as a Match, or None."""
        subject = _library.encode(text, "a subject")
        spans = (ctypes.c_int64 * (2 * _GROUPS))()
        with _library.lock:
            if not self._search(subject, spans):
                return None
        return Match(self, text, subject, list(spans))

    def __repr__(self):
        return f"Regexp({self.pattern!r})"


class Match:
    """A match: its groups, their spans and substitutions, as in the re
    module. A group that took no part is None, its span (-1, -1)."""

    def __init__(self, regexp, text, subject, spans):
        self.re = regexp
        self.string = text
        self._subject = subject
        pairs = [(spans[2 * n], spans[2 * n + 1]) for n in range(regexp.groups + 1)]
        if isinstance(text, str):
            # Byte offsets into the UTF-8 subject as offsets in characters.
            def characters(offset):
                return len(_library.decode(subject[:offset]))
            pairs = [(characters(a), characters(b)) if a >= 0 else (a, b) for a, b in pairs]
        self._spans = pairs

    def span(self, group=0):
        return self._spans[self._group_number(group)]

    def start(self, group=0):
        return self.span(group)[0]

    def end(self, group=0):
        return self.span(group)[1]

    def _group_number(self, group):
        if not isinstance(group, int) or not 0 <= group <= self.re.groups:
            raise IndexError(f"no such group: {group!r}")
        return group

    def group(self, *groups):
        """group() or group(0) the whole match, group(n) group n, several
        numbers a tuple of them."""
        if len(groups) > 1:
            return tuple(self.group(g) for g in groups)
        start, end = self.span(groups[0] if groups else 0)
        return None if start < 0 else self.string[start:end]

    def __getitem__(self, group):
        return self.group(group)

    def groups(self, default=None):
        """Groups 1 .. n of the pattern; `default` for those that took no part."""
        return tuple(default if self.start(g) < 0 else self.group(g) for g in range(1, self.re.groups + 1))

    def expand(self, template):
        """The template with "&" replaced by the match, "\\d" by group d,
        "\\\\" and "\\&" by "\\" and "&": the library's substitution."""
        templ = _library.encode(template, "a template")
        spans = (ctypes.c_int64 * (2 * _GROUPS))()
        with _library.lock:
            # The library substitutes from its last search, which may have
            # been of another subject since.
            self.re._search(self._subject, spans)
            handle = self.re._handle
            length = _util.c_regexp_substitute(handle, templ, None, 0)
            if length >= 0:
                result = ctypes.create_string_buffer(length + 1)
                length = _util.c_regexp_substitute(handle, templ, result, length + 1)
            if length < 0:
                raise errors.RegexpError(f"substituting {template!r}: {_error(handle)}")
        data = result.raw[:length]
        return _library.decode(data) if isinstance(template, str) else data

    def __repr__(self):
        return f"<kt_util.Match span={self.span()} match={self.group()!r}>"
