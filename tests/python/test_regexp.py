# Regular expressions: searches compared with the re module on random
# patterns where the two languages agree, the compile errors, substitution,
# and the netlist example of the C tests.
import random
import re

import pytest

import kt_util


def _random_pattern(rng, depth=0):
    pieces = []
    for _ in range(rng.randrange(1, 4)):
        roll = rng.random()
        if roll < 0.15 and depth < 2:
            atom = "(" + _random_pattern(rng, depth + 1) + ")"
        elif roll < 0.25:
            atom = rng.choice(["[ab]", "[^a]", "[a-c]", "."])
        else:
            atom = rng.choice("abc")
        pieces.append(atom + rng.choice(["", "", "*", "+", "?"]))
    pattern = "".join(pieces)
    if rng.random() < 0.2 and depth < 2:
        pattern += "|" + _random_pattern(rng, depth + 1)
    return rng.choice(["", "", "^"]) + pattern + rng.choice(["", "", "$"])


def test_agrees_with_re():
    rng = random.Random(3)
    compared = 0
    for _ in range(3000):
        pattern = _random_pattern(rng)
        try:
            ours = kt_util.Regexp(pattern)
        except kt_util.RegexpError:
            continue   # an empty operand of * or +, which re takes
        theirs = re.compile(pattern)
        assert ours.groups == theirs.groups
        for _ in range(5):
            subject = "".join(rng.choice("abcd") for _ in range(rng.randrange(0, 10)))
            m, n = ours.search(subject), theirs.search(subject)
            assert (m is None) == (n is None), (pattern, subject)
            if m:
                assert [m.span(g) for g in range(ours.groups + 1)] == [n.span(g) for g in range(ours.groups + 1)], \
                    (pattern, subject)
                assert m.groups() == n.groups()
            compared += 1
    assert compared > 10000


@pytest.mark.parametrize("pattern, message", [
    ("a**", "nested *?+"), ("(a*)*", "*+ operand could be empty"), ("*x", "?+* follows nothing"),
    ("(ab", "unmatched ()"), ("ab)", "unmatched ()"), ("[z-a]", "invalid [] range"), ("[ab", "unmatched []"),
    ("a\\", "trailing \\"), ("(a)(a)(a)(a)(a)(a)(a)(a)(a)(a)", "too many ()"),
])
def test_compile_errors(pattern, message):
    with pytest.raises(kt_util.RegexpError) as bad:
        kt_util.Regexp(pattern)
    assert str(bad.value) == f"bad pattern {pattern!r}: {message}" and isinstance(bad.value, ValueError)


def test_substitution_and_text():
    two = kt_util.Regexp("(x)(y)")
    first = two.search("axyb")
    two.search("--xy")        # the library keeps only its last search
    assert first.expand("[\\2\\1&\\\\\\&]") == "[yxxy\\&]" and first.span() == (1, 3)
    assert kt_util.Regexp("(a)|(b)").search("b").groups("-") == ("-", "b")
    # Spans of a str count characters, though the matcher counts bytes.
    wide = kt_util.Regexp("(éé)+z").search("aééééz")
    assert wide.span() == (1, 6) and wide.span(1) == (3, 5) and wide[0] == "ééééz"
    assert kt_util.Regexp(b"b+").search(b"abbc").group() == b"bb"
    with pytest.raises(ValueError):
        two.search("x\0y")
    with pytest.raises(IndexError):
        first.group(3)


def test_netlist_example(examples):
    netlist = kt_util.Regexp("^([RCL])([0-9]+) +([a-z0-9]+) +([a-z0-9]+) +([0-9.]+)([a-zA-Z]*)$")
    lines = []
    for line in (examples / "netlist.txt").read_text().splitlines():
        m = netlist.search(line)
        lines.append(m.expand("\\1\\2 = \\5 \\6 from \\3 to \\4") if m else "skipped: " + line)
    assert "R1 = 4.7 k from in to out" in lines and "R2 = 1 MEG from tank to 0" in lines
    assert "skipped: V1 in 0 DC 5" in lines
