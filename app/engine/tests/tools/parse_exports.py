#!/usr/bin/python3
"""Parses a standard export with standard parsers and prints what it holds.

  parse_exports.py vcf FILE   vCard with python3-vobject; also checks CRLF line
                              ends, UTF-8 and the 75-octet fold limit
  parse_exports.py xml FILE   XML with xml.etree

Prints JSON on standard output; exits 1 with the reason on standard error when
the file does not parse or breaks the format.
"""
import json
import sys


def vcf(path):
    import vobject

    data = open(path, "rb").read()
    lines = data.split(b"\r\n")
    if lines[-1] != b"":
        sys.exit("the file does not end with CRLF")
    for number, line in enumerate(lines[:-1], 1):
        if b"\n" in line or b"\r" in line:
            sys.exit(f"line {number}: a line end other than CRLF")
        if len(line) > 75:
            sys.exit(f"line {number}: {len(line)} octets, more than 75")
    text = data.decode("utf-8")  # raises on invalid UTF-8
    cards = []
    for card in vobject.readComponents(text, validate=True):
        out = {}
        for child in card.getChildren():
            value = child.value
            if child.name == "N":
                value = [value.family, value.given]
            elif child.name == "ADR":
                value = value.street
            types = []
            for t in child.params.get("TYPE", []):
                types += [x.upper() for x in t.split(",")]
            out.setdefault(child.name, []).append({"types": sorted(types), "value": value})
        cards.append(out)
    return cards


def xml(path):
    import xml.etree.ElementTree as ET

    root = ET.parse(path).getroot()
    return {"tag": root.tag, "count": root.get("count"), "items": [dict(e.attrib) for e in root]}


if __name__ == "__main__":
    kind, path = sys.argv[1], sys.argv[2]
    try:
        result = vcf(path) if kind == "vcf" else xml(path)
    except SystemExit:
        raise
    except Exception as error:  # any parser failure is the finding
        sys.exit(f"{type(error).__name__}: {error}")
    json.dump(result, sys.stdout, ensure_ascii=True)
