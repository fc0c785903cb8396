"""Windows-1252 text for Bexa's 8-bit names, shared by the pci.ids tools."""
import unicodedata


def to_cp1252(text):
    """Converts text to Windows-1252 bytes, one byte per character."""
    out = bytearray()
    for ch in text:
        try:
            out += ch.encode("cp1252")
            continue
        except UnicodeEncodeError:
            pass
        plain = "".join(c for c in unicodedata.normalize("NFKD", ch)
                        if not unicodedata.combining(c))
        if plain and all(32 <= ord(c) < 127 for c in plain):
            out += plain.encode("ascii")
        else:
            out += b"?"
    return bytes(out)
