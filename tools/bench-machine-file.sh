#!/usr/bin/env bash
# Benchmark: loading large machine files, as `bexa list --machine FILE` does it (whole
# processes: wall time and peak memory from /usr/bin/time), beside lspci -F reading the same
# dump of functions.
#   tools/bench-machine-file.sh
# Two files, generated here:
#   fills      one function, a 4G RAM region and 65536 lines "#tvk fill ADDR 65534 01", each
#              most of one 64 KiB chunk (1.8 MB); loading takes no memory for them, however
#              many there are
#   functions  65536 functions, every bus, device and function of domain 0, as lspci -n -x
#              writes them (15.9 MB), each with a memory BAR and an I/O BAR
# Builds with the bench preset (optimised, no sanitizers) in build/bench-machine (BUILD_DIR
# overrides it); RUNS (default 3) runs of each, the fastest shown with its peak memory.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build/bench-machine}
runs=${RUNS:-3}

cmake --preset bench -B "$build" -DBK_SUBSYSTEMS="outfile;hwaccess;bexa/pciid;bexa/pcibus;bexa/cli" >/dev/null
cmake --build "$build" --target bexa -j2 >/dev/null

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

python3 - "$tmp" <<'PY'
import sys

folder = sys.argv[1]

def hex_lines(b):
    return "".join("%02x: %s\n" % (row, " ".join("%02x" % c for c in b[row:row + 16]))
                   for row in range(0, len(b), 16))

with open(folder + "/fills.lspci", "w") as out:
    host = bytearray(64)
    host[0:4] = bytes([0x86, 0x80, 0x80, 0x25])  # 8086:2580, host bridge
    host[0x0B] = 0x06
    out.write("00:00.0 Host bridge: Intel Corporation 82915G/P/GV/GL/PL/910GL Memory Controller Hub\n")
    out.write(hex_lines(host) + "\n#tvk ram 0 4G\n")
    for i in range(65536):
        out.write("#tvk fill %08x 65534 01\n" % (i * 0x10000 + 1))

with open(folder + "/functions.lspci", "w") as out:
    i = 0
    for bus in range(256):
        for device in range(32):
            for function in range(8):
                b = bytearray(64)
                b[0:4] = bytes([0x86, 0x80, i & 0xFF, i >> 8])
                b[0x04] = 0x03                  # I/O and memory decoding on
                b[0x08], b[0x0B] = 0x01, 0x02   # revision 1, network controller
                b[0x0E] = 0x80                  # multi-function
                b[0x10:0x14] = (0x80000000 + i * 0x1000).to_bytes(4, "little")
                b[0x14:0x18] = (0x10000 + i * 0x20 | 1).to_bytes(4, "little")
                b[0x3C], b[0x3D] = i % 16, 1
                out.write("%02x:%02x.%d 0200: 8086:%04x (rev 01)\n" % (bus, device, function, i))
                out.write(hex_lines(b) + "\n")
                i += 1
PY

# measure CMD...: the fastest of $runs runs as "SECONDS PEAK_KB CPU_SECONDS".
measure() {
  local best="" line
  for _ in $(seq "$runs"); do
    /usr/bin/time -f '%e %M %U %S' -o "$tmp/time" "$@" >/dev/null 2>"$tmp/stderr" || {
      echo "failed: $* ($(cat "$tmp/stderr"))" >&2
      exit 1
    }
    line=$(awk '{ print $1, $2, $3 + $4 }' "$tmp/time")
    if [ -z "$best" ] || awk -v a="${line%% *}" -v b="${best%% *}" 'BEGIN { exit !(a < b) }'; then
      best=$line
    fi
  done
  echo "$best"
}
show() {  # show LABEL "SECONDS PEAK_KB CPU_SECONDS"
  echo "$2" | awk -v label="$1" \
    '{ printf "  %-40s %8.2f s %8.2f s CPU %9.1f MB peak\n", label, $1, $3, $2 / 1024 }'
}

bexa="$build/bin/bexa"
echo "whole processes, fastest of $runs: wall time, CPU time (user + system), peak resident memory"
for name in fills functions; do
  file="$tmp/$name.lspci"
  size=$(stat -c %s "$file")
  show "bexa list, $name ($(awk -v b="$size" 'BEGIN { printf "%.1f MB", b / 1e6 }'))" \
    "$(measure "$bexa" list --machine "$file" --ids /dev/null -o "$tmp/$name.lis")"
done
if command -v lspci >/dev/null; then
  show "lspci -F -n, functions" "$(measure lspci -F "$tmp/functions.lspci" -n)"
  echo "functions read: lspci $(lspci -F "$tmp/functions.lspci" -n | wc -l)," \
    "bexa $("$bexa" list --machine "$tmp/functions.lspci" --ids /dev/null --stats -o "$tmp/stats.lis" 2>&1 |
      sed -n 's/^bexa: \([0-9]*\) functions, .*/\1 listed/p')"
else
  echo "lspci not installed: no reference"
fi
