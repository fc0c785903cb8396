#!/usr/bin/env bash
# Sets up, builds and runs every test: the code format, the native preset (tests with
# AddressSanitizer and UBSan) and the windows preset (Win32 tests under Wine and Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh
bash tools/format-check.sh

cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native -j2

cmake --preset windows >/dev/null
cmake --build --preset windows
source tools/wine-session.sh "$PWD/build/windows"
trap wine_session_end EXIT
ctest --preset windows
