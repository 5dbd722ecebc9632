#!/usr/bin/env bash
# Every test: native unit tests, the Windows tests under Wine, a one-minute fuzz run, a check of
# the zip a user downloads and a run of the installer under Wine, all reported by one CTest run.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_packages
build_mingw
package_mingw
build_fuzz
build_native
echo "== tests"
ctest --preset native -j2
