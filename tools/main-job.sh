#!/usr/bin/env bash
# Sets up, builds and runs the main job: the native programs on this machine.
#   Bexa: the PCI bus of this machine (live, through sysfs; the embedded simulated machine
#         where there is none), named from an ID file made from the public PCI ID list.
#   Kadra: a short disk test in the current folder, with its RTF log there and its results as
#          JSON in build/native.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
here=$PWD

bash "$root/tools/setup.sh"
(cd "$root" && cmake --preset native >/dev/null && cmake --build --preset native)
bin=$root/build/native/bin

ids=$root/build/native/pcidevs.txt
[ -f "$ids" ] || python3 "$root/tools/pciids-to-pcidevs.py" -o "$ids"
machine=live
[ -d /sys/bus/pci/devices ] || machine=embedded

echo "== tvkdump: the embedded machine, in lspci -xxx format (first function)"
"$bin/tvkdump" --machine embedded >"$root/build/native/tvkdump.txt"
sed -n '1,17p' "$root/build/native/tvkdump.txt"

echo
echo "== bexa list: the PCI bus of this machine ($machine)"
"$bin/bexa" list --machine "$machine" --ids "$ids"

echo
echo "== bexa list --registers: the embedded machine"
"$bin/bexa" list --machine embedded --ids "$ids" --registers -o "$root/build/native/embedded.lis"
head -n 40 "$root/build/native/embedded.lis"

echo
echo "== bexa memmap and bexa irq: this machine ($machine)"
"$bin/bexa" memmap --machine "$machine" | grep -v ' <-  : $' || true
"$bin/bexa" irq --machine "$machine"

if [ -x "$bin/kadra" ]; then
  echo
  echo "== kadra disk: a short disk test in $here"
  "$bin/kadra" disk --dir "$here" --size 64 --quick --description "main job" \
    --json "$root/build/native/kadra-main-job.json"
  echo "(the RTF log: $here/kadra main job.rtf; the results as JSON:" \
    "$root/build/native/kadra-main-job.json)"
fi
