#!/usr/bin/env bash
# Kadra against fio on the same file, block sizes and queue depths, interleaved over several
# rounds, with medians and their ratios.
#
#   tools/bench-kadra-fio.sh [--ram-disk] [--rounds N] [--size MB] [--queues "0 10"] [DIR]
#
# Builds the native kadra with the bench preset (BUILD_DIR, default build/bench). Every round
# runs, for each queue depth, one kadra disk test over all block sizes with O_DIRECT (queued
# depths twice: as kadra measures, every request into the one buffer, and with
# --buffer-per-request), then fio's write, read and randread jobs on the same file, size and
# block sizes: psync for depth 0, io_uring with registered buffers and files (fio's fastest
# io_uring settings) for the others. Rounds interleave the tools, so that a drift of the
# machine reaches both.
#
# Prints per case the medians over the rounds in Kadra's unit (bytes per ms / 1048, "MB/s") and
# the ratios kadra / fio, then the CPU time (user + system) per GiB moved: kadra's from its
# process (one job doing all 24 block size and pass combinations), fio's from its own per-job
# usr_cpu and sys_cpu (so fio's start-up and set-up are not counted).
#
# --ram-disk: the test folder is an ext4 file system on a loop device over a file in a tmpfs,
# made for the run and removed at its end (needs root), so that the figures are stable on a
# noisy machine. DIR defaults to a folder under the current one. Random reads are shown for
# information: kadra draws blocks from a triangular product distribution, fio uniformly.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
ram_disk=0
rounds=3
size_mb=256
queues="0 10"
dir=
while [ $# -gt 0 ]; do
  case $1 in
    --ram-disk) ram_disk=1 ;;
    --rounds) rounds=$2; shift ;;
    --size) size_mb=$2; shift ;;
    --queues) queues=$2; shift ;;
    -h|--help) sed -n '2,24p' "$0"; exit 0 ;;
    -*) echo "bench-kadra-fio: unknown option $1" >&2; exit 2 ;;
    *) dir=$1 ;;
  esac
  shift
done
build_dir=${BUILD_DIR:-build/bench}
block_sizes_kb=(16 32 64 128 256 512 1024 2048)

command -v fio >/dev/null || { echo "bench-kadra-fio: fio is not installed" >&2; exit 1; }
cmake --preset bench -B "$build_dir" -DBK_SUBSYSTEMS="outfile;hwaccess;kadra/common;kadra/engine;kadra/app;kadra/toolkit;kadra/cli" >/dev/null
cmake --build "$build_dir" -j2 --target kadra >/dev/null
kadra=$root/$build_dir/bin/kadra

work=$(mktemp -d)
made_dir=0
device=
cleanup() {
  rm -f "${dir:-/nonexistent}/KADRA.TMP"
  if [ $ram_disk = 1 ]; then
    umount "$work/mnt" 2>/dev/null || true
    [ -z "$device" ] || losetup -d "$device" 2>/dev/null || true
    umount "$work/tmpfs" 2>/dev/null || true
  elif [ $made_dir = 1 ]; then
    rmdir "$dir" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

if [ $ram_disk = 1 ]; then
  [ "$(id -u)" = 0 ] || { echo "bench-kadra-fio: --ram-disk needs root" >&2; exit 1; }
  image_mb=$((size_mb + size_mb / 8 + 64))
  mkdir -p "$work/tmpfs" "$work/mnt"
  mount -t tmpfs -o size="$((image_mb + 16))m" bench-kadra "$work/tmpfs"
  truncate -s "${image_mb}M" "$work/tmpfs/disk.img"
  device=$(losetup -f --show "$work/tmpfs/disk.img")
  mkfs.ext4 -q -F "$device"
  mount "$device" "$work/mnt"
  dir=$work/mnt
  echo "RAM-backed test folder: ext4 on $device over tmpfs (${image_mb} MB)"
else
  dir=${dir:-$root/bench-kadra-fio.tmp}
  if [ ! -d "$dir" ]; then mkdir -p "$dir"; made_dir=1; fi
fi
file=$dir/KADRA.TMP
printf '[INIT]\nPOWERUSER=1\nTempFile=KADRA.TMP\n' >"$work/KADRA.INI"

# Every measurement is one line of $work/figures: tool queue pass kB MB/s; every CPU figure one
# line of $work/cpu: tool queue seconds bytes.
: >"$work/figures"
: >"$work/cpu"

run_kadra() {  # tool queue [options]
  local tool=$1 queue=$2
  shift 2
  rm -f "$file"
  /usr/bin/time -f '%U %S' -o "$work/time" "$kadra" disk --dir "$dir" --size "$size_mb" \
    --queue "$queue" --all-sizes --unbuffered --power-user --no-log --quiet \
    --ini "$work/KADRA.INI" --description bench "$@" >"$work/kadra.txt"
  awk -v t="$tool" -v q="$queue" -v b="$((size_mb * 1048576 * 24))" \
    '{ print t, q, $1 + $2, b }' "$work/time" >>"$work/cpu"
  # The table's rows: block | read linear | read random | write linear.
  awk -F'|' -v t="$tool" -v q="$queue" '$1 ~ /^ *[0-9]+ *$/ && NF >= 4 {
    print t, q, "write", $1 + 0, $4 + 0; print t, q, "read", $1 + 0, $2 + 0
    print t, q, "randread", $1 + 0, $3 + 0 }' "$work/kadra.txt" >>"$work/figures"
  rm -f "$file"
}

run_fio() {  # queue
  local queue=$1 engine
  if [ "$queue" = 0 ]; then
    engine=(--ioengine=psync --iodepth=1)
  else
    engine=(--ioengine=io_uring --iodepth="$queue" --fixedbufs --registerfiles)
  fi
  # Like Kadra's write pass, fio's first block size allocates the file and the later ones
  # write over it.
  rm -f "$file"
  for kb in "${block_sizes_kb[@]}"; do
    for rw in write read randread; do
      fio --name=kadra --filename="$file" --size="${size_mb}M" --bs="${kb}k" \
        --rw="$rw" --direct=1 --fallocate=none "${engine[@]}" --output-format=json \
        --output="$work/fio.json" >/dev/null
      python3 - "$work/fio.json" "$queue" "$rw" "$kb" "$work/figures" "$work/cpu" <<'PY'
import json, sys
path, queue, rw, kb, figures, cpu = sys.argv[1:]
job = json.load(open(path))["jobs"][0]
side = job["write"] if job["write"]["io_bytes"] else job["read"]
with open(figures, "a") as out:
    print("fio", queue, rw, kb, "%.1f" % (side["bw_bytes"] / 1000.0 / 1048.0), file=out)
seconds = (job["usr_cpu"] + job["sys_cpu"]) / 100.0 * job["job_runtime"] / 1000.0
with open(cpu, "a") as out:
    print("fio", queue, "%.4f" % seconds, side["io_bytes"], file=out)
PY
    done
  done
  rm -f "$file"
}

for round in $(seq 1 "$rounds"); do
  echo "round $round of $rounds" >&2
  for queue in $queues; do
    run_kadra kadra "$queue"
    run_fio "$queue"
    [ "$queue" = 0 ] || run_kadra kadra-bpr "$queue" --buffer-per-request
  done
done

python3 - "$work/figures" "$work/cpu" "$rounds" "$size_mb" <<'PY'
import statistics, sys
from collections import defaultdict
figures, cpu, rounds, size_mb = sys.argv[1:]
values = defaultdict(list)
for line in open(figures):
    tool, queue, rw, kb, rate = line.split()
    values[(tool, int(queue), rw, int(kb))].append(float(rate))
median = {key: statistics.median(v) for key, v in values.items()}
def ratio(a, b):
    return "%.3f" % (a / b) if a is not None and b else "-"
def cell(v):
    return "%.1f" % v if v is not None else "-"
queues = sorted({key[1] for key in median})
names = {"write": "write lin", "read": "read lin", "randread": "read rnd"}
print("Medians of %s rounds, %s MB file, MB/s as Kadra counts them (bytes / ms / 1048)"
      % (rounds, size_mb))
print("%-5s %-10s %5s %9s %9s %9s %7s %9s" % ("queue", "pass", "kB", "kadra", "kadra-bpr",
                                               "fio", "ratio", "ratio-bpr"))
for queue in queues:
    for rw in ("write", "read", "randread"):
        for kb in (16, 32, 64, 128, 256, 512, 1024, 2048):
            k = median.get(("kadra", queue, rw, kb))
            b = median.get(("kadra-bpr", queue, rw, kb))
            f = median.get(("fio", queue, rw, kb))
            print("%-5d %-10s %5d %9s %9s %9s %7s %9s" % (queue, names[rw], kb, cell(k), cell(b),
                                                         cell(f), ratio(k, f), ratio(b, f)))
seconds = defaultdict(list)
moved = defaultdict(int)
for line in open(cpu):
    tool, queue, s, b = line.split()
    seconds[(tool, int(queue))].append(float(s))
    moved[(tool, int(queue))] += int(b)
print()
print("CPU time (user + system) per GiB moved, all rounds:")
for queue in queues:
    parts = []
    for tool in ("kadra", "kadra-bpr", "fio"):
        key = (tool, queue)
        if key not in seconds:
            continue
        parts.append("%s %.3f s/GiB" % (tool, sum(seconds[key]) / (moved[key] / 2**30)))
    print("  queue %-3d %s" % (queue, "   ".join(parts)))
PY
