#!/usr/bin/env bash
# Makes every screenshot of the docs: builds the screenshot test programs of the windows preset,
# runs their screenshot tests under Wine and Xvfb (tools/wine-session.sh) with
# BK_SCREENSHOT_DIR naming docs/screenshots, turns the BMP files they write into PNG and lists
# what this run wrote.
#   bash tools/screenshots.sh
#
# A screenshot test is picked up without any change here when it follows three rules:
#   - its source file is named *screenshots_win32_test.cpp (bk_add_test then gives its test
#     program the CTest label "screenshots");
#   - its GoogleTest suite name ends in "Screenshots" (only those tests run here);
#   - it writes each picture, named as the docs show it (.bmp or .png), into the folder that
#     BK_SCREENSHOT_DIR names (a Windows path ending in a backslash), and skips when the
#     variable is not set, so that the ordinary test run makes no pictures.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/docs/screenshots
mkdir -p "$out"

cmake --preset windows >/dev/null
# The test programs with the label; bk_add_test names each program's target as its test.
programs=$(ctest --preset windows -N -L screenshots | sed -n 's/^ *Test *#[0-9]*: *//p')
if [ -z "$programs" ]; then
  echo "screenshots: no test program is labelled screenshots" >&2
  exit 1
fi
cmake --build --preset windows --target $programs

stamp=$(mktemp)
trap 'rm -f "$stamp"' EXIT
source tools/wine-session.sh "$root/build/windows"
# No window manager runs on the Xvfb display: Wine then draws the window frames and captions.
"$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
BK_SCREENSHOT_DIR="$(bash cmake/wine-run.sh winepath -w "$out" | tr -d '\r')\\" \
  GTEST_FILTER='*Screenshots.*' ctest --preset windows -L screenshots || status=$?
wine_session_end

for bmp in "$out"/*.bmp; do
  [ -e "$bmp" ] || continue
  convert "$bmp" "${bmp%.bmp}.png"
  rm -f "$bmp"
done
echo "screenshots: written to docs/screenshots:"
find "$out" -name '*.png' -newer "$stamp" -printf '  %f\n' | sort
stale=$(find "$out" -name '*.png' ! -newer "$stamp" -printf '  %f\n' | sort)
[ -z "$stale" ] || printf 'screenshots: not made by this run (left as they were):\n%s\n' "$stale"
exit "${status:-0}"
