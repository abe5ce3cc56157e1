# Spectrum transforms against cmath and the closed form of a third-order
# low-pass, H = 1 / (1 + jw)^3, whose continuous phase is -3 atan(w).
import cmath
import math

import pytest

import kt_util

FREQUENCIES = [10 ** (k / 20) for k in range(-60, 61)]
LOWPASS = [1 / (1 + 1j * w) ** 3 for w in FREQUENCIES]


def test_lowpass():
    assert kt_util.magnitude(LOWPASS) == [math.sqrt(z.real ** 2 + z.imag ** 2) for z in LOWPASS]
    assert all(math.isclose(d, 20 * math.log10(abs(z)), abs_tol=1e-13)
               for d, z in zip(kt_util.decibels(LOWPASS), LOWPASS))
    assert kt_util.phase(LOWPASS) == [cmath.phase(z) for z in LOWPASS]
    unwrapped = [-3 * math.atan(w) for w in FREQUENCIES]
    assert all(math.isclose(p, u, abs_tol=1e-13) for p, u in zip(kt_util.continuous_phase(LOWPASS), unwrapped))
    assert all(math.isclose(p, math.degrees(u), abs_tol=1e-11)
               for p, u in zip(kt_util.continuous_phase(LOWPASS, degrees=True), unwrapped))
    assert kt_util.transform(LOWPASS, "real") == [z.real for z in LOWPASS]
    assert kt_util.transform(LOWPASS, "IMAG") == [z.imag for z in LOWPASS]


def test_zeros_and_reals():
    assert kt_util.decibels([0j, 3 + 4j]) == [-1000.0, 20 * math.log10(5)]
    assert kt_util.transform([0, 100.0], "log10") == [-1000.0, 2.0]
    assert kt_util.phase([0j, -1.0, 2], degrees=True) == [0.0, 180.0, 0.0]
    assert kt_util.magnitude([-2, 3.5]) == [2.0, 3.5]
    assert kt_util.transform([-2.0], "imag") == [0.0]
    assert kt_util.magnitude([]) == []


def test_labels():
    assert kt_util.label("continuous_phase", long=True) == "Continuous Phase (rad)"
    assert kt_util.label(4) == "RAD" and kt_util.label("db", long=True) == "dB"
    for bad in [0, 10, "phase (rad)", True]:
        with pytest.raises(ValueError):
            kt_util.label(bad)


def test_numpy_arrays():
    numpy = pytest.importorskip("numpy")
    grid = numpy.array(LOWPASS).reshape(11, 11)
    for kind in kt_util.TRANSFORMS:
        result = kt_util.transform(grid, kind)
        assert isinstance(result, numpy.ndarray) and result.shape == (11, 11) and result.dtype == numpy.float64
        assert result.ravel().tolist() == kt_util.transform(LOWPASS, kind)
    reals = numpy.array([-2.0, 0.0, 10.0], dtype=numpy.float32)
    assert kt_util.decibels(reals).tolist() == kt_util.decibels([-2.0, 0.0, 10.0])
