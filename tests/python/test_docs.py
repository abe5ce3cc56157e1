# The session of docs/python.md gives what the page shows.
import os
import pathlib

from check_docs import run_page

PAGE = pathlib.Path(os.environ.get("KT_PYTHON_DOCS", pathlib.Path(__file__).parents[2] / "docs" / "python.md"))


def test_page_session(tmp_path, monkeypatch):
    monkeypatch.chdir(tmp_path)
    failed, attempted = run_page(str(PAGE))
    assert attempted > 10 and failed == 0
