"""Runs the examples of a Markdown page: its ```pycon blocks, in order, as
one doctest session in the current directory.

    python3 check_docs.py PAGE     exit status 0 when every example gives
                                   what the page shows
"""
import doctest
import re
import sys

_BLOCK = re.compile(r"^```pycon\n(.*?)^```", re.S | re.M)


def run_page(path):
    """doctest's (failed, attempted) for the page's examples."""
    with open(path, encoding="utf-8") as page:
        session = "\n".join(_BLOCK.findall(page.read()))
    test = doctest.DocTestParser().get_doctest(session, {}, path, path, 0)
    runner = doctest.DocTestRunner(optionflags=doctest.ELLIPSIS)
    runner.run(test)
    return runner.summarize(verbose=False)


if __name__ == "__main__":
    failed, attempted = run_page(sys.argv[1])
    if not attempted:
        print(f"{sys.argv[1]}: no examples")
    sys.exit(1 if failed or not attempted else 0)
