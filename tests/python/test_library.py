# The package's hold on the libraries: which library it loads, that
# word-store structures go with their objects, and that refusals of the
# store become StoreErrors carrying the library's error.
import ctypes
import gc
import os
import subprocess
import sys

import pytest

import kt_util
from kt_util import _library

CYCLES = 100_000


def test_version_and_override(tmp_path):
    assert _library.util.kt_util_version().decode() == kt_util.__version__
    # KT_UTIL_LIBRARY names the library to load: a file, or its directory.
    directory = os.path.dirname(_library.path)
    for override in (_library.path, directory):
        code = "import kt_util, kt_util._library as l; print(l.path)"
        env = dict(os.environ, KT_UTIL_LIBRARY=override)
        out = subprocess.run([sys.executable, "-c", code], env=env, capture_output=True, text=True, check=True)
        assert os.path.dirname(out.stdout.strip()) == directory
    # An override that names no library is an error, not a hint.
    env = dict(os.environ, KT_UTIL_LIBRARY=str(tmp_path))
    failed = subprocess.run([sys.executable, "-c", "import kt_util"], env=env, capture_output=True, text=True)
    assert failed.returncode and f"KT_UTIL_LIBRARY={tmp_path}" in failed.stderr


def test_no_leaks(tmp_path):
    """Every structure is given back when its object goes: the store holds
    the same bytes after many cycles as before."""
    path = tmp_path / "p.fields"
    kt_util.FieldTable({"gain": "4.7K", "corner": ["10MEG", "2.2E-9"]}).write(path)
    gc.collect()
    before = kt_util.store_bytes_in_use()
    for _ in range(CYCLES):
        table = kt_util.FieldTable({"gain": "4.7K", "corner": ["10MEG", "2.2E-9"]})
        table["gain"] = "10K"
        sweep = kt_util.Sweep("dec 10 1 1MEG")
        sweep.points()
    for _ in range(CYCLES // 100):
        kt_util.read_fields(path).items()
        list(kt_util.Sweep("corner in fast slow"))
    del table, sweep
    gc.collect()
    assert kt_util.store_bytes_in_use() == before


def test_store_refusals():
    refuse_after = _library.corvane.kt_host_fail_store_after
    refuse_after.argtypes = [ctypes.c_int32]
    try:
        refuse_after(0)
        with pytest.raises(kt_util.StoreError):
            kt_util.FieldTable()
        refuse_after(-1)
        table = kt_util.FieldTable()
        refuse_after(0)
        with pytest.raises(kt_util.StoreError):
            table["a"] = "1"
        with pytest.raises(kt_util.StoreError):
            kt_util.Sweep("dec 10 1 1MEG")
    finally:
        refuse_after(-1)
    table["b"] = ["2", "3"]
    assert table["b"] == ["2", "3"]


def test_store_refusal_in_a_read(examples):
    refuse_after = _library.corvane.kt_host_fail_store_after
    refuse_after.argtypes = [ctypes.c_int32]
    before = kt_util.store_bytes_in_use()
    try:
        refuse_after(6)
        with pytest.raises(kt_util.StoreError) as refused:
            kt_util.read_fields(examples / "amplifier.fields")
    finally:
        refuse_after(-1)
    assert refused.value.number == 2012 and "cfr" in refused.value.text
    del refused   # its traceback holds the table being read
    gc.collect()
    assert kt_util.store_bytes_in_use() == before
