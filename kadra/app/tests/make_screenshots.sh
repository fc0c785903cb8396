#!/usr/bin/env bash
# Makes the screenshots of docs/kadra.md: runs the screenshot tests of the Win32 test program
# on a test drive under Wine and Xvfb, turns the BMP files into PNG and the first page of the
# run's RTF log (as LibreOffice renders it) into PNG too.
#   make_screenshots.sh BUILD_DIR        (after cmake --build --preset windows)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
build=$(cd "${1:-$root/build/windows}" && pwd)
out=$root/docs/screenshots
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$root/tools/wine-session.sh" "$build"
winwork=$(WINEDEBUG=-all "$root/cmake/wine-run.sh" winepath -w "$work/" 2>/dev/null | tr -d '\r')
KADRA_SCREENSHOT_DIR=$winwork bash "$root/kadra/app/tests/run_with_test_drive.sh" \
  "$build/tests/kadra_app_win32_test.exe" --gtest_filter='KadraScreenshots.*' || true
wine_session_end
mkdir -p "$out"
for bmp in "$work"/kadra-*.bmp; do
  convert "$bmp" "$out/$(basename "${bmp%.bmp}").png"
done
rtf=$(ls "$work"/kadra\ *.rtf | head -n 1)
(cd "$work" && soffice --headless --convert-to pdf "$rtf" >/dev/null 2>&1)
pdftoppm -png -r 80 -f 1 -l 1 -singlefile "${rtf%.rtf}.pdf" "$out/kadra-log-page1"
ls -1 "$out"/kadra-*.png
