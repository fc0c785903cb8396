#!/usr/bin/env bash
# Builds the fuzz preset (clang, libFuzzer, AddressSanitizer and UBSan) and runs one fuzz
# target with its seed corpus, niced, for SECONDS (default 60). The corpus the run grows is
# kept in build/fuzz/corpus/TARGET; crashes land in build/fuzz/crashes/TARGET.
#   bash tools/fuzz.sh TARGET [SECONDS]      (bash tools/fuzz.sh --list: the targets)
# The last "cov:" figure the run prints is the number of edges it reached.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$PWD/build/fuzz
if [ $# -lt 1 ] || [ "$1" = -h ] || [ "$1" = --help ]; then
  sed -n '2,6p' "$0" | sed 's/^# \{0,1\}//'
  exit 2
fi
cmake --preset fuzz >/dev/null
if [ "$1" = --list ]; then
  for seeds in "$build"/fuzz/*.seeds; do basename "$seeds" .seeds; done
  exit 0
fi
target=$1
seconds=${2:-60}
if [ ! -f "$build/fuzz/$target.seeds" ]; then
  echo "fuzz: no fuzz target $target; the targets:" >&2
  for seeds in "$build"/fuzz/*.seeds; do basename "$seeds" .seeds >&2; done
  exit 2
fi
cmake --build --preset fuzz --target "$target"

corpus=$build/corpus/$target
seeds=$build/corpus/$target-seeds
crashes=$build/crashes/$target
mkdir -p "$corpus" "$crashes"
rm -rf "$seeds" && mkdir -p "$seeds"
while IFS= read -r seed; do
  [ -z "$seed" ] || cp "$seed" "$seeds/"
done <"$build/fuzz/$target.seeds"
cd "$crashes"
exec nice -n 10 "$build/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
  "$corpus" "$seeds"
