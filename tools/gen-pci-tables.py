#!/usr/bin/env python3
"""Generates Bexa's built-in vendor and device tables from the public PCI ID list.

Usage:
    tools/gen-pci-tables.py [PCI_IDS] [OUTPUT_DIR]

PCI_IDS defaults to /usr/share/misc/pci.ids (Debian package "pci.ids"), OUTPUT_DIR to
bexa/pciid/generated next to this script. Writes vendor_table.cpp and device_table.cpp there;
the build compiles them as they are, so rerun this and commit the result to update the tables.

What goes into the tables
-------------------------
VendorTable row: vendor id, short name (at most 20 characters, may be empty), full name (at
most 40 characters, never empty). One row per vendor line of the list, ascending by id; the
list's vendor FFFF ("Illegal Vendor ID") is left out because FFFF is the id of the end row.

DeviceTable row: vendor id, device id, chip name (at most 20 characters, may be empty),
description (at most 54 characters, may be empty). One row per device line, ascending by
(vendor id, device id); rows with equal keys keep the list's order. Subsystem lines and the
class section of the list are not used.

Both tables end with a row of vendor id FFFF that never matches.

Text encoding
-------------
Runs of white space in a name (tabs included) become one blank.
The list is UTF-8; Bexa's texts are 8-bit Windows-1252. A character that Windows-1252 has is
kept; any other is replaced by its compatibility decomposition without accents when that is
plain ASCII (for example "\u0151" becomes "o"), otherwise by "?". Texts are cut to their limits
after the conversion, so every character is one byte and a cut never splits one. Bytes above
0x7F are written as octal escapes, so the generated sources are ASCII.

Cutting a text to its limit
---------------------------
A text longer than its limit is cut at the last blank within the limit when that keeps at
least two thirds of the limit, otherwise at the limit itself; trailing blanks and the
punctuation " ,;:-/(" are dropped from the end of the cut text.

Short vendor name (first rule that fits, else empty)
-----------------------------------------------------
1. The name ends with a bracketed abbreviation "[X]" and X has at most 20 characters: X
   ("Advanced Micro Devices, Inc. [AMD]" gives "AMD").
2. The name without a trailing bracketed or parenthesised remark, with its legal form taken
   off its end (Inc., Corp., Corporation, Co., Ltd., GmbH, AG, S.A., LLC, plc, B.V. and the
   like, repeatedly, with the commas before them), has at most 20 characters: that name
   ("Intel Corporation" gives "Intel", "NVIDIA Corporation" gives "NVIDIA").
3. The same, additionally without trailing generic words (Semiconductor, Technology,
   Systems, Electronics, Microsystems, Computer, Communications, International, Group and the
   like), has at most 20 characters and at least 2: that ("Realtek Semiconductor Co., Ltd."
   gives "Realtek").
Full vendor name: the name as the list gives it, cut to 40 characters; when it is longer
than 40 and ends with a bracketed abbreviation, the abbreviation is dropped first.

Chip name and description of a device (first rule that fits)
--------------------------------------------------------------
1. "X [Y]" (a final bracketed part, as the list writes marketing names after a chip code
   name) where X has at most 20 characters and names no function (none of the words
   Controller, Bridge, Switch, Adapter, Card, SSD, Interface, Device, Port, Function, Hub):
   chip name X, description Y ("GA104M [GeForce RTX 3070 Mobile / Max-Q]").
2. The first word of the text has at most 20 characters and holds both a digit and a letter
   (a part number): chip name that word, description the rest of the text, possibly empty
   ("RTS5208 PCI Express Card Reader", "VT8235 ACPI", "R24FXS").
3. Otherwise: no chip name, the whole text is the description.
"""

import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from cp1252_text import to_cp1252  # noqa: E402

VENDOR_SHORT_MAX = 20
VENDOR_FULL_MAX = 40
CHIP_MAX = 20
DESCRIPTION_MAX = 54
END_ROW_VENDOR = 0xFFFF

LEGAL_FORMS = {
    "inc", "incorporated", "corp", "corporation", "co", "company", "ltd", "limited", "gmbh",
    "ag", "sa", "s.a", "llc", "l.l.c", "plc", "bv", "b.v", "nv", "n.v", "pty", "kk", "k.k",
    "ab", "oy", "spa", "s.p.a", "srl", "s.r.l", "sas", "s.a.s", "as", "a/s", "asa", "oyj",
    "kg", "co.kg", "lp", "l.p", "pte", "sdn", "bhd", "se", "s.l", "sl", "ltda", "cv", "s.a.r.l",
    "sarl", "mbh", "aps", "zrt", "kft", "s.r.o", "sro", "a.s", "sp", "z", "o.o", "de",
}
GENERIC_WORDS = {
    "semiconductor", "semiconductors", "technology", "technologies", "tech", "systems",
    "system", "electronics", "electronic", "microsystems", "microelectronics", "computer",
    "computers", "communications", "communication", "international", "group", "industries",
    "industrial", "enterprises", "laboratories", "labs", "devices", "solutions", "networks",
    "products", "design", "designs", "engineering", "research", "holdings", "america",
    "&", "and", "the", "of", "subsidiaries", "subsidiary", "intl", "mfg", "manufacturing", "components", "instruments",
}
FUNCTION_WORDS = re.compile(
    r"\b(controller|bridge|switch|adapter|card|ssd|interface|device|port|function|hub)\b",
    re.IGNORECASE)
TRAILING_JUNK = " ,;:-/("


def cut(data, limit):
    """Cuts 8-bit text to at most limit bytes, at a blank where that keeps enough of it."""
    if len(data) <= limit:
        return data
    head = data[:limit]
    blank = head.rfind(b" ")
    if blank >= (2 * limit) // 3:
        head = head[:blank]
    return head.rstrip(TRAILING_JUNK.encode("ascii"))


def strip_legal_form(name):
    words = name.replace(",", " , ").split()
    while words and (words[-1].lower().rstrip(".") in LEGAL_FORMS or words[-1] == ","):
        words.pop()
    return " ".join(words).replace(" , ", ", ").rstrip(" ,")


def strip_generic_words(name):
    words = name.split()
    while len(words) > 1 and words[-1].lower().rstrip(".,") in GENERIC_WORDS:
        words.pop()
    return " ".join(words).rstrip(" ,")


def vendor_names(name):
    """Returns (short name, full name) as text, before conversion and cutting."""
    bracket = re.match(r"^(.*?)\s*\[([^\[\]]+)\]\s*$", name)
    if bracket and len(to_cp1252(bracket.group(2).strip())) <= VENDOR_SHORT_MAX:
        short = bracket.group(2).strip()
    else:
        base = re.sub(r"\s*[\[(][^\[\]()]*[\])]\s*$", "", name)
        short = strip_legal_form(base)
        if len(to_cp1252(short)) > VENDOR_SHORT_MAX:
            short = strip_legal_form(strip_generic_words(short))
            if not (2 <= len(to_cp1252(short)) <= VENDOR_SHORT_MAX):
                short = ""
    full = name
    if len(to_cp1252(full)) > VENDOR_FULL_MAX and bracket:
        full = bracket.group(1)
    return short, full


def device_names(text):
    """Returns (chip name, description) as text, before conversion and cutting."""
    bracket = re.match(r"^(.*?)\s*\[([^\[\]]+)\]\s*$", text)
    if bracket:
        chip = bracket.group(1).strip()
        if chip and len(to_cp1252(chip)) <= CHIP_MAX and not FUNCTION_WORDS.search(chip):
            return chip, bracket.group(2).strip()
    first, _, rest = text.partition(" ")
    if (len(to_cp1252(first)) <= CHIP_MAX and re.search(r"\d", first)
            and re.search(r"[A-Za-z]", first)):
        return first, rest.strip()
    return "", text


def read_pci_ids(path):
    """Returns (version line, vendors, devices) from a pci.ids file."""
    vendors, devices = [], []
    version = ""
    vendor = None
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            line = line.rstrip("\r\n")
            if line.startswith("#"):
                m = re.match(r"#\s*Version:\s*(\S+)", line)
                if m and not version:
                    version = m.group(1)
                continue
            if not line.strip():
                continue
            if line.startswith("C ") or line.startswith("C\t"):
                vendor = None  # the class section runs to the end of the list
                continue
            m = re.match(r"^([0-9a-fA-F]{4})\s+(.*)$", line)
            if m:
                vendor = int(m.group(1), 16)
                vendors.append((vendor, " ".join(m.group(2).split())))
                continue
            m = re.match(r"^\t([0-9a-fA-F]{4})\s+(.*)$", line)
            if m and vendor is not None:
                devices.append((vendor, int(m.group(1), 16), " ".join(m.group(2).split())))
    return version, vendors, devices


def c_string(data):
    out = ['"']
    for b in data:
        if b == 0x22:
            out.append('\\"')
        elif b == 0x5C:
            out.append("\\\\")
        elif b == 0x3F:
            out.append("\\?")  # never part of a trigraph
        elif 32 <= b < 127:
            out.append(chr(b))
        else:
            out.append("\\%03o" % b)
    out.append('"')
    return "".join(out)


def write_source(path, header, body):
    tmp = path + ".tmp"
    with open(tmp, "w", encoding="ascii", newline="\n") as f:
        f.write(header)
        f.write(body)
    os.replace(tmp, path)


def main(argv):
    if len(argv) > 1 and argv[1] in ("-h", "--help"):
        print("usage: gen-pci-tables.py [PCI_IDS [OUT_DIR]]\n"
              "Writes vendor_table.cpp and device_table.cpp (default: bexa/pciid/generated/)\n"
              "from the PCI ID list (default: /usr/share/misc/pci.ids).")
        return 0
    here = os.path.dirname(os.path.abspath(__file__))
    pci_ids = argv[1] if len(argv) > 1 else "/usr/share/misc/pci.ids"
    out_dir = argv[2] if len(argv) > 2 else os.path.join(here, "..", "bexa", "pciid", "generated")
    version, vendors, devices = read_pci_ids(pci_ids)

    vendors = sorted((v for v in vendors if v[0] != END_ROW_VENDOR), key=lambda v: v[0])
    seen = set()
    vendor_rows = []
    for vid, name in vendors:
        if vid in seen:
            continue  # the list names each vendor once; keep the first if not
        seen.add(vid)
        short, full = vendor_names(name)
        full_bytes = cut(to_cp1252(full), VENDOR_FULL_MAX) or b"?"
        vendor_rows.append((vid, cut(to_cp1252(short), VENDOR_SHORT_MAX), full_bytes))

    devices = sorted((d for d in devices if d[0] != END_ROW_VENDOR), key=lambda d: (d[0], d[1]))
    device_rows = []
    for vid, did, text in devices:
        chip, description = device_names(text)
        device_rows.append((vid, did, cut(to_cp1252(chip), CHIP_MAX),
                            cut(to_cp1252(description), DESCRIPTION_MAX)))

    header = ("// Generated by tools/gen-pci-tables.py from the PCI ID list version %s.\n"
              "// Do not edit; rerun the generator instead.\n"
              "#include \"id_tables.h\"\n\nnamespace bexa {\n\n" % (version or "unknown"))

    lines = ["const VendorRow VendorTable[] = {\n"]
    for vid, short, full in vendor_rows:
        lines.append("    {0x%04X, %s, %s},\n" % (vid, c_string(short), c_string(full)))
    lines.append('    {0xFFFF, "", ""},\n};\n\n')
    lines.append("const std::size_t VendorTableSize = sizeof VendorTable / sizeof VendorTable[0];"
                 "\n\n}  // namespace bexa\n")
    write_source(os.path.join(out_dir, "vendor_table.cpp"), header, "".join(lines))

    lines = ["const DeviceRow DeviceTable[] = {\n"]
    for vid, did, chip, description in device_rows:
        lines.append("    {0x%04X, 0x%04X, %s, %s},\n"
                     % (vid, did, c_string(chip), c_string(description)))
    lines.append('    {0xFFFF, 0x0000, "", ""},\n};\n\n')
    lines.append("const std::size_t DeviceTableSize = sizeof DeviceTable / sizeof DeviceTable[0];"
                 "\n\n}  // namespace bexa\n")
    write_source(os.path.join(out_dir, "device_table.cpp"), header, "".join(lines))

    print("%d vendor rows (%d without short name), %d device rows (%d without chip name, "
          "%d without description)" % (
              len(vendor_rows), sum(1 for r in vendor_rows if not r[1]), len(device_rows),
              sum(1 for r in device_rows if not r[2]), sum(1 for r in device_rows if not r[3])))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
