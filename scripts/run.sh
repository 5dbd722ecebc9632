#!/usr/bin/env bash
# Installs what is missing, builds the Windows program and starts it under Wine from
# build/mingw/dist/, the same folder a user unzips. Without an X display it starts a virtual one
# (Xvfb) for as long as the program runs, and says how to look at it.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_packages
build_mingw
source tools/wine/env.sh

xvfb_pid=""
stop_xvfb() {
  # Wine's desktop window closes a few seconds after the last program; the display outlives it.
  timeout 10 wineserver -w 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
  wait "$xvfb_pid" 2>/dev/null || true
  echo "== stopped Xvfb on $DISPLAY"
}

if [ -z "${DISPLAY:-}" ]; then
  # Xvfb picks a free display number itself and writes it once it accepts connections.
  number_file=$(mktemp)
  Xvfb -displayfd 9 -screen 0 1280x1024x24 -nolisten tcp 9>"$number_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$number_file" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  number=$(tr -dc 0-9 <"$number_file")
  rm -f "$number_file"
  if [ -z "$number" ]; then
    echo "== could not start Xvfb" >&2
    exit 1
  fi
  export DISPLAY=":$number"
  trap stop_xvfb EXIT
  echo "== no X display: started Xvfb on $DISPLAY; it stops when ORVELLE ends"
  echo "   to see the window, take a screenshot from another terminal:"
  echo "     import -display $DISPLAY -window root orvelle.png"
else
  echo "== ORVELLE opens on your display $DISPLAY, inside Wine's desktop window"
fi

orvelle_wine_prefix
echo "== starting build/mingw/dist/orvelle.exe; set.ini is kept beside it"
echo "   it lives in the tray: right-click its icon and choose Выйти to exit, or press Ctrl+C here"
wine build/mingw/dist/orvelle.exe
