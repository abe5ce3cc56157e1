# Where the tests find the inputs the C tests use and the kt-util program;
# CTest sets both, and a run from the source tree finds the examples itself.
import os
import pathlib

import pytest

HERE = pathlib.Path(__file__).resolve().parent


@pytest.fixture(scope="session")
def examples():
    return pathlib.Path(os.environ.get("KT_EXAMPLES", HERE.parents[1] / "examples"))


@pytest.fixture(scope="session")
def kt_util_exe():
    exe = os.environ.get("KT_UTIL_EXE")
    if not exe or not os.path.exists(exe):
        pytest.skip("KT_UTIL_EXE does not name the kt-util program")
    return exe
