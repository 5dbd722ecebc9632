#!/usr/bin/env bash
# Runs a test when the build it needs exists, for the native CTest run that gathers the Windows
# and fuzz builds' tests:  if_built.sh <file> <how to build it> <command...>
# Without the file it says how to build it and exits 77, which CTest reports as skipped.
set -u
file=$1
how=$2
shift 2
if [ ! -e "$file" ]; then
  echo "SKIP: $file is not built ($how)"
  exit 77
fi
exec "$@"
