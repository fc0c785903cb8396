#!/usr/bin/env bash
# How long the native kadra takes to read a large KADRA.INI at its start.
#
#   tools/bench-kadra-ini.sh [SIZE_MB]
#
# Builds the native kadra with the bench preset (BUILD_DIR, default build/bench), writes an INI file of SIZE_MB
# (default 5) with 40 product profiles after a long run of other sections, and times three
# starts that read every setting and profile from it (a data test on a missing folder, which
# ends with "not started" right after the settings are read). The file is dated an hour back,
# as a file that was not just written is. Goal: well under a second per start.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
size_mb=${1:-5}
build_dir=${BUILD_DIR:-build/bench}
cmake --preset bench -B "$build_dir" \
  -DBK_SUBSYSTEMS="outfile;hwaccess;kadra/common;kadra/engine;kadra/app;kadra/toolkit;kadra/cli" >/dev/null
cmake --build "$build_dir" -j2 --target kadra >/dev/null
kadra=$root/$build_dir/bin/kadra

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ini=$work/KADRA.INI
python3 - "$ini" "$size_mb" <<'PY'
import sys
path, size = sys.argv[1], int(sys.argv[2]) * 1048576
with open(path, "w", newline="\r\n") as out:
    out.write("[INIT]\nPOWERUSER=1\nPRODUCT=39\nFileSize2=4\n")
    n = 0
    while out.tell() < size - 40 * 400:
        out.write(f"[NOTES{n}]\nline=some text that pads the file out to its size\n")
        n += 1
    for p in range(40):
        out.write(f"[PRODUCT{p}]\nNAME=product {p}\nVIDEO_READ_RATE=19.78\n"
                  "VIDEO_WRITE_RATE=19.78\nAUDIO_READ_RATE=0.14\nAUDIO_WRITE_RATE=0.14\n"
                  "VIDEO_READ_STREAMS=2\nVIDEO_READ_BLOCKSIZE=512\nVIDEO_READ_RINGSIZE=4096\n")
PY
touch -d '1 hour ago' "$ini"
printf 'INI file: %s bytes\n' "$(stat -c %s "$ini")"
for run in 1 2 3; do
  start=$(date +%s.%N)
  set +e
  "$kadra" data --dir "$work/missing" --ini "$ini" 2>"$work/err.txt"
  status=$?
  set -e
  end=$(date +%s.%N)
  [ $status -eq 2 ] && grep -q "missing" "$work/err.txt" || { cat "$work/err.txt" >&2; exit 1; }
  awk -v r="$run" -v a="$start" -v b="$end" 'BEGIN { printf "start %d: %.3f s\n", r, b - a }'
done
