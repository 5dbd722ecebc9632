#!/usr/bin/env bash
# Every test: native unit tests, the Windows tests under Wine, and a one-minute fuzz run, all
# reported by one CTest run.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_packages
build_mingw
build_fuzz
build_native
echo "== tests"
ctest --preset native -j2
