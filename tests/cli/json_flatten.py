#!/usr/bin/env python3
"""Reads one JSON document from a file and prints one line per leaf:
PATH<TAB>VALUE, with PATH the member names and array positions joined by
"." and VALUE a number, true, false, null, or a string as "s:" followed by
the hex of its UTF-8 bytes. Python's own parser checks the document."""
import json
import sys


def walk(path, value, out):
    if isinstance(value, dict):
        out.append(f"{path}\t{{{len(value)}}}")
        for key, item in value.items():
            walk(f"{path}.{key}" if path else key, item, out)
    elif isinstance(value, list):
        out.append(f"{path}\t[{len(value)}]")
        for i, item in enumerate(value):
            walk(f"{path}.{i}" if path else str(i), item, out)
    elif isinstance(value, bool):
        out.append(f"{path}\t{'true' if value else 'false'}")
    elif value is None:
        out.append(f"{path}\tnull")
    elif isinstance(value, str):
        out.append(f"{path}\ts:{value.encode('utf-8').hex()}")
    else:
        out.append(f"{path}\t{value}")


with open(sys.argv[1], encoding="utf-8") as f:
    text = f.read()
document = json.loads(text)
lines = []
walk("", document, lines)
print("\n".join(lines))
