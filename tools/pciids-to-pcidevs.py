#!/usr/bin/env python3
"""Converts the public PCI ID list (pci.ids) into Bexa's ID file pcidevs.txt.

Usage:
    tools/pciids-to-pcidevs.py [PCI_IDS] [-o PCIDEVS_TXT]

PCI_IDS defaults to /usr/share/misc/pci.ids, the output to pcidevs.txt in the current
folder ("-" writes to standard output). See docs/pci-ids.md.

Output format, one entry per line, LF line ends, Windows-1252 text:

    V 8086 Intel Corporation              a vendor
    D 100e 82540EM Gigabit Ethernet Controller   a device of the vendor above
    O 1014 IBM                            a subsystem vendor of the device above
    S 0269 iSeries 1000/100/10 Ethernet   a subsystem of that subsystem vendor

The kind letter, a blank, four lower-case hex digits, a blank, then the name (which never
holds a tab). A pci.ids subsystem line "svid sdid name" under a device becomes an S line
under an O line for svid; a device's subsystems are grouped under one O line per subsystem
vendor, in the order the list first names each subsystem vendor, each O line followed by all
of that vendor's subsystems of the device in the list's order. The O line's name is the
subsystem vendor's name from the list (empty when the list has no such vendor).

The first three lines are comments that Bexa shows in its About window: where the file
comes from and the list's version and date. Lines starting with "#" are skipped by Bexa.
The class section of pci.ids ("C" lines) is not converted.

Texts: UTF-8 is converted to Windows-1252 as in tools/gen-pci-tables.py (a character that
Windows-1252 lacks becomes its plain ASCII decomposition, else "?"). Every line is kept
below Bexa's line limit of 511 characters by cutting a name to 500 bytes.
"""

import argparse
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from cp1252_text import to_cp1252  # noqa: E402

MAX_TEXT = 500


def clean(text):
    return to_cp1252(" ".join(text.replace("\t", " ").split()))[:MAX_TEXT]


def read_pci_ids(path):
    """Returns (header values, vendors) where vendors is a list of
    (vendor id, name, [(device id, name, [(subvendor id, subdevice id, name)])])."""
    header = {}
    vendors = []
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            line = line.rstrip("\r\n")
            if line.startswith("#"):
                m = re.match(r"#\s*(Version|Date):\s*(.*?)\s*$", line)
                if m and m.group(1) not in header:
                    header[m.group(1)] = m.group(2)
                continue
            if not line.strip():
                continue
            if re.match(r"^C[ \t]", line):
                break  # the class section ends the vendor list
            m = re.match(r"^([0-9a-fA-F]{4})\s+(.*)$", line)
            if m:
                vendors.append((int(m.group(1), 16), m.group(2), []))
                continue
            m = re.match(r"^\t([0-9a-fA-F]{4})\s+(.*)$", line)
            if m and vendors:
                vendors[-1][2].append((int(m.group(1), 16), m.group(2), []))
                continue
            m = re.match(r"^\t\t([0-9a-fA-F]{4})\s+([0-9a-fA-F]{4})\s+(.*)$", line)
            if m and vendors and vendors[-1][2]:
                vendors[-1][2][-1][2].append((int(m.group(1), 16), int(m.group(2), 16),
                                              m.group(3)))
    return header, vendors


def convert(header, vendors):
    vendor_names = {}
    for vid, name, _ in vendors:
        vendor_names.setdefault(vid, name)
    out = [b"# pcidevs.txt made from pci.ids by tools/pciids-to-pcidevs.py",
           b"# Version: " + clean(header.get("Version", "unknown")),
           b"# Date:    " + clean(header.get("Date", "unknown"))]
    for vid, name, devices in vendors:
        out.append(b"V %04x %s" % (vid, clean(name)))
        for did, dname, subsystems in devices:
            out.append(b"D %04x %s" % (did, clean(dname)))
            groups = {}
            for svid, sdid, sname in subsystems:
                groups.setdefault(svid, []).append((sdid, sname))
            for svid, members in groups.items():
                out.append(b"O %04x %s" % (svid, clean(vendor_names.get(svid, ""))))
                for sdid, sname in members:
                    out.append(b"S %04x %s" % (sdid, clean(sname)))
    return b"\n".join(line.rstrip(b" ") for line in out) + b"\n"


def main():
    parser = argparse.ArgumentParser(description="Convert pci.ids into Bexa's pcidevs.txt.")
    parser.add_argument("pci_ids", nargs="?", default="/usr/share/misc/pci.ids")
    parser.add_argument("-o", "--output", default="pcidevs.txt",
                        help='output file (default pcidevs.txt, "-" for standard output)')
    args = parser.parse_args()
    try:
        header, vendors = read_pci_ids(args.pci_ids)
    except OSError as e:
        print("pciids-to-pcidevs: cannot read %s: %s" % (args.pci_ids, e.strerror),
              file=sys.stderr)
        return 1
    if not vendors:
        print("pciids-to-pcidevs: %s holds no vendors; is it a pci.ids file?" % args.pci_ids,
              file=sys.stderr)
        return 1
    data = convert(header, vendors)
    if args.output == "-":
        sys.stdout.buffer.write(data)
        return 0
    tmp = args.output + ".tmp"
    try:
        with open(tmp, "wb") as f:
            f.write(data)
        os.replace(tmp, args.output)
    except OSError as e:
        print("pciids-to-pcidevs: cannot write %s: %s" % (args.output, e.strerror),
              file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
