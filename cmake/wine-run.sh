#!/usr/bin/env bash
# Runs a Win32 program under Wine with the build's private prefix. CTest uses it as the
# cross-compiling emulator; tools/test-all.sh starts Xvfb and a persistent wineserver first.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build/windows/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree=;mshtml="}
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
exec "$wine" "$@"
