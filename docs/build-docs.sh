#!/usr/bin/env bash
# Builds the HTML reference of the public headers with Doxygen and fails
# when Doxygen warns (an entry without its comment is a warning).
#
#   docs/build-docs.sh DOXYFILE OUTPUT_DIR [--skip-without-doxygen]
#
# A missing Doxygen is an error naming the package to install (a build
# never installs system packages); with --skip-without-doxygen it ends the
# script with status 77 instead, a skip for CTest.
set -euo pipefail

if [ $# -lt 2 ]; then
  echo "usage: $0 DOXYFILE OUTPUT_DIR [--skip-without-doxygen]" >&2
  exit 2
fi
doxyfile=$1
output=$2

if ! command -v doxygen >/dev/null 2>&1; then
  if [ "${3:-}" = "--skip-without-doxygen" ]; then
    echo "doxygen not installed: reference pages not built"
    exit 77
  fi
  echo "error: the reference pages need Doxygen, which is not installed;" >&2
  echo "install it (on Debian: apt-get install doxygen) and build the docs target again" >&2
  exit 1
fi

mkdir -p "$output"
log=$output/warnings.log
rm -f "$log"
# The configured file names its own output directory; override it so the
# same configuration can build into another place (the CTest run).
{ cat "$doxyfile"; echo "OUTPUT_DIRECTORY = \"$output\""; echo "WARN_LOGFILE = \"$log\""; } | doxygen -

if [ -s "$log" ]; then
  cat "$log" >&2
  echo "doxygen: $(wc -l <"$log") warning line(s)" >&2
  exit 1
fi
echo "reference pages: $output/html/index.html"
