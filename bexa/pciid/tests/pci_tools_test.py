#!/usr/bin/env python3
"""Tests of tools/gen-pci-tables.py and tools/pciids-to-pcidevs.py.

    python3 bexa/pciid/tests/pci_tools_test.py
"""

import importlib.util
import os
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
TOOLS = os.path.join(HERE, "..", "..", "..", "tools")
MINI = os.path.join(HERE, "data", "mini.pci.ids")


def load(name, file):
    module_spec = importlib.util.spec_from_file_location(name, os.path.join(TOOLS, file))
    module = importlib.util.module_from_spec(module_spec)
    module_spec.loader.exec_module(module)
    return module


gen = load("gen_pci_tables", "gen-pci-tables.py")
conv = load("pciids_to_pcidevs", "pciids-to-pcidevs.py")


class GeneratorRulesTest(unittest.TestCase):
    def test_short_vendor_names(self):
        cases = [
            ("Advanced Micro Devices, Inc. [AMD]", "AMD"),
            ("Intel Corporation", "Intel"),
            ("NVIDIA Corporation", "NVIDIA"),
            ("Realtek Semiconductor Co., Ltd.", "Realtek"),
            ("Broadcom Inc. and subsidiaries", "Broadcom"),
            ("LG Electronics [Lucky Goldstar Co. Ltd]", "LG Electronics"),
            ("Hauppauge computer works Inc.", ""),
            ("Allied Telesis, Inc (Wrong ID)", "Allied Telesis"),
        ]
        for name, short in cases:
            self.assertEqual(gen.vendor_names(name)[0], short, name)

    def test_full_vendor_name_drops_the_abbreviation_only_when_too_long(self):
        self.assertEqual(gen.vendor_names("Silicon Integrated Systems [SiS]")[1],
                         "Silicon Integrated Systems [SiS]")
        long_name = "Herrick Technology Laboratories, Inc. [HTL]"
        self.assertEqual(gen.vendor_names(long_name)[1], "Herrick Technology Laboratories, Inc.")

    def test_device_split(self):
        cases = [
            ("GA104M [GeForce RTX 3070 Mobile / Max-Q]",
             ("GA104M", "GeForce RTX 3070 Mobile / Max-Q")),
            ("Cape Verde PRO [Radeon HD 7750]", ("Cape Verde PRO", "Radeon HD 7750")),
            ("SATA Controller [RAID mode]", ("", "SATA Controller [RAID mode]")),
            ("RTS5208 PCI Express Card Reader", ("RTS5208", "PCI Express Card Reader")),
            ("R24FXS", ("R24FXS", "")),
            ("Alder Lake PCH Serial IO I2C Controller #3",
             ("", "Alder Lake PCH Serial IO I2C Controller #3")),
            ("8 Series/C220 Series SATA", ("", "8 Series/C220 Series SATA")),
        ]
        for text, expected in cases:
            self.assertEqual(gen.device_names(text), expected, text)

    def test_windows_1252_conversion(self):
        self.assertEqual(gen.to_cp1252("f\u00fcr"), b"f\xfcr")
        self.assertEqual(gen.to_cp1252("\u20ac \u2122"), b"\x80 \x99")
        self.assertEqual(gen.to_cp1252("\u0151\u0141"), b"o?")  # no decomposition for L-stroke
        self.assertEqual(gen.to_cp1252("\u2192"), b"?")

    def test_cut_prefers_a_blank_and_never_exceeds_the_limit(self):
        text = b"Xeon E7 v4/Xeon E5 v4/Xeon E3 v4/Xeon D PCI Express Root Port 2"
        cut = gen.cut(text, 54)
        self.assertLessEqual(len(cut), 54)
        self.assertEqual(cut, b"Xeon E7 v4/Xeon E5 v4/Xeon E3 v4/Xeon D PCI Express")
        self.assertEqual(gen.cut(b"a" * 60, 54), b"a" * 54)
        self.assertEqual(gen.cut(b"short", 54), b"short")
        self.assertEqual(gen.cut(("\u00fc" * 60).encode("cp1252"), 40), b"\xfc" * 40)

    def test_c_string_escapes(self):
        self.assertEqual(gen.c_string(b'a"b\\c?\xfc1'), '"a\\"b\\\\c\\?\\3741"')


class GeneratorOutputTest(unittest.TestCase):
    def test_tables_from_a_small_list(self):
        with tempfile.TemporaryDirectory() as out:
            subprocess.run([sys.executable, os.path.join(TOOLS, "gen-pci-tables.py"), MINI, out],
                           check=True, stdout=subprocess.DEVNULL)
            with open(os.path.join(out, "vendor_table.cpp")) as f:
                vendors = [l.strip() for l in f if l.startswith("    {")]
            with open(os.path.join(out, "device_table.cpp")) as f:
                devices = [l.strip() for l in f if l.startswith("    {")]
        self.assertEqual(vendors, [
            '{0x0ABC, "ZSC", "Zeta Semiconductor Co., Ltd. [ZSC]"},',
            '{0x1028, "Dell", "Dell"},',
            '{0x103C, "Hewlett-Packard", "Hewlett-Packard Company"},',
            '{0x1234, "Example Gr\\374n", "Example Gr\\374n GmbH"},',
            '{0xFFFF, "", ""},',
        ])
        self.assertEqual(devices, [
            '{0x0ABC, 0x0010, "ZS10", ""},',
            '{0x1234, 0x0001, "EX100", "Turbo Card"},',
            '{0x1234, 0x0002, "", "Plain controller name"},',  # tab made a blank
            '{0xFFFF, 0x0000, "", ""},',
        ])


class ConverterTest(unittest.TestCase):
    def test_small_list(self):
        header, vendors = conv.read_pci_ids(MINI)
        lines = conv.convert(header, vendors).decode("cp1252").split("\n")
        self.assertEqual(lines, [
            "# pcidevs.txt made from pci.ids by tools/pciids-to-pcidevs.py",
            "# Version: 2099.01.02",
            "# Date:    2099-01-02 03:04:05",
            "V 1234 Example Gr\u00fcn GmbH",
            "D 0001 EX100 [Turbo Card]",
            "O 1028 Dell",  # both Dell subsystems under one O line
            "S 0002 Dell board two",
            "S 0001 Dell board one",
            "O 103c Hewlett-Packard Company",
            "S 0005 HP board",
            "D 0002 Plain controller name",  # a tab would end the name
            "V 1028 Dell",
            "V 103c Hewlett-Packard Company",
            "V ffff Illegal Vendor ID",
            "V 0abc Zeta Semiconductor Co., Ltd. [ZSC]",
            "D 0010 ZS10",
            "",
        ])

    def test_command_line_errors(self):
        script = os.path.join(TOOLS, "pciids-to-pcidevs.py")
        missing = subprocess.run([sys.executable, script, "/nonexistent/pci.ids", "-o", "-"],
                                 capture_output=True, text=True)
        self.assertEqual(missing.returncode, 1)
        self.assertIn("cannot read /nonexistent/pci.ids", missing.stderr)
        with tempfile.NamedTemporaryFile("w", suffix=".ids", delete=False) as f:
            f.write("# nothing here\n")
        try:
            empty = subprocess.run([sys.executable, script, f.name, "-o", "-"],
                                   capture_output=True, text=True)
        finally:
            os.remove(f.name)
        self.assertEqual(empty.returncode, 1)
        self.assertIn("holds no vendors", empty.stderr)


if __name__ == "__main__":
    unittest.main()
