#!/usr/bin/env bash
# Installs what is missing, builds everything and starts ORVELLE under Wine (on a virtual X
# display when there is none). Until the program itself lands it prints the benchmark figures.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_packages
build_mingw
build_native
echo "== benchmarks"
./build/native/bench/orvelle_bench --benchmark_min_time=0.2
if [ -f build/mingw/dist/orvelle.exe ]; then
  source tools/wine/env.sh
  if [ -z "${DISPLAY:-}" ]; then
    Xvfb :47 -screen 0 1280x1024x24 >/dev/null 2>&1 &
    export DISPLAY=:47
    echo "== no display: started Xvfb on $DISPLAY"
  fi
  orvelle_wine_prefix
  echo "== starting build/mingw/dist/orvelle.exe"
  exec wine build/mingw/dist/orvelle.exe
fi
