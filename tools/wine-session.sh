# Sourced by the scripts that run Win32 programs: a private Wine prefix inside the build folder,
# an Xvfb display for the programs that open windows, and a persistent wineserver.
#   source tools/wine-session.sh BUILD_DIR ; ... ; wine_session_end
wine_build_dir=$1
export WINEPREFIX=$wine_build_dir/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml="
WINE=$(command -v wine64 || echo /usr/lib/wine/wine64)
WINESERVER=$(dirname "$WINE")/wineserver
[ -x "$WINESERVER" ] || WINESERVER=$(command -v wineserver)
wine_xvfb_pid=""
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 70 120); do
    if [ ! -e /tmp/.X$n-lock ] && [ ! -e /tmp/.X11-unix/X$n ]; then
      Xvfb ":$n" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
      wine_xvfb_pid=$!
      export DISPLAY=":$n"
      sleep 1
      break
    fi
  done
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  "$WINE" wineboot --init >/dev/null 2>&1 || true
  "$WINESERVER" -w || true
fi
# Courier New is not on a Linux machine: map it to the metric-compatible Liberation Mono.
"$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Courier New' /d 'Liberation Mono' /f >/dev/null 2>&1 || true
"$WINESERVER" -p >/dev/null 2>&1 || true

wine_session_end() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  [ -z "$wine_xvfb_pid" ] || kill "$wine_xvfb_pid" 2>/dev/null || true
}
