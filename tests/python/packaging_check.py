"""The package as users get it, with nothing pointing the interpreter at
the build tree: `installed` installs the build with cmake --install into a
new prefix and imports the package from the prefix's Python directory;
`wheel` makes and installs a wheel of the staged package with pip, offline,
into a new virtual environment. Either way the package must load the
libraries that came with it, and the example of docs/python.md must run in
a new directory. Exit status 77: the check cannot run on this machine.

    packaging_check.py installed|wheel --build DIR --work DIR --pythondir DIR [--cmake CMAKE]
"""
import argparse
import os
import shutil
import subprocess
import sys

CHECK_DOCS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "check_docs.py")
SKIP = 77


def run(command, **options):
    print("+", " ".join(command), flush=True)
    return subprocess.run(command, check=True, **options)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("how", choices=["installed", "wheel"])
    parser.add_argument("--build", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--pythondir", required=True)
    parser.add_argument("--cmake", default="cmake")
    args = parser.parse_args()
    work = os.path.abspath(args.work)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    env = {k: v for k, v in os.environ.items() if k not in ("PYTHONPATH", "KT_UTIL_LIBRARY")}
    env["PIP_DISABLE_PIP_VERSION_CHECK"] = "1"

    if args.how == "installed":
        prefix = os.path.join(work, "prefix")
        run([args.cmake, "--install", args.build, "--prefix", prefix], stdout=subprocess.DEVNULL)
        python = sys.executable
        env["PYTHONPATH"] = os.path.join(prefix, args.pythondir)
        home = prefix
    else:
        home = os.path.join(work, "venv")
        # The system's setuptools and wheel build the wheel: no index is used.
        if subprocess.run([sys.executable, "-m", "venv", "--system-site-packages", home]).returncode:
            print("skipped: this Python cannot make a virtual environment (Debian: apt-get install python3-venv)")
            return SKIP
        python = os.path.join(home, "bin", "python")
        missing = subprocess.run([python, "-c", "import setuptools, wheel"], env=env).returncode
        if missing or subprocess.run([python, "-m", "pip", "--version"], env=env).returncode:
            print("skipped: pip, setuptools or wheel is missing (Debian: apt-get install python3-pip python3-wheel)")
            return SKIP
        source = os.path.join(work, "source")
        shutil.copytree(os.path.join(args.build, "python"), source,
                        ignore=shutil.ignore_patterns("CMakeFiles", "*.cmake", "install", "build", "*.egg-info"))
        run([python, "-m", "pip", "install", "--no-build-isolation", "--no-index", source], env=env)

    located = run([python, "-c", "import kt_util; print(kt_util.__file__); print(kt_util._library.path)"],
                  env=env, cwd=work, stdout=subprocess.PIPE, text=True).stdout.split("\n")
    for path in located[:2]:
        if not os.path.realpath(path).startswith(os.path.realpath(home) + os.sep):
            print(f"{path} is not in {home}")
            return 1
    rundir = os.path.join(work, "run")
    os.makedirs(rundir)
    page = os.environ["KT_PYTHON_DOCS"]
    return subprocess.run([python, CHECK_DOCS, page], env=env, cwd=rundir).returncode


if __name__ == "__main__":
    sys.exit(main())
