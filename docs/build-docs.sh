#!/usr/bin/env bash
# Builds the HTML reference of the public headers with Doxygen and fails
# when Doxygen warns (an entry without its comment is a warning).
#
#   docs/build-docs.sh DOXYFILE OUTPUT_DIR [--no-install]
#
# Doxygen is installed with apt-get when missing, unless --no-install is
# given: then a missing Doxygen ends the script with status 77 (a skip for
# CTest).
set -euo pipefail

if [ $# -lt 2 ]; then
  echo "usage: $0 DOXYFILE OUTPUT_DIR [--no-install]" >&2
  exit 2
fi
doxyfile=$1
output=$2
install=yes
[ "${3:-}" = "--no-install" ] && install=no

if ! command -v doxygen >/dev/null 2>&1; then
  if [ "$install" = no ]; then
    echo "doxygen not installed: reference pages not built"
    exit 77
  fi
  echo "installing doxygen"
  sudo=
  if [ "$(id -u)" -ne 0 ] && command -v sudo >/dev/null 2>&1; then sudo=sudo; fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get install -y -q doxygen || { $sudo apt-get update -q && $sudo apt-get install -y -q doxygen; }
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
