#!/usr/bin/env bash
# Checks that a Win32 module exports exactly the given names, undecorated (no @N, no leading
# underscore), as objdump reads its export table.
#   check_exports.sh OBJDUMP MODULE NAME...
set -euo pipefail
objdump=$1 module=$2
shift 2
actual=$("$objdump" -p "$module" |
  awk '/^\[Ordinal\/Name Pointer\] Table/ {on = 1; next} on && NF == 0 {on = 0} on {print $NF}' |
  sort)
expected=$(printf '%s\n' "$@" | sort)
if [ "$actual" != "$expected" ]; then
  echo "exports of $module differ" >&2
  diff <(echo "$expected") <(echo "$actual") >&2 || true
  exit 1
fi
echo "exports of $(basename "$module"): $(echo $actual)"
