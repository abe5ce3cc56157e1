#!/usr/bin/env python3
"""kt-util seen from outside: every --json form parsed by json (strict
UTF-8, texts against a model of the writer), the manual page against the
help texts, bash completion, and progress on a terminal or not.

usage: kt_util_test.py json|manual|completion|progress KT_UTIL SOURCE_DIR [VHDL_TESTDATA]
"""
import codecs
import json
import os
import pty
import random
import re
import subprocess
import sys
import tempfile

PART, KT, SOURCE = sys.argv[1:4]
TESTDATA = os.environ.get("KT_VHDL_TESTDATA") or (sys.argv[4] if len(sys.argv) > 4 else "")
EXAMPLES = os.path.join(SOURCE, "examples")

# The writer's texts: valid UTF-8 kept, every other byte read as Latin-1.
codecs.register_error("latin1", lambda e: ("".join(map(chr, e.object[e.start:e.end])), e.end))


def text(raw):
    return raw.decode("utf-8", "latin1")


def run(*args, status=0, **kw):
    r = subprocess.run([KT, *args], capture_output=True, timeout=60, **kw)
    assert status is None or r.returncode == status, (args[:6], r.returncode, r.stderr[:500])
    return r


def document(*args, status=0):
    out = run(*args, status=status).stdout
    assert out.endswith(b"\n"), out[-100:]
    return json.loads(out.decode("utf-8"))  # raises on any byte that is not UTF-8


def temp(content, suffix):
    f = tempfile.NamedTemporaryFile(suffix=suffix, delete=False)
    f.write(content)
    f.close()
    return f.name


def check_json():
    numbers = document("number", "--json", "4.7K", "1.5KOHM", "1" * 60, "--", "-x", status=1)["numbers"]
    assert numbers[0] == {"text": "4.7K", "checked": 4700, "rejected_at": None, "lenient": 4700}
    assert [n["rejected_at"] for n in numbers[1:]] == [5, 51, 2] and numbers[1]["lenient"] == 1500

    # Any bytes at all (argv holds no zero byte): the edges of UTF-8 and random ones.
    rng = random.Random(7)
    texts = [b"\xe9", b"caf\xc3\xa9", b"\xed\xa0\x80", b"\xf4\x90\x80\x80", b"\xc0\xaf", b"\xe2\x82",
             b"\x01\x1f\x7f\"\\", "\u20ac\U0001f600".encode()]
    texts += [bytes(rng.randrange(1, 256) for _ in range(rng.randrange(1, 12))) for _ in range(300)]
    got = document("number", "--json", "--", *texts, status=1)["numbers"]
    assert [n["text"] for n in got] == [text(t) for t in texts]

    paths = document("path", "--json", "/top/A.b", "bus[x]", "*.*/..", b"caf\xe9", status=1)["paths"]
    assert paths[0]["record"] == [0x410, 0x2421, 1, 0x1412, 2, 3] and paths[0]["refused"] is None
    assert paths[0]["tokens"][2]["names"] == [{"name": "a", "index": 2}, {"name": "b", "index": 3}]
    assert paths[1]["refused"] == {"error": None, "at": 4, "message": "syntax error"}
    assert paths[2]["record"] is None and paths[2]["refused"]["error"] == 7056
    assert paths[3]["text"] == "caf\u00e9" and paths[3]["refused"] is None

    ids = document("fid", "--json", "run/out.d2.bak", "p1x", status=1)["identifiers"]
    assert ids[0]["class"] == 2 and ids[0]["code"] == "d2" and ids[0]["parts"][1] == \
        {"role": "ext", "text": "bak", "start": 12, "end": 14}
    assert ids[1] == {"text": "p1x", "class": 0, "layout": None, "kind": 0, "code": None, "parts": []}

    found = document("regex", "--json", "(ab)*c", "ababc", "xyz", b"\xe9\x01c", "--sub", "[\\1&]")
    assert found["error"] is None and [s["match"] for s in found["subjects"]] == ["ababc", None, "c"]
    assert found["subjects"][0]["groups"] == {"1": "ab"} and found["subjects"][0]["substitution"] == "[abababc]"
    assert found["subjects"][2]["subject"] == "\u00e9\u0001c"
    assert document("regex", "--json", "a**", "x", status=1) == {"pattern": "a**", "error": "nested *?+",
                                                                 "subjects": []}

    oct_sweep = document("sweep", "--json", "--name", "VDD", "1", "8", "oct", "1")
    assert oct_sweep == {"list": "VDD from 1 to 8 oct 1", "name": "VDD", "order": None, "kind": "oct",
                         "count": 4, "step": None, "ratio": 2, "points": [1, 2, 4, 8]}
    assert document("sweep", "--json", "0", "1", "by", "0.25")["step"] == 0.25
    assert document("sweep", "--json", "--order", "2", "in", "3", "-1", "2")["points"] == [3, 2, -1]
    assert document("sweep", "--json", "in", "b", "a")["points"] == ["b", "a"]

    fields = document("fields", os.path.join(EXAMPLES, "amplifier.fields"), "--json")["fields"]
    assert {"name": "corner", "values": ["10MEG", "2.2E-9"]} in fields
    odd = temp(b"title caf\xe9\x01\\n\\t, \\\\\nflags\n", ".fields")
    assert document("fields", odd, "--json")["fields"] == [
        {"name": "title", "values": ["caf\u00e9\u0001\n\t", "\\"]}, {"name": "flags", "values": []}]
    assert document("fields", odd, "get", "title", "--number", "--json", status=1)["rejected_at"] == 1
    os.unlink(odd)

    latin1 = temp(b'library ieee; use ieee.caf\xe9.all;\nentity \\caf\xe9\\ is generic (s : string := '
                  b'"r\xe9sum\xe9\x01"); port (\\p\xe9\\ : in bit); end;\n', ".vhd")
    vhdl = document("vhdl", "--json", latin1, os.path.join(EXAMPLES, "sensor_frontend.vhd"))
    first = vhdl["entities"][0]
    assert first["name"] == "\\caf\u00e9\\" and first["context"][1] == "USE ieee.caf\u00e9.all;"
    assert first["generics"][0]["default"] == '"r\u00e9sum\u00e9\u0001"' and vhdl["errors"] == []
    os.unlink(latin1)
    if os.path.isdir(TESTDATA):  # real sources, read where they are
        files = [os.path.join(d, f) for d, _, names in os.walk(TESTDATA) for f in names
                 if f.lower().endswith((".vhd", ".vhdl"))]
        real = json.loads(run("vhdl", "--json", *files, status=None).stdout.decode("utf-8"))
        assert real["entities"] and len(real["errors"]) < len(files)

    server = subprocess.Popen([KT, "channel", "serve", "--connections", "1"], stdout=subprocess.PIPE)
    port = server.stdout.readline().split()[3].decode()
    sent = document("channel", "send", "--json", "127.0.0.1", port, "9", "hi", b"\xff\x01")
    assert sent == {"replies": [{"type": 9, "length": 2, "payload": "hi", "hex": "6869"},
                                {"type": 9, "length": 2, "payload": "\u00ff\u0001", "hex": "ff01"}],
                    "error": None}
    server.wait(timeout=30)


def options(text):
    return set(re.findall(r"(?<![\w-])(--?[a-z][a-z-]*)", text))


def check_manual():
    page = open(os.path.join(SOURCE, "tools", "kt-util", "kt-util.1")).read().replace("\\-", "-")
    usage = run("--help").stdout.decode()
    commands = re.findall(r"^  ([a-z]+) ", usage.split("Commands:\n")[1], re.M)
    sections = dict(re.findall(r"^\.SS (\S+)\n(.*?)(?=^\.S[SH] )", page.split("\n.SH COMMANDS\n")[1] + ".SH ",
                               re.M | re.S))
    assert sorted(sections) == sorted(commands), (sorted(sections), commands)
    for command in commands:
        help_text = run(command, "--help").stdout.decode()
        assert options(help_text) == options(sections[command]), \
            (command, options(help_text) ^ options(sections[command]))
    assert {"--help", "--version", "-h"} <= options(page.split(".SH COMMANDS")[0])


def check_completion():
    script = os.path.join(SOURCE, "tools", "kt-util", "kt-util.bash-completion")
    cases = {"sw": "sweep", "help v": "vhdl", "sweep --o": "--order", "sweep --order ": "1 2",
             "channel s": "serve send", "fields x get --n": "--number", "vhdl " + EXAMPLES + "/sen":
             EXAMPLES + "/sensor_frontend.vhd"}
    for line, expected in cases.items():
        words = " ".join(f"'{w}'" for w in line.split(" "))
        shell = f'source {script}; COMP_WORDS=({KT} {words}); COMP_CWORD=$((${{#COMP_WORDS[@]}} - 1)); ' \
                '_kt_util; echo "${COMPREPLY[*]}"'
        got = subprocess.run(["bash", "-c", shell], capture_output=True, text=True).stdout.strip()
        assert got == expected, (line, got)


def check_progress():
    # Long enough (about a second) that the line shows after its delay.
    args = [KT, "sweep", "--json", "1", "16000000", "by", "1"]
    quiet = subprocess.run(args, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    assert quiet.returncode == 0 and quiet.stderr == b"", quiet.stderr[:200]
    master, slave = pty.openpty()
    child = subprocess.Popen(args, stdout=subprocess.DEVNULL, stderr=slave)
    os.close(slave)
    shown = b""
    while True:
        try:
            chunk = os.read(master, 4096)
        except OSError:  # the terminal's other end has closed
            break
        if not chunk:
            break
        shown += chunk
    assert child.wait() == 0
    assert re.search(rb"\rsweep: \d+% \(\d+ of 16000000 points\)\x1b\[K", shown), shown[:300]
    assert shown.endswith(b"\r\x1b[K"), shown[-100:]


{"json": check_json, "manual": check_manual, "completion": check_completion, "progress": check_progress}[PART]()
print(PART + ": ok")
