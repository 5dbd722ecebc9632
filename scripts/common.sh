# Shared by the run and test scripts: packages, builds.
set -euo pipefail
ORVELLE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ORVELLE_ROOT"

ORVELLE_PACKAGES=(
  cmake ninja-build g++ googletest libgtest-dev libbenchmark-dev
  clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 nsis
  wine wine64 xvfb xdotool imagemagick x11-utils python3
)

# Installs whatever of the packages is missing (apt-get install is idempotent).
install_packages() {
  local missing=()
  for p in "${ORVELLE_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "== installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
  fi
}

# The preset points the native tests at build/mingw and build/fuzz, whose tests join its CTest run.
build_native() {
  echo "== native build (core, unit tests, benchmarks)"
  cmake --preset native >/dev/null
  cmake --build --preset native
}

build_mingw() {
  echo "== Windows build (mingw-w64)"
  cmake --preset mingw >/dev/null
  cmake --build --preset mingw
}

# What a user downloads: build/mingw/orvelle-<version>-win64.zip and the installer
# build/mingw/orvelle-<version>-setup.exe (NSIS).
package_mingw() {
  echo "== Windows package (CPack)"
  cmake --build --preset mingw --target package
}

build_fuzz() {
  echo "== fuzz target (clang, address and undefined-behaviour sanitizers)"
  cmake --preset fuzz >/dev/null
  cmake --build --preset fuzz
}
