#!/usr/bin/env python3
"""Fills the unfinished entries of a Qt Linguist .ts file with the source
text converted by OpenCC's s2twp (Taiwan characters and idioms).

Usage: tools/fill_traditional_texts.py src/platform/qt/translations/tovenrak_zh_TW.ts

Entries already translated are kept, so that corrections made by hand after
review survive a rerun; review every new entry before committing.
"""
import subprocess
import sys
import xml.etree.ElementTree as ET


def s2twp(text):
    done = subprocess.run(["opencc", "-c", "s2twp"], input=text, text=True,
                          capture_output=True, check=True)
    return done.stdout


def main(path):
    tree = ET.parse(path)
    filled = 0
    for message in tree.iter("message"):
        translation = message.find("translation")
        if translation is None or translation.get("type") != "unfinished":
            continue
        translation.text = s2twp(message.find("source").text)
        del translation.attrib["type"]
        filled += 1
    with open(path, "wb") as out:
        out.write(b'<?xml version="1.0" encoding="utf-8"?>\n<!DOCTYPE TS>\n')
        tree.write(out, encoding="utf-8", xml_declaration=False)
        out.write(b"\n")
    print(f"{path}: {filled} entries filled")


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    main(sys.argv[1])
