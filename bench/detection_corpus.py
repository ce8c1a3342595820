#!/usr/bin/env python3
"""Builds a corpus of Chinese pages and text files from the Chinese text on
this machine and prints how often encoding detection gets each kind right,
for tovenrak_detect and, when installed, uchardet and enca.

    python3 bench/detection_corpus.py [--build build] [--detect PROGRAM]
        [--work DIR] [--seed N] [--sample DIR]

Sources: the translations under /usr/share/locale/zh_*/ (through msgunfmt)
and the manual pages under /usr/share/man/zh_*/. Simplified text (zh_CN,
zh_Hans) becomes GBK, GB18030 and UTF-8 files; traditional text (zh_TW,
zh_HK, zh_Hant) Big5 and UTF-8 files; all through iconv. Each source gives
one file of each kind (see KINDS): pages with and without a declaration,
plain text files, GB pages that mention Big5, declarations that lie.

A detection is right when it names the encoding the file was written in;
GBK and GB18030 count as the same for a file that holds no GB18030
four-byte sequence, as they read it alike. --sample DIR writes a few small
files of the kinds that are hardest, named KIND-SOURCE (KIND begins with
the encoding), for
tests/data/detection; they come from the iso-codes translations only, whose
licence (LGPL-2.1-or-later) NOTICE names. Uses only the Python standard
library.
"""

import argparse
import glob
import gzip
import html
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile

# (kind, script, encoding written, declaration in the page or None for
# none, "page" or "text", what the body mentions). The declaration is a
# <meta> charset unless it starts with "xml:".
KINDS = [
    ("big5-declared", "trad", "big5", "big5", "page", None),
    ("big5-undeclared", "trad", "big5", None, "page", None),
    ("big5-text", "trad", "big5", None, "text", None),
    ("big5-mentions-gb", "trad", "big5", None, "page", "gb"),
    ("big5-declared-gb2312", "trad", "big5", "gb2312", "page", None),
    ("big5-declared-utf8", "trad", "big5", "utf-8", "page", None),
    ("gbk-declared", "simp", "gbk", "gb2312", "page", None),
    ("gbk-undeclared", "simp", "gbk", None, "page", None),
    ("gbk-text", "simp", "gbk", None, "text", None),
    ("gbk-mentions-big5", "simp", "gbk", None, "page", "big5"),
    ("gbk-text-mentions-big5", "simp", "gbk", None, "text", "big5"),
    ("gbk-declared-big5", "simp", "gbk", "big5", "page", None),
    ("gbk-declared-utf8", "simp", "gbk", "utf-8", "page", None),
    ("gbk-traditional-text", "trad", "gbk", None, "text", None),
    ("gbk-traditional-declared", "trad", "gbk", "gbk", "page", None),
    ("gb18030-declared", "simp", "gb18030", "gb18030", "page", "rare"),
    ("gb18030-text", "simp", "gb18030", None, "text", "rare"),
    ("gb18030-xml", "simp", "gb18030", "xml:gb2312", "page", "rare"),
    ("utf8-declared", "simp", "utf8", "utf-8", "page", None),
    ("utf8-undeclared", "trad", "utf8", None, "page", None),
    ("utf8-text", "simp", "utf8", None, "text", None),
    ("utf8-declared-gb2312", "simp", "utf8", "gb2312", "page", None),
    ("utf8-declared-big5", "trad", "utf8", "big5", "page", None),
    # A line or two: a subject, a message, a short post.
    ("big5-short-text", "trad", "big5", None, "text", None),
    ("gbk-short-text", "simp", "gbk", None, "text", None),
    ("gbk-short-traditional", "trad", "gbk", None, "text", None),
    ("utf8-short-text", "simp", "utf8", None, "text", None),
]
# Kinds whose files go into the sample for the unit tests.
SAMPLE_KINDS = ["big5-undeclared", "big5-text", "big5-mentions-gb",
                "big5-declared-gb2312", "gbk-undeclared", "gbk-text",
                "gbk-mentions-big5", "gbk-declared-big5", "gbk-declared-utf8",
                "gb18030-text", "utf8-undeclared", "utf8-declared-gb2312"]
ICONV_NAMES = {"big5": "BIG5", "gbk": "GBK", "gb18030": "GB18030",
               "utf8": "UTF-8"}
# Characters outside GBK that GB18030 writes as four bytes, in words a
# Chinese text might quote.
RARE_WORDS = ["Français", "naïve", "Ñandú", "São Paulo", "𠀀", "™", "😀"]
MENTIONS = {
    "big5": ["本站另有 Big5 繁体版本。",
             "htmlentities() 支持的字符集：ISO-8859-1、UTF-8、cp1251、"
             "GB2312、BIG5、BIG5-HKSCS、Shift_JIS、EUC-JP。"],
    "gb": ["另有簡體版（GB2312）可供下載。",
           "本頁面亦提供 GB2312 編碼版本。"],
}
CJK = re.compile(r"[\u4e00-\u9fff]")


def unescape_po(text):
    return re.sub(r'\\(.)', lambda m: {"n": "\n", "t": "\t"}.get(
        m.group(1), m.group(1)), text)


def strings_of_mo(path):
    try:
        po = subprocess.run(["msgunfmt", path], capture_output=True,
                            check=True).stdout.decode("utf-8", "replace")
    except (OSError, subprocess.CalledProcessError):
        return []
    strings, current, in_msgstr = [], [], False
    for line in po.splitlines() + [""]:
        if line.startswith("msgstr"):
            in_msgstr = True
            current = [line[line.index('"') + 1:-1]]
        elif in_msgstr and line.startswith('"'):
            current.append(line[1:-1])
        else:
            if in_msgstr:
                text = unescape_po("".join(current)).strip()
                if CJK.search(text) and "Project-Id-Version" not in text:
                    strings.append(text)
            in_msgstr = False
    return strings


def strings_of_man(path):
    try:
        with gzip.open(path, "rt", encoding="utf-8", errors="replace") as f:
            lines = f.read().splitlines()
    except OSError:
        return []
    strings = []
    for line in lines:
        if line.startswith(('.\\"', "'\\\"")):
            continue
        if line.startswith("."):
            line = line.split(" ", 1)[1] if " " in line else ""
        line = re.sub(r"\\f[BIRP]|\\\(..|\\-|\\&|\\e", "", line).strip()
        if CJK.search(line):
            strings.append(line)
    return strings


def sources():
    """Yields (name, script, strings) for every source with enough text."""
    scripts = {"zh_CN": "simp", "zh_Hans": "simp", "zh_TW": "trad",
               "zh_HK": "trad", "zh_Hant": "trad"}
    found = []
    for locale, script in scripts.items():
        for path in sorted(glob.glob(f"/usr/share/locale/{locale}/*/*.mo")):
            name = f"{locale}.{os.path.basename(path)[:-3]}"
            found.append((name, script, strings_of_mo(path)))
        for path in sorted(glob.glob(f"/usr/share/man/{locale}/*/*.gz")):
            name = f"{locale}.man.{os.path.basename(path)[:-3]}"
            found.append((name, script, strings_of_man(path)))
    for name, script, strings in found:
        if sum(len(s) for s in strings) >= 200:
            yield name, script, strings


def pick_text(strings, rng, short):
    """A run of the source's strings of a size typical of pages and posts:
    mostly 1-8 KB, some short, some long; or one short string."""
    if short:
        fitting = [s for s in strings if 10 <= len(s.encode("utf-8")) <= 120]
        return [rng.choice(fitting or strings)]
    roll = rng.random()
    target = (rng.randint(150, 600) if roll < 0.15 else
              rng.randint(600, 8000) if roll < 0.85 else
              rng.randint(8000, 40000))
    start = rng.randrange(len(strings))
    chosen, size = [], 0
    for i in range(len(strings)):
        s = strings[(start + i) % len(strings)]
        chosen.append(s)
        size += len(s.encode("utf-8"))
        if size >= target:
            break
    return chosen


def make_document(kind, strings, rng):
    _, _, _, declaration, shape, mention = kind
    paragraphs = list(strings)
    if mention in MENTIONS:
        paragraphs.insert(rng.randrange(len(paragraphs) + 1),
                          rng.choice(MENTIONS[mention]))
    elif mention == "rare":
        for _ in range(rng.randint(1, 3)):
            i = rng.randrange(len(paragraphs))
            paragraphs[i] += " " + rng.choice(RARE_WORDS)
    if shape == "text":
        return "\n".join(paragraphs) + "\n"
    head = ""
    if declaration and declaration.startswith("xml:"):
        head = ""
    elif declaration:
        head = rng.choice([
            f'<meta http-equiv="Content-Type" content="text/html; '
            f'charset={declaration}">',
            f'<meta charset="{declaration}">',
            f"<META content='text/html; charset={declaration.upper()}' "
            f"http-equiv=Content-Type>"])
    body = "\n".join(f"<p>{html.escape(p)}</p>" for p in paragraphs)
    page = (f"<html>\n<head>\n{head}\n<title>{html.escape(strings[0][:40])}"
            f"</title>\n</head>\n<body>\n{body}\n</body>\n</html>\n")
    if declaration and declaration.startswith("xml:"):
        page = (f'<?xml version="1.0" encoding="{declaration[4:]}"?>\n'
                + page)
    return page


def encode(text, encoding):
    return subprocess.run(["iconv", "-c", "-f", "UTF-8", "-t",
                           ICONV_NAMES[encoding]], input=text.encode("utf-8"),
                          capture_output=True).stdout


def expected_encodings(data, encoding):
    """The encodings that read `data` as `encoding` does."""
    if encoding == "gb18030":
        try:
            data.decode("gbk")
            return {"gbk", "gb18030"}
        except UnicodeDecodeError:
            return {"gb18030"}
    if encoding == "gbk":
        return {"gbk", "gb18030"}
    return {encoding}


def tool_names(name):
    name = name.strip().upper()
    if name.startswith("BIG5") or name in ("CP950", "EUC-TW"):
        return "big5"
    if name in ("GB18030", "GB2312", "GBK", "CP936", "HZ-GB-2312", "HZ"):
        return "gb18030" if name == "GB18030" else "gbk"
    if name in ("UTF-8", "ASCII", "US-ASCII"):
        return "utf8"
    return name.lower()


def run_batches(command, paths, parse):
    """Runs `command` on `paths` in batches; `parse` maps each output line
    to (path, encoding)."""
    results = {}
    for i in range(0, len(paths), 200):
        out = subprocess.run(command + paths[i:i + 200], capture_output=True,
                             text=True, errors="replace").stdout
        for line in out.splitlines():
            parsed = parse(line)
            if parsed:
                results[parsed[0]] = parsed[1]
    return results


def parse_tovenrak(line):
    fields = line.split("\t")
    return (fields[3], fields[0]) if len(fields) == 4 else None


def parse_named(line):
    path, _, name = line.rpartition(": ")
    return (path, tool_names(name)) if path else None


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build", default="build")
    parser.add_argument("--detect")
    parser.add_argument("--work")
    parser.add_argument("--seed", type=int, default=20261207)
    parser.add_argument("--sample")
    args = parser.parse_args()
    detect = args.detect or os.path.join(args.build, "bench", "tovenrak_detect")
    if not os.access(detect, os.X_OK):
        sys.exit(f"no {detect}: build the bench targets or give --detect")
    work = args.work or tempfile.mkdtemp(prefix="tovenrak-detection-")
    rng = random.Random(args.seed)

    pools = {"simp": [], "trad": []}
    for name, script, strings in sources():
        pools[script].append((name, strings))
    files = []  # (path, kind, expected encodings, source)
    for kind in KINDS:
        folder = os.path.join(work, kind[0])
        os.makedirs(folder, exist_ok=True)
        for name, strings in pools[kind[1]]:
            text = make_document(
                kind, pick_text(strings, rng, "short" in kind[0]), rng)
            data = encode(text, kind[2])
            path = os.path.join(folder, name + (".txt" if kind[4] == "text"
                                                else ".htm"))
            with open(path, "wb") as f:
                f.write(data)
            files.append((path, kind[0], expected_encodings(data, kind[2]),
                          name))

    paths = [f[0] for f in files]
    tools = {"tovenrak": run_batches([detect], paths, parse_tovenrak)}
    if shutil.which("uchardet"):
        tools["uchardet"] = run_batches(["uchardet"], paths, parse_named)
    if shutil.which("enca"):
        tools["enca"] = run_batches(["enca", "-L", "zh", "-i"], paths,
                                    parse_named)

    print(f"Corpus: {len(files)} files in {work} from "
          f"{len(pools['simp'])} simplified and {len(pools['trad'])} "
          f"traditional sources.\n")
    print("| kind | files | " + " | ".join(tools) + " |")
    print("|---|---:|" + "---:|" * len(tools))
    totals = {tool: 0 for tool in tools}
    for kind in KINDS:
        rows = [f for f in files if f[1] == kind[0]]
        cells = []
        for tool, found in tools.items():
            right = sum(1 for f in rows if found.get(f[0]) in f[2])
            totals[tool] += right
            cells.append(f"{100.0 * right / max(len(rows), 1):.2f}%")
        print(f"| {kind[0]} | {len(rows)} | " + " | ".join(cells) + " |")
    print(f"| all | {len(files)} | " + " | ".join(
        f"{100.0 * totals[t] / max(len(files), 1):.2f}%" for t in tools) +
        " |")
    wrong = [(f, tools["tovenrak"].get(f[0])) for f in files
             if tools["tovenrak"].get(f[0]) not in f[2]]
    for f, found in wrong[:40]:
        print(f"tovenrak wrong: {f[0]}: {found}, expected "
              f"{'/'.join(sorted(f[2]))}", file=sys.stderr)

    if args.sample:
        os.makedirs(args.sample, exist_ok=True)
        sample_rng = random.Random(args.seed)
        for kind in SAMPLE_KINDS:
            rows = [f for f in files if f[1] == kind and ".iso_" in f[3]
                    and 1000 <= os.path.getsize(f[0]) <= 6000]
            if not rows:
                continue
            path, _, _, name = sample_rng.choice(rows)
            shutil.copy(path, os.path.join(
                args.sample, f"{kind}-{name}{os.path.splitext(path)[1]}"))

if __name__ == "__main__":
    main()
