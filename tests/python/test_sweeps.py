# Sweep lists: the points of each kind of range against their closed forms,
# the text form read back from what the library prints, explicit lists and
# the sweeps that cannot be swept.
import math

import pytest

import kt_util


def _close(points, expected):
    return len(points) == len(expected) and all(math.isclose(p, e, rel_tol=1e-12) for p, e in zip(points, expected))


# text, closed form of the points; ranges other than "by" end exactly on "to".
RANGES = [
    ("by 0.1 0 1", [i * 0.1 for i in range(11)]),
    ("0 1 by 0.3", [i * 0.3 for i in range(4)]),
    ("from 5 to 1 by 2", [5.0, 3.0, 1.0]),
    ("from 5 to 1 by -2", [5.0, 3.0, 1.0]),
    ("lin 3 0 10", [0.0, 5.0, 10.0]),
    ("lin 5 1 1", [1.0]),
    ("from 1 to 100 log 3", [1.0, 10.0, 100.0]),
    ("from 1 to 1000 dec 1", [1.0, 10.0, 100.0, 1000.0]),
    ("1 500 dec 1", [1.0, 10.0, 100.0, 500.0]),
    ("oct 1 1000 125", [1000.0, 500.0, 250.0, 125.0]),
    ("dec 10 1 1MEG", [10 ** (i / 10) for i in range(61)]),
    ("VDD from -1 to -1e-3 dec 2", [-(10 ** (-i / 2)) for i in range(7)]),
]


@pytest.mark.parametrize("text, expected", RANGES)
def test_ranges(text, expected):
    sweep = kt_util.Sweep(text)
    points = list(sweep)
    assert len(sweep) == len(points) and _close(points, expected)
    if sweep.kind == "by":
        assert points == [i * sweep.step + points[0] for i in range(len(points))]
    else:
        assert points[-1] == expected[-1]
    assert sweep[-1] == points[-1] and sweep[1:3] == points[1:3]
    again = kt_util.Sweep(str(sweep))
    assert list(again) == points and str(again) == str(sweep)


def test_explicit_and_built():
    values = kt_util.Sweep("in 5 1 4.7K")
    assert list(values) == [5.0, 1.0, 4700.0] and values.kind == "in" and values.step == 0
    names = kt_util.Sweep("corner in fast slow typical")
    assert list(names) == ["fast", "slow", "typical"] and str(names) == "corner in fast slow typical"
    assert list(kt_util.Sweep.explicit(["a", "b"], name="x")) == ["a", "b"]
    assert list(kt_util.Sweep.explicit([3, 2.5])) == [3.0, 2.5]
    built = kt_util.Sweep.range("dec", 1, 1e6, 10, name="f")
    assert str(built) == "f " + str(kt_util.Sweep("dec 10 1 1e6")) and list(built) == list(kt_util.Sweep("dec 10 1 1e6"))


@pytest.mark.parametrize("text, code", [
    ("by 0 0 1", 2), ("lin 0 0 1", 3), ("dec 0 1 10", 3), ("from -1 to 10 dec 10", 4), ("from 0 to 1 oct 2", 4),
])
def test_cannot_sweep(text, code):
    with pytest.raises(kt_util.SweepError) as refused:
        kt_util.Sweep(text)
    assert refused.value.code == code and isinstance(refused.value, ValueError)


@pytest.mark.parametrize("text", ["", "VDD", "from 1 dec 10", "dec 10 1", "1 to 2 step 3", "lin x 0 1"])
def test_not_a_sweep(text):
    with pytest.raises(ValueError):
        kt_util.Sweep(text)
