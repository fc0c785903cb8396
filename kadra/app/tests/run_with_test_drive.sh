#!/usr/bin/env bash
# Runs a Win32 test program under Wine with a test drive: a free drive letter of the Wine
# prefix (a link in its dosdevices folder) mapped to a new temporary folder; the program learns
# the letter from KADRA_TEST_DRIVE. Link and folder are removed afterwards.
#   run_with_test_drive.sh PROGRAM [ARGS...]
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$root/build/windows/wineprefix}
[ -d "$WINEPREFIX/dosdevices" ] || "$root/cmake/wine-run.sh" wineboot --init >/dev/null 2>&1
folder=$(mktemp -d "${TMPDIR:-/tmp}/kadra-drive.XXXXXX")
link=""
for letter in t u v w x y; do
  # ln without -f fails when the letter is taken, also by a test running beside this one.
  if ln -s "$folder" "$WINEPREFIX/dosdevices/$letter:" 2>/dev/null; then
    link="$WINEPREFIX/dosdevices/$letter:"
    export KADRA_TEST_DRIVE=${letter^^}
    break
  fi
done
cleanup() {
  [ -z "$link" ] || rm -f "$link"
  rm -rf "$folder"
}
trap cleanup EXIT
[ -n "$link" ] || { echo "no free drive letter in $WINEPREFIX/dosdevices" >&2; exit 1; }
"$root/cmake/wine-run.sh" "$@"
