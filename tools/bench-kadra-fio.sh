#!/usr/bin/env bash
# Kadra against fio on the same file, block sizes and queue depth.
#
#   tools/bench-kadra-fio.sh [DIR] [SIZE_MB]
#
# Builds the native kadra with the bench preset (BUILD_DIR, default build/bench), then for queue
# depth 0 (synchronous: fio psync) and 10 (queued: fio io_uring, iodepth 10) runs one kadra disk
# test in DIR (default: a folder under the current one) over all block sizes with O_DIRECT, and
# fio's write, read and randread jobs on the same file, size and block sizes. Prints both
# figures in Kadra's unit (bytes per ms / 1048, "MB/s") with their ratio, and the CPU time
# (user + system) of the kadra run and of the fio jobs that did the same work.
# Goal: linear ratios within 0.95 to 1.05 from 256 KiB up, and kadra's CPU time no higher than
# fio's. Random reads are shown for information: kadra draws blocks from a triangular product
# distribution, fio uniformly.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
dir=${1:-$root/bench-kadra-fio.tmp}
size_mb=${2:-512}
build_dir=${BUILD_DIR:-build/bench}
block_sizes_kb=(16 32 64 128 256 512 1024 2048)

command -v fio >/dev/null || { echo "bench-kadra-fio: fio is not installed" >&2; exit 1; }
cmake --preset bench -B "$build_dir" -DBK_SUBSYSTEMS="hwaccess;kadra/common;kadra/engine;kadra/app;kadra/cli" >/dev/null
cmake --build "$build_dir" -j2 --target kadra >/dev/null
kadra=$root/$build_dir/bin/kadra

mkdir -p "$dir"
made_dir=0
[ -n "$(ls -A "$dir")" ] || made_dir=1
work=$(mktemp -d)
trap 'rm -rf "$work"; rm -f "$dir/KADRA.TMP"; [ $made_dir = 1 ] && rmdir "$dir" 2>/dev/null || true' EXIT
file=$dir/KADRA.TMP
printf '[INIT]\nPOWERUSER=1\nTempFile=KADRA.TMP\n' >"$work/KADRA.INI"

# CPU seconds (user + system) of a command, added to the named total.
declare -A cpu
timed() {
  local key=$1
  shift
  /usr/bin/time -f '%U %S' -o "$work/time" "$@"
  cpu[$key]=$(awk -v t="${cpu[$key]:-0}" '{ printf "%.2f", t + $1 + $2 }' "$work/time")
}

# Kadra's unit from fio's JSON: bytes per second / 1000 / 1048.
fio_rate() {
  python3 -c 'import json,sys
j=json.load(open(sys.argv[1]))["jobs"][0]
d=j["write"] if j["write"]["io_bytes"] else j["read"]
print("%.1f" % (d["bw_bytes"] / 1000.0 / 1048.0))' "$1"
}

printf '%-5s %-10s %6s %9s %9s %6s\n' queue pass "kB" kadra fio ratio
for queue in 0 10; do
  rm -f "$file"
  timed "kadra$queue" "$kadra" disk --dir "$dir" --size "$size_mb" --queue "$queue" --all-sizes \
    --unbuffered --power-user --ini "$work/KADRA.INI" --description bench >"$work/kadra$queue.txt"
  if [ "$queue" = 0 ]; then engine=(--ioengine=psync --iodepth=1); else engine=(--ioengine=io_uring --iodepth=10); fi
  # Like Kadra's write pass, fio's first block size allocates the file and the later ones
  # write over it: the file is removed once per queue depth, not per block size.
  rm -f "$file"
  for kb in "${block_sizes_kb[@]}"; do
    # Kadra's row: block | read linear | read random | write linear.
    row=$(awk -F'|' -v kb="$kb" 'NF >= 3 && $1 + 0 == kb && $1 ~ /^ *[0-9]+ *$/ { print $2, $3, $4 }' "$work/kadra$queue.txt")
    read -r k_read k_rand k_write <<<"$row"
    for rw in write read randread; do
      timed "fio$queue" fio --name=kadra --filename="$file" --size="${size_mb}M" --bs="${kb}k" \
        --rw="$rw" --direct=1 --fallocate=none "${engine[@]}" --output-format=json \
        --output="$work/fio.json" >/dev/null
      f=$(fio_rate "$work/fio.json")
      case $rw in
        write) k=$k_write label="write lin" ;;
        read) k=$k_read label="read lin" ;;
        randread) k=$k_rand label="read rnd" ;;
      esac
      ratio=$(awk -v a="$k" -v b="$f" 'BEGIN { if (b > 0) printf "%.3f", a / b; else print "-" }')
      printf '%-5s %-10s %6s %9s %9s %6s\n' "$queue" "$label" "$kb" "$k" "$f" "$ratio"
    done
  done
  rm -f "$file"
done
echo
echo "CPU time (user + system, s), ${size_mb} MB file, 8 block sizes x 3 passes:"
for queue in 0 10; do
  printf '  queue %-2s  kadra %6s   fio %6s\n' "$queue" "${cpu[kadra$queue]}" "${cpu[fio$queue]}"
done
