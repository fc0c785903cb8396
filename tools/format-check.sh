#!/usr/bin/env bash
# Checks that the C and C++ sources follow .clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."
files=$(git ls-files '*.c' '*.cpp' '*.h' | grep -v '/generated/' || true)
[ -n "$files" ] || exit 0
if ! clang-format --dry-run -Werror $files; then
  echo "format-check: run clang-format -i on the files above" >&2
  exit 1
fi
echo "format-check: ok"
