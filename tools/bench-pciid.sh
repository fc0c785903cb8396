#!/usr/bin/env bash
# Benchmark of the PCI naming lookups: naming 1024 functions with an ID file converted from
# the full public PCI ID list (goal: under 50 ms), and the ID file searches indexed against
# the linear walks they replace.
#
#   tools/bench-pciid.sh [pcidevs.txt] [rounds]
#
# Builds the optimised `bench` preset in build/bench-pciid (override with BUILD_DIR). Without
# an argument it uses the pcidevs.txt the build converts from /usr/share/misc/pci.ids.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build/bench-pciid}
cmake --preset bench -B "$build" -DBK_SUBSYSTEMS="bexa/pciid" >/dev/null
cmake --build "$build" -j2 --target bexa_pciid_bench >/dev/null
# The converted list needs Python 3 and pci.ids; without them pass a pcidevs.txt.
cmake --build "$build" -j2 --target bexa_pciid_full_list >/dev/null 2>&1 || true
"$build/bin/bexa_pciid_bench" "$@"
