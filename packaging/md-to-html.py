#!/usr/bin/env python3
"""Converts one user page of docs/ (Markdown) into a stand-alone HTML page for the packages.

Usage: packaging/md-to-html.py PAGE.md PAGE.html

Links to other pages (name.md) become links to name.html; images keep their relative paths
(the packages carry docs/screenshots beside the pages). Needs python3-markdown.
"""

import html
import re
import sys

import markdown


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__.strip())
    source, target = sys.argv[1], sys.argv[2]
    with open(source, encoding="utf-8") as f:
        text = f.read()
    text = re.sub(r"\]\(([A-Za-z0-9_-]+)\.md(#[^)]*)?\)", r"](\1.html\2)", text)
    body = markdown.markdown(text, extensions=["tables", "fenced_code"])
    match = re.search(r"^#\s+(.+)$", text, re.MULTILINE)
    title = html.escape(match.group(1).strip()) if match else "Bexa and Kadra"
    page = (
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        f"<title>{title}</title>\n"
        "<style>body{font-family:sans-serif;max-width:60em;margin:2em auto;padding:0 1em}"
        "table{border-collapse:collapse}td,th{border:1px solid #aaa;padding:2px 6px}"
        "pre,code{background:#f4f4f4}img{max-width:100%}</style>\n"
        f"</head>\n<body>\n{body}\n</body>\n</html>\n"
    )
    with open(target, "w", encoding="utf-8") as f:
        f.write(page)


if __name__ == "__main__":
    main()
