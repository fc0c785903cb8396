#!/usr/bin/env bash
# Benchmark: full walks of buses 0-255 through ports 0xCF8/0xCFC over the simulated machine
# (goal: well under 10 ms), beside lspci -F reading the same machine's dump for reference.
#   tools/bench-cf8-walk.sh [MACHINE_FILE...]     (the embedded machine is always measured)
# Builds hwaccess alone with the bench preset (optimised, no sanitizers) in its own folder,
# build/bench-hwaccess (BUILD_DIR overrides it).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build/bench-hwaccess}
cmake --preset bench -B "$build" -DBK_SUBSYSTEMS=hwaccess >/dev/null
cmake --build "$build" --target bench_cf8_walk tvkdump -j2 >/dev/null

ms_now() { date +%s%N; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

for source in embedded "$@"; do
  echo "== $source"
  "$build/bin/bench_cf8_walk" "$source" 51
  if command -v lspci >/dev/null; then
    "$build/bin/tvkdump" --machine "$source" > "$tmp/dump.txt"
    best=""
    for _ in 1 2 3 4 5; do
      start=$(ms_now)
      lspci -F "$tmp/dump.txt" >/dev/null 2>&1
      elapsed=$(( ($(ms_now) - start) / 1000 ))
      if [ -z "$best" ] || [ "$elapsed" -lt "$best" ]; then best=$elapsed; fi
    done
    printf 'reference: lspci -F on the same dump (whole process): %d.%03d ms (best of 5)\n' \
      $((best / 1000)) $((best % 1000))
  else
    echo "reference: lspci not installed"
  fi
done
