#!/usr/bin/env bash
# Sets up, builds and runs every test: the code format, the native preset (tests with
# AddressSanitizer and UBSan), the windows preset (Win32 tests under Wine and Xvfb), then
# builds the release packages and tests them.
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
bash tools/package.sh && bash tools/package-test.sh
