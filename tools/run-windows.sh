#!/bin/bash
# Runs one of the Win32 programs under Wine on this Linux machine, as a user would:
#   bash tools/run-windows.sh PROGRAM [ARGS...]
# PROGRAM is bexa or kadra (the .exe in build/windows/bin), or the path of any .exe. The
# program runs in its own folder, in a Wine prefix kept under your home
# (${BK_WINEPREFIX:-$HOME/.local/share/bexa-kadra/wineprefix}) and made on the first run, with
# Courier New mapped to Liberation Mono so that the programs' fixed-pitch columns line up.
# Debian 12's wine64 is not on the PATH: /usr/lib/wine/wine64 is used then.
set -euo pipefail

if [ $# -lt 1 ] || [ "$1" = "-h" ] || [ "$1" = "--help" ]; then
  sed -n '2,8p' "$0" | sed 's/^# \{0,1\}//'
  [ $# -ge 1 ] && exit 0 || exit 2
fi

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
program=$1
shift
case "$program" in
  *.exe | */*) ;;
  *) program=$root/build/windows/bin/$program.exe ;;
esac
if [ ! -f "$program" ]; then
  echo "run-windows.sh: $program not found; build it first:" >&2
  echo "  cmake --preset windows && cmake --build --preset windows" >&2
  exit 1
fi
program=$(cd "$(dirname "$program")" && pwd)/$(basename "$program")

wine=$(command -v wine64 || true)
[ -n "$wine" ] || wine=/usr/lib/wine/wine64
if [ ! -x "$wine" ]; then
  echo "run-windows.sh: no wine64 (install the Debian package wine64: bash tools/setup.sh)" >&2
  exit 1
fi
if [ -z "${DISPLAY:-}" ]; then
  echo "run-windows.sh: no display (DISPLAY is not set); run it in a desktop session" >&2
  exit 1
fi

export WINEPREFIX=${BK_WINEPREFIX:-$HOME/.local/share/bexa-kadra/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree=;mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "run-windows.sh: making the Wine prefix $WINEPREFIX (once)" >&2
  mkdir -p "$WINEPREFIX"
  "$wine" wineboot --init >/dev/null 2>&1 || true
fi
# Courier New is not on a Linux machine: map it to the metric-compatible Liberation Mono.
"$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Courier New' /d 'Liberation Mono' \
  /f >/dev/null 2>&1

cd "$(dirname "$program")"
exec "$wine" "$program" "$@"
