# Field tables: the example parameter file, write/read round trips of
# random tables, the mapping face's lookup rules and the errors of files.
import errno
import random

import pytest

import kt_util


def test_example_file(examples):
    table = kt_util.read_fields(examples / "amplifier.fields")
    assert table.items() == [
        ("title", ["two-stage amplifier, inverting"]),
        ("gain", ["4.7K"]),
        ("corner", ["10MEG", "2.2E-9"]),
        ("bias", ["1.2", "3.3", "5"]),
        ("stages", ["input", "output"]),
        ("notes", ["first line\nsecond line", " indented"]),
        ("spare", [""]),
        ("flags", []),
    ]


# Characters the file form escapes or treats specially, and some it does not.
_VALUE_CHARS = list("ab1,\\# \t\n\r.") + ["é", "\u2126"]
_NAME_CHARS = list("abXY_1,\\#.") + ["é"]


def _random_table(rng):
    fields = []
    for _ in range(rng.randrange(0, 6)):
        name = rng.choice("abXY") + "".join(rng.choice(_NAME_CHARS) for _ in range(rng.randrange(0, 5)))
        values = ["".join(rng.choice(_VALUE_CHARS) for _ in range(rng.randrange(0, 12)))
                  for _ in range(rng.randrange(0, 5))]
        fields.append((name, values))
    return fields


def test_write_read_round_trip(tmp_path):
    rng = random.Random(1)
    path = tmp_path / "t.fields"
    for _ in range(300):
        fields = _random_table(rng)
        kt_util.FieldTable(fields).write(path)
        back = kt_util.read_fields(path)
        assert back.items() == fields
        # What the writer makes of what it wrote is the same file.
        first = path.read_bytes()
        back.write(path)
        assert path.read_bytes() == first


def test_mapping_face():
    table = kt_util.FieldTable({"gain": "4.7K", "bias": [1.2, 5]})
    table.append("Gain", ["10K", ""])
    assert len(table) == 3 and list(table) == ["gain", "bias", "Gain"]
    assert table["GAIN"] == ["10K", ""] and table["bias"] == ["1.2", "5"]
    assert "gAiN" in table and "gain x" not in table and "#gain" not in table
    assert table.get("missing") is None
    with pytest.raises(KeyError):
        table["missing"]
    table["gain"] = "1MEG"          # the last field of the name
    table["new"] = []
    assert table.items() == [("gain", ["4.7K"]), ("bias", ["1.2", "5"]), ("Gain", ["1MEG"]), ("new", [])]
    assert table == kt_util.FieldTable(table.items()) and table != kt_util.FieldTable()
    for name in ["", "a b", "a\tb", "#a", "a\nb"]:
        with pytest.raises(ValueError):
            table[name] = "1"
    with pytest.raises(ValueError):
        table["z"] = "zero\0byte"
    with pytest.raises(TypeError):
        table["z"] = [None]
    table.close()
    with pytest.raises(ValueError):
        len(table)


def test_file_errors(tmp_path):
    with pytest.raises(kt_util.KtFileError) as missing:
        kt_util.read_fields(tmp_path / "missing.fields")
    assert missing.value.number == 2004 and missing.value.errno == errno.ENOENT
    assert isinstance(missing.value, OSError) and "missing.fields" in missing.value.text

    with pytest.raises(kt_util.KtFileError) as unwritable:
        kt_util.FieldTable({"a": "1"}).write(tmp_path / "no" / "such.fields")
    assert unwritable.value.number == 2007

    long_line = tmp_path / "long.fields"
    long_line.write_text("a " + "x" * 2000 + "\n")
    with pytest.raises(kt_util.KtError) as too_long:
        kt_util.read_fields(long_line)
    assert too_long.value.number == 2023 and not isinstance(too_long.value, OSError)

    # A table the reader could not read back is not written; the file stays.
    kept = tmp_path / "kept.fields"
    kept.write_text("a 1\n")
    with pytest.raises(kt_util.KtError) as refused:
        kt_util.FieldTable({"a": "x" * 2000}).write(kept)
    assert refused.value.number == 2023 and kept.read_text() == "a 1\n"
