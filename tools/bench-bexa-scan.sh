#!/usr/bin/env bash
# Benchmark: bexa's bus scan, naming and listing of a simulated machine with 1024 functions
# behind nested bridges, named with an ID file converted from the full public PCI ID list,
# beside lspci -F naming the same dump with the same list (whole processes, same run).
#   tools/bench-bexa-scan.sh
# Builds with the bench preset (optimised, no sanitizers) in build/bench-bexa (BUILD_DIR
# overrides it). Goal: bexa faster than lspci -F on the same dump.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build/bench-bexa}
pci_ids=${PCI_IDS:-/usr/share/misc/pci.ids}
runs=${RUNS:-9}

cmake --preset bench -B "$build" -DBK_SUBSYSTEMS="outfile;hwaccess;bexa/pciid;bexa/pcibus;bexa/cli" >/dev/null
cmake --build "$build" --target bexa -j2 >/dev/null

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

python3 tools/pciids-to-pcidevs.py "$pci_ids" -o "$tmp/pcidevs.txt"

# The machine: bus 0 with a host bridge and four root bridges; below them three, then two
# levels of nested bridges (41 buses, numbered depth-first as firmware does); every bus filled
# with multi-function devices, real vendor/device/subsystem ids from the list, until the
# machine holds exactly 1024 functions.
python3 - "$pci_ids" "$tmp/machine.lspci" <<'PY'
import random, struct, sys

ids_path, out_path = sys.argv[1], sys.argv[2]
pairs = []  # (vendor, device, [(subvendor, subdevice)])
vendor = current = None
with open(ids_path, encoding="utf-8", errors="replace") as f:
    for line in f:
        if line.startswith("C "):
            break
        if not line.strip() or line.startswith("#"):
            continue
        if not line.startswith("\t"):
            vendor, current = int(line[:4], 16), None
        elif line.startswith("\t\t"):
            sv, sd = line.split()[:2]
            if current is not None:
                current[2].append((int(sv, 16), int(sd, 16)))
        else:
            device = int(line[1:5], 16)
            current = None
            if 0xFFFF not in (vendor, device):  # all ones reads as an empty slot
                current = (vendor, device, [])
                pairs.append(current)
rng = random.Random(1024)
classes = [0x020000, 0x010601, 0x030000, 0x040300, 0x0C0330, 0x088000, 0x048000, 0x0C0500]

TOTAL = 1024
functions = []  # (bus, device, function, image bytes)

def image(vid, did, cls, header, sub=(0, 0)):
    b = bytearray(256)
    struct.pack_into("<HHHH", b, 0, vid, did, 0x0006, 0x0010)
    struct.pack_into("<I", b, 8, cls << 8 | 1)
    b[0x0E] = header
    if header & 0x7F == 0:
        struct.pack_into("<HH", b, 0x2C, *sub)
    b[0x3C], b[0x3D] = rng.randrange(16), rng.randrange(5)
    return b

def endpoint_image(multi):
    vid, did, subs = rng.choice(pairs)
    sub = rng.choice(subs) if subs and rng.random() < 0.7 else (0, 0)
    return image(vid, did, rng.choice(classes), 0x80 if multi else 0x00, sub)

next_bus = 0
shape = [4, 3, 2]   # bridges per bus at each depth
per_bus = 3         # multi-function devices per bus (8 functions each) while functions last

def fill(bus, depth):
    global next_bus
    slot = 0
    if depth == 0:
        functions.append((bus, 0, 0, image(0x8086, 0x1237, 0x060000, 0x00)))
        slot = 1
    for _ in range(shape[depth] if depth < len(shape) else 0):
        secondary = next_bus = next_bus + 1
        b = image(0x8086, 0x244E, 0x060400, 0x01)
        b[0x18], b[0x19] = bus, secondary
        functions.append((bus, slot, 0, b))
        at = len(functions) - 1
        fill(secondary, depth + 1)
        functions[at][3][0x1A] = next_bus  # subordinate: the last bus below it
        slot += 1
    for _ in range(per_bus):
        if slot > 31:
            break
        for fn in range(8):
            functions.append((bus, slot, fn, endpoint_image(True)))
        slot += 1

fill(0, 0)
# Trim or top up to exactly TOTAL functions: drop trailing endpoints, or add some on bus 0.
endpoints = [i for i, f in enumerate(functions) if f[3][0x0E] & 0x7F == 0 and f[0] != 0]
while len(functions) > TOTAL:
    functions.pop(endpoints.pop())
slot = 31
while len(functions) < TOTAL:
    functions.append((0, slot, 0, endpoint_image(False)))
    slot -= 1
assert len(functions) == TOTAL
with open(out_path, "w") as out:
    for bus, dev, fn, b in sorted(functions, key=lambda f: (f[0], f[1], f[2])):
        out.write("%02x:%02x.%d Device\n" % (bus, dev, fn))
        for row in range(0, 256, 16):
            out.write("%02x: %s\n" % (row, " ".join("%02x" % c for c in b[row:row + 16])))
        out.write("\n")
PY

now_us() { echo $(( $(date +%s%N) / 1000 )); }
# best_of CMD...: the shortest wall time of $runs runs, in microseconds.
best_of() {
  local best="" start elapsed
  for _ in $(seq "$runs"); do
    start=$(now_us)
    "$@" >/dev/null 2>&1
    elapsed=$(( $(now_us) - start ))
    if [ -z "$best" ] || [ "$elapsed" -lt "$best" ]; then best=$elapsed; fi
  done
  echo "$best"
}
ms() { printf '%d.%03d ms' $(( $1 / 1000 )) $(( $1 % 1000 )); }

bexa="$build/bin/bexa"
"$bexa" list --machine "$tmp/machine.lspci" --ids "$tmp/pcidevs.txt" --stats -o "$tmp/bexa.lis" 2>"$tmp/stats"
listed=$(( $(wc -l < "$tmp/bexa.lis") - 1 ))
lspci_lines=$(lspci -F "$tmp/machine.lspci" -i "$pci_ids" | wc -l)
echo "machine: $(grep -cE '^[0-9a-f]{2}:[0-9a-f]{2}\.' "$tmp/machine.lspci") functions; bexa lists $listed, lspci $lspci_lines"
echo "bexa: $(sed 's/^bexa: //' "$tmp/stats")  (in-process scan, naming and listing)"

t_bexa=$(best_of "$bexa" list --machine "$tmp/machine.lspci" --ids "$tmp/pcidevs.txt" -o /dev/null)
t_noids=$(best_of "$bexa" list --machine "$tmp/machine.lspci" --ids /dev/null -o /dev/null)
t_regs=$(best_of "$bexa" list --machine "$tmp/machine.lspci" --ids "$tmp/pcidevs.txt" --registers -n 64 -o /dev/null)
t_lspci=$(best_of lspci -F "$tmp/machine.lspci" -i "$pci_ids")
t_lspci_x=$(best_of lspci -F "$tmp/machine.lspci" -i "$pci_ids" -xxx)

echo "whole processes, best of $runs:"
echo "  bexa list                       $(ms "$t_bexa")"
echo "  lspci -F                        $(ms "$t_lspci")"
echo "  bexa list, empty ID file        $(ms "$t_noids")  (dump loading without the ID file)"
echo "  bexa list --registers -n 64     $(ms "$t_regs")"
echo "  lspci -F -xxx                   $(ms "$t_lspci_x")"
awk -v a="$t_bexa" -v b="$t_lspci" -v c="$t_regs" -v d="$t_lspci_x" 'BEGIN {
  printf "ratio bexa / lspci: %.2f (names), %.2f (with registers)\n", a / b, c / d }'
