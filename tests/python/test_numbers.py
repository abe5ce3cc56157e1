# The checking number reader against a model of its grammar that converts
# with Python's float(): which texts it takes, their values, and where it
# rejects the others.
import random
import re

import pytest

import kt_util

_SCALES = {"a": -18, "f": -15, "p": -12, "n": -9, "u": -6, "mu": -6, "m": -3, "k": 3, "me": 6, "meg": 6,
           "g": 9, "t": 12}
_GRAMMAR = re.compile(r"([+-]?(?:\d+\.?\d*|\.\d+))(?:[de]([+-]?\d+)|(" + "|".join(_SCALES) + r"))?", re.I)


def model(text):
    """The value the grammar gives the text, None when it rejects it."""
    if text == "":
        return 0.0
    m = _GRAMMAR.fullmatch(text)
    if not m or len(text) > 50:
        return None
    exponent = m.group(2) or (str(_SCALES[m.group(3).lower()]) if m.group(3) else "0")
    return float(m.group(1) + "e" + exponent)


def viable(prefix):
    """Whether some text that begins with the prefix is a number."""
    return any(model(prefix + end) is not None for end in ("", "0"))


def check(text):
    expected = model(text)
    if expected is not None:
        assert kt_util.parse_number(text) == expected, text
        return
    with pytest.raises(kt_util.NumberError) as rejected:
        kt_util.parse_number(text)
    p = rejected.value.position
    if len(text) > 50:
        assert p == 51
    elif p == len(text) + 1:
        assert viable(text), text   # a number cut short
    else:
        # The first character after which no number can follow; a scale
        # word of two or three letters is rejected at its last.
        first = next(q for q in range(1, len(text) + 1) if not viable(text[:q]))
        assert p == first or text[first - 1:p].upper() in ("MU", "ME", "MEG"), (text, p)


def test_example_numbers(examples):
    lines = (examples / "numbers.txt").read_text().splitlines()
    texts = [line for line in lines if line and not line.startswith("#")]
    for text in texts:
        check(text)
    assert kt_util.parse_number("4.7K") == 4700.0 and kt_util.parse_number("3.3MU") == 3.3e-6
    rejected = {}
    for text in texts:
        try:
            kt_util.parse_number(text)
        except kt_util.NumberError as e:
            rejected[text] = e.position
    assert rejected == {"10KOHM": 4, "1MIL": 3, "1.2.3": 4}


def test_random_texts():
    rng = random.Random(2)
    alphabet = "0123456789.+-eEdDkKmMgGuUaA x"
    for _ in range(20000):
        check("".join(rng.choice(alphabet) for _ in range(rng.randrange(0, 9))))
    for _ in range(2000):
        text = f"{rng.uniform(-1e6, 1e6):.{rng.randrange(1, 17)}g}"
        check(text + rng.choice(["", "k", "MEG", "u", "E-3", "p"]))
    check("1" * 50)
    check("1" * 51)


def test_characters_and_bytes():
    with pytest.raises(kt_util.NumberError) as rejected:
        kt_util.parse_number("4.7\u00b5")
    assert rejected.value.position == 4 and isinstance(rejected.value, ValueError)
    assert kt_util.parse_number(b"22p") == 22e-12
    with pytest.raises(kt_util.NumberError) as rejected:
        kt_util.parse_number("1E+")
    assert rejected.value.position == 4
