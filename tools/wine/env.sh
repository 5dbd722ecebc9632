# Wine settings shared by every script that runs the Windows build: one prefix per checkout,
# no debug chatter, no .NET or HTML installers, and no menu entries or icons in the Linux
# user's home for shortcuts made inside the prefix (the installer makes one).
ORVELLE_ROOT=${ORVELLE_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
export WINEPREFIX=${WINEPREFIX:-$ORVELLE_ROOT/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml=;winemenubuilder.exe=d"}
# Overrides set elsewhere keep winemenubuilder off too, unless they name it themselves.
case "$WINEDLLOVERRIDES" in
  *winemenubuilder*) ;;
  *) WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d" ;;
esac
export WINEARCH=win64

# Creates the prefix once, with Wine's virtual desktop switched on (focus and injected keys
# only reliably reach windows inside it). Safe to call from tests running side by side.
orvelle_wine_prefix() {
  [ -f "$WINEPREFIX/.orvelle-ready" ] && return 0
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.orvelle-ready" ]; then
      wineboot -i >/dev/null 2>&1
      wineserver -w
      wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
      wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
      wineserver -k 2>/dev/null || true
      wineserver -w
      touch "$WINEPREFIX/.orvelle-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
}
