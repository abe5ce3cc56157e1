# VHDL interfaces: the same entities, messages and refusals as kt-util vhdl
# --json gives for the example and for real sources, and the errors.
import errno
import json
import os
import pathlib
import subprocess

import pytest

import kt_util

# Real sources, read where they lie (as the C tests do).
TESTDATA = pathlib.Path(os.environ.get("KT_VHDL_TESTDATA") or os.environ.get("KT_VHDL_TESTDATA_DEFAULT", "/nonexistent"))


def _as_json(entity):
    """kt-util's form of the entity. A type keeps the spelling the process
    first met it with, so types are compared ignoring case."""
    return {
        "name": entity.name, "context": entity.context,
        "generics": [{"name": g.name, "type": _lower(g.type), "default": g.default} for g in entity.generics],
        "ports": [{"name": p.name, "kind": p.kind, "direction": (p.direction or "none").upper(), "type": _lower(p.type),
                   "constraint": p.constraint} for p in entity.ports],
    }


def _lower(text):
    return text and text.lower()


def _compare_with_tool(exe, path):
    tool = json.loads(subprocess.run([exe, "vhdl", str(path), "--json"], capture_output=True, text=True).stdout)
    for item in (item for entity in tool["entities"] for key in ("generics", "ports") for item in entity[key]):
        item["type"] = _lower(item["type"])
    try:
        entities, message = kt_util.vhdl_interfaces(path), None
    except kt_util.VhdlError as error:
        entities, message = error.entities, error.message
    assert [_as_json(e) for e in entities] == tool["entities"], path
    assert message == (f"{path}: {tool['errors'][0]['message']}" if tool["errors"] else None)


def test_example(examples, kt_util_exe):
    _compare_with_tool(kt_util_exe, examples / "sensor_frontend.vhd")
    (counter,) = [e for e in kt_util.vhdl_interfaces([examples / "sensor_frontend.vhd"]) if e.name == "pulse_counter"]
    assert counter.ports[3] == kt_util.Port("count", "signal", "out", "unsigned", "width - 1 downto 0")
    assert counter.generics == [kt_util.Generic("width", "positive", "16")]


@pytest.mark.skipif(not TESTDATA.is_dir(), reason=f"no VHDL sources at {TESTDATA} (KT_VHDL_TESTDATA)")
def test_real_sources(kt_util_exe):
    sources = sorted(p for p in TESTDATA.rglob("*") if p.suffix in (".vhd", ".vhdl", ".ams"))
    assert sources
    for path in sources:
        _compare_with_tool(kt_util_exe, path)


def test_errors(tmp_path):
    with pytest.raises(kt_util.KtFileError) as missing:
        kt_util.vhdl_interfaces(tmp_path / "missing.vhd")
    assert missing.value.errno == errno.ENOENT and isinstance(missing.value, OSError)
    with pytest.raises(kt_util.KtFileError, match="Is a directory"):
        kt_util.vhdl_interfaces(tmp_path)
    good, bad = tmp_path / "good.vhd", tmp_path / "bad.vhd"
    good.write_text("entity a is port (x : in bit); end a;\n")
    bad.write_text("entity b is\n  port (in : in bit);\nend b;\n")
    with pytest.raises(kt_util.VhdlError) as syntax:
        kt_util.vhdl_interfaces([good, bad])
    assert syntax.value.message == f"{bad}: Expecting PORT name, found 'in' on line 2."
    assert [e.name for e in syntax.value.entities] == ["a", "b"]
    # Nothing of a failed read is left over for the next one.
    assert [e.name for e in kt_util.vhdl_interfaces(os.fspath(good))] == ["a"]
