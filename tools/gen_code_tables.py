#!/usr/bin/env python3
"""Generates the Big5, GBK and GB18030 code tables from the WHATWG index files.

Usage: gen_code_tables.py INDEX_BIG5 INDEX_GB18030 INDEX_GB18030_RANGES OUTPUT

Decoding follows the WHATWG big5 and gb18030 decoders; encoding their encoders,
without HKSCS codes for Big5 (pointers below 5024 are never written) and
without four-byte sequences for GBK. Big5's encode table holds the codes that
Windows' code page 950 reads; the others are listed apart. The ranges become two parallel arrays of
the four-byte area below U+10000 (the supplementary planes follow one formula).
"""

import sys

BIG5_POINTERS = 126 * 157
GB18030_ASTRAL_POINTER = 189000
GB18030_LAST_BMP_POINTER = 39419
GBK_POINTERS = 126 * 190
BIG5_FIRST_ENCODED_POINTER = (0xA1 - 0x81) * 157
# GB18030-2022 moved 18 two-byte codes from private-use code points to
# standard ones (the index has the new mapping); the gb18030 encoder still
# writes the old private-use code points as those two bytes (WHATWG Encoding
# Standard, "gb18030 encoder", the table of its step 5).
GB18030_PUA_ENCODE = [
    (0xE78D, 0xA6D9), (0xE78E, 0xA6DA), (0xE78F, 0xA6DB), (0xE790, 0xA6DC),
    (0xE791, 0xA6DD), (0xE792, 0xA6DE), (0xE793, 0xA6DF), (0xE794, 0xA6EC),
    (0xE795, 0xA6ED), (0xE796, 0xA6F3), (0xE81E, 0xFE59), (0xE826, 0xFE61),
    (0xE82B, 0xFE66), (0xE82C, 0xFE67), (0xE832, 0xFE6D), (0xE843, 0xFE7E),
    (0xE854, 0xFE90), (0xE864, 0xFEA0),
]
# The encoder picks the last of two codes for these, the first for all others.
BIG5_PREFER_LAST = {0x2550, 0x255E, 0x2561, 0x256A, 0x5341, 0x5345}


def read_index(path):
    entries = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            if not line.strip() or line.startswith("#"):
                continue
            fields = line.split()
            entries.append((int(fields[0]), int(fields[1], 16)))
    if not entries:
        sys.stderr.write("no entries in %s\n" % path)
        sys.exit(1)
    return entries


def check_ranges(ranges):
    """The ranges below U+10000, checked to rise in both columns and to end
    with the one entry that starts the supplementary planes."""
    if ranges[0] != (0, 0x80) or ranges[-1] != (GB18030_ASTRAL_POINTER, 0x10000):
        sys.stderr.write("gb18030 ranges do not run from U+0080 to U+10000\n")
        sys.exit(1)
    bmp = ranges[:-1]
    for (p0, c0), (p1, c1) in zip(bmp, bmp[1:]):
        if not (p0 < p1 and c0 < c1 and c1 <= 0xFFFF and p1 <= GB18030_LAST_BMP_POINTER):
            sys.stderr.write("gb18030 ranges out of order at pointer %d\n" % p1)
            sys.exit(1)
    return [p for p, _ in bmp], [c for _, c in bmp]


def big5_code(pointer):
    lead = pointer // 157 + 0x81
    trail = pointer % 157
    trail += 0x40 if trail < 0x3F else 0x62
    return (lead << 8) | trail


def read_by_cp950(code):
    """Big5's punctuation and two levels of hanzi, the euro sign, and ETEN's
    seven hanzi and box drawing at F9D6-F9FE."""
    return (0xA140 <= code <= 0xA3BF or code == 0xA3E1 or
            0xA440 <= code <= 0xC67E or 0xC940 <= code <= 0xF9FE)


def gbk_code(pointer):
    lead = pointer // 190 + 0x81
    trail = pointer % 190
    trail += 0x40 if trail < 0x3F else 0x41
    return (lead << 8) | trail


def gbk_pointer(code):
    trail = code & 0xFF
    return ((code >> 8) - 0x81) * 190 + trail - (0x40 if trail < 0x7F else 0x41)


def emit(out, ctype, name, values, per_line=12):
    out.append("const %s %s[%d] = {" % (ctype, name, len(values)))
    for i in range(0, len(values), per_line):
        out.append("    " + ", ".join("0x%X" % v for v in values[i:i + per_line]) + ",")
    out.append("};")
    out.append("")


def main():
    if len(sys.argv) != 5:
        sys.stderr.write(__doc__)
        sys.exit(2)
    big5 = read_index(sys.argv[1])
    gb = read_index(sys.argv[2])
    ranges = read_index(sys.argv[3])

    big5_decode = [0] * BIG5_POINTERS
    big5_encode = [0] * 0x10000
    big5_encode_astral = {}
    for pointer, cp in big5:
        if pointer >= BIG5_POINTERS:
            sys.stderr.write("big5 pointer %d out of range\n" % pointer)
            sys.exit(1)
        big5_decode[pointer] = cp
        if pointer < BIG5_FIRST_ENCODED_POINTER:
            continue
        if cp > 0xFFFF:
            big5_encode_astral.setdefault(cp, big5_code(pointer))
        elif big5_encode[cp] == 0 or cp in BIG5_PREFER_LAST:
            big5_encode[cp] = big5_code(pointer)
    # The codes chosen that Windows' code page 950 does not read (ETEN's kana
    # and Cyrillic, HKSCS) move to a list of their own, with the supplementary
    # planes', so that writing them can be counted.
    big5_beyond_cp950 = dict(big5_encode_astral)
    for cp, code in enumerate(big5_encode):
        if code != 0 and not read_by_cp950(code):
            big5_beyond_cp950[cp] = code
            big5_encode[cp] = 0

    gbk_decode = [0] * GBK_POINTERS
    gbk_encode = [0] * 0x10000
    for pointer, cp in gb:
        if pointer >= GBK_POINTERS or cp > 0xFFFF:
            sys.stderr.write("gb18030 entry %d out of the two-byte range\n" % pointer)
            sys.exit(1)
        gbk_decode[pointer] = cp
        # The euro sign, A2E3 in GB18030, is the single byte 0x80 in GBK:
        # both are written apart from this table.
        if gbk_encode[cp] == 0 and cp not in (0xE5E5, 0x20AC):
            gbk_encode[cp] = gbk_code(pointer)

    out = [
        "// Generated by tools/gen_code_tables.py from data/index-big5.txt,",
        "// data/index-gb18030.txt and data/index-gb18030-ranges.txt (WHATWG",
        "// Encoding Standard indexes); do not edit.",
        "// The indexes are published with the Encoding Standard, Copyright (c) WHATWG",
        "// (Apple, Google, Mozilla, Microsoft), under the BSD 3-Clause licence; see NOTICE.",
        "",
    ]
    emit(out, "char32_t", "kBig5Decode", big5_decode, 8)
    emit(out, "char16_t", "kBig5Encode", big5_encode)
    beyond = sorted(big5_beyond_cp950.items())
    emit(out, "char32_t", "kBig5EncodeBeyondCp950CodePoints", [cp for cp, _ in beyond], 8)
    emit(out, "char16_t", "kBig5EncodeBeyondCp950Codes", [code for _, code in beyond])
    emit(out, "char16_t", "kGbkDecode", gbk_decode)
    emit(out, "char16_t", "kGbkEncode", gbk_encode)
    for cp, code in GB18030_PUA_ENCODE:
        if gbk_encode[cp] != 0 or gbk_decode[gbk_pointer(code)] in (0, cp):
            sys.stderr.write("gb18030 index no longer moves U+%04X off %X\n" % (cp, code))
            sys.exit(1)
    emit(out, "char16_t", "kGb18030PuaCodePoints", [cp for cp, _ in GB18030_PUA_ENCODE])
    emit(out, "char16_t", "kGb18030PuaCodes", [code for _, code in GB18030_PUA_ENCODE])
    pointers, code_points = check_ranges(ranges)
    emit(out, "char16_t", "kGb18030RangePointers", pointers)
    emit(out, "char16_t", "kGb18030RangeCodePoints", code_points)
    text = "\n".join(out)
    try:
        with open(sys.argv[4], encoding="utf-8") as f:
            if f.read() == text:
                return
    except OSError:
        pass
    with open(sys.argv[4], "w", encoding="utf-8") as f:
        f.write(text)


if __name__ == "__main__":
    main()
