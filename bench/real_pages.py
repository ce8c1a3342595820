#!/usr/bin/env python3
"""Markup-aware conversion checked on real sites.

Builds two legacy sites from Chinese documentation that Debian ships as
UTF-8 HTML (GIMP's and the Debian reference's Simplified pages re-encoded as
GBK, LibreOffice's, the Debian reference's and the maintainers' guide's
Traditional pages as Big5), gives some pages Chinese file names with their
links following, converts each site with `tovenrak-convert -r`, and checks
every page: links, scripts, styles and event handlers must come out
character for character unchanged, each script and style sheet it loads
read in the encoding it was read in before, and all the text people read
(text, comments, readable attributes) must equal OpenCC's conversion of it.

  python3 bench/real_pages.py --tool BUILD/src/app/tovenrak-convert

With --joined, also writes each site's first pages joined into one file of
about 1 MiB, WORK/gb-pages.htm and WORK/big5-pages.htm, for the File/* cases
of bench/converter_benchmark (TOVENRAK_BENCH_FILE); and the running text of
each site's pages, its lines that are mostly Chinese, in UTF-8, as
WORK/gb-prose.txt (Simplified) and WORK/big5-prose.txt (Traditional), on
which bench/run_benchmark.py times every configuration.

Downloads the packages with `apt-get download` into --work (no root needed
for that step when the folder is writable); needs `opencc` on PATH.
"""

import argparse
import html.parser
import pathlib
import re
import shutil
import subprocess
import sys

PACKAGES = ["gimp-help-zh-cn", "debian-reference-zh-cn",
            "debian-reference-zh-tw", "maint-guide-zh-tw",
            "libreoffice-help-zh-tw"]

INLINE = {"a", "abbr", "b", "big", "cite", "code", "em", "font", "i", "mark",
          "q", "s", "small", "span", "strong", "sub", "sup", "u"}
ADDRESSES = {"href", "src", "srcset", "action", "formaction", "cite", "data",
             "poster", "background", "longdesc", "usemap", "manifest",
             "codebase", "archive", "style"}
READABLE = {"title", "alt", "placeholder", "aria-label", "aria-description",
            "label", "summary", "abbr"}
SEPARATOR = "\n\u2063\u2063\n"
BIG5_CODEC_DIFFERENCES = str.maketrans("•£¢¥♁☉", "‧￡￠￥⊕⊙")
ADDRESS = re.compile(r"(?:[a-z][a-z0-9+.-]*://|www\.|mailto:)\S+")


def encoding_family(label):
    """The decoder browsers use for an encoding's label or Python codec."""
    label = label.strip().lower()
    if label in ("gb2312", "gbk", "gb18030", "x-gbk", "chinese"):
        return "gb"
    if label.startswith("big5"):
        return "big5"
    return "utf-8" if label in ("utf-8", "utf8") else label


class Page(html.parser.HTMLParser):
    """What a page holds for machines and what it holds for readers."""

    def __init__(self, encoding):
        super().__init__(convert_charrefs=True)
        self.machine, self.readable, self.run, self.raw = [], [], [], None
        self.encoding = encoding

    def flush(self):
        text = "".join(self.run)
        if ADDRESS.fullmatch(text.strip()):
            self.machine.append(("text", text))  # A link's address shown.
        elif text.strip():
            self.readable.append(text)
        self.run = []

    def handle_starttag(self, tag, attrs):
        if tag not in INLINE:
            self.flush()
        a = dict(attrs)
        for name, value in attrs:
            if value is None:
                continue
            if name in ADDRESSES or name.startswith("on"):
                self.machine.append((name, value))
            elif name in READABLE or (name == "value" and (
                    tag == "button" or a.get("type") in ("submit", "reset"))):
                self.readable.append(value)
            elif name == "content" and tag == "meta" and a.get("name") in (
                    "description", "keywords", "author"):
                self.readable.append(value)
        if tag in ("script", "style"):
            self.raw = []
        # A script or style sheet loaded from a file is read in the encoding
        # its tag names, else in the page's: the same before and after.
        rel = (a.get("rel") or "").lower().split()
        if (tag == "script" and a.get("src") is not None and (
                a.get("type") or "").strip().lower() != "module") or (
                tag == "link" and a.get("href") is not None
                and "stylesheet" in rel):
            self.machine.append((tag + " read as", encoding_family(
                a.get("charset") or self.encoding)))

    def handle_startendtag(self, tag, attrs):
        self.handle_starttag(tag, attrs)

    def handle_endtag(self, tag):
        if tag in ("script", "style") and self.raw is not None:
            self.machine.append((tag, "".join(self.raw)))
            self.raw = None
        if tag not in INLINE:
            self.flush()

    def handle_data(self, data):
        if self.raw is not None:
            self.raw.append(data)
        elif ADDRESS.fullmatch(data.strip()):
            self.flush()
            self.run.append(data)
            self.flush()
        else:
            self.run.append(data)

    def handle_comment(self, data):
        self.flush()
        if data.strip():
            self.readable.append(data)


def parse(text, encoding):
    # Where Python's Big5 codec and browsers' (which the converter follows)
    # give one code different characters, both sides read the browsers'.
    text = text.translate(BIG5_CODEC_DIFFERENCES)
    page = Page(encoding)
    page.feed(text)
    page.close()
    page.flush()
    return page


def prose(files):
    """The lines of the texts people read in `files` (UTF-8 pages) that are
    mostly Chinese, one after another."""
    lines = []
    for source, _ in files:
        page = parse(source.read_text(encoding="utf-8"), "utf-8")
        for text in page.readable:
            for line in text.splitlines():
                line = line.strip()
                han = sum(1 for c in line if c >= "\u2e80")
                if line and 2 * han >= len(line):
                    lines.append(line)
    return "\n".join(lines) + "\n"


def fetch(work):
    debs = work / "debs"
    debs.mkdir(parents=True, exist_ok=True)
    if not list(debs.glob("*.deb")):
        subprocess.run(["apt-get", "download", *PACKAGES], cwd=debs,
                       check=True)
    tree = work / "x"
    if not tree.exists():
        for deb in debs.glob("*.deb"):
            subprocess.run(["dpkg-deb", "-x", str(deb), str(tree)], check=True)
    return tree / "usr/share"


def chinese_names(files, suffix):
    """Gives the Debian reference's chapters Chinese file names."""
    names = {}
    for f in files:
        m = re.fullmatch(r"(ch|ap)([0-9a-z]+)\." + suffix + r"\.html", f.name)
        if m:
            names[f.name] = ("第" if m[1] == "ch" else "附录") + m[2] + "章.html"
        elif f.name == "index." + suffix + ".html":
            names[f.name] = "首页.html"
    return names


def build_site(files, names, site, codec, label):
    """Writes UTF-8 pages into `site` re-encoded, links following names."""
    shutil.rmtree(site, ignore_errors=True)
    for f, relative in files:
        text = f.read_text("utf-8")
        for old, new in names.items():
            text = text.replace(old, new)
        text = re.sub(r"(?i)charset=utf-8", "charset=" + label, text)
        text = re.sub(r"(?i)encoding=\"utf-8\"", 'encoding="' + label + '"',
                      text)
        out = site / relative.parent / names.get(relative.name, relative.name)
        out.parent.mkdir(parents=True, exist_ok=True)
        out.write_bytes(text.encode(codec, "xmlcharrefreplace"))


def opencc(config, items):
    done = subprocess.run(["opencc", "-c", config], input=SEPARATOR.join(
        items), capture_output=True, text=True, check=True).stdout
    return done.split(SEPARATOR)


def check(tool, site, out, codec_in, codec_out, config):
    shutil.rmtree(out, ignore_errors=True)
    subprocess.run([tool, "-q", "-r", str(site), "-o", str(out)], check=True)
    pages = sorted(p for p in site.rglob("*.htm*"))
    before = [parse(p.read_bytes().decode(codec_in), codec_in) for p in pages]
    after = [parse((out / p.relative_to(site)).read_bytes().decode(
        codec_out, "replace"), codec_out) for p in pages]
    readable = [item for page in before for item in page.readable]
    expected = iter(opencc(config, readable))
    machine_faults, text_faults, items = 0, 0, 0
    for path, b, a in zip(pages, before, after):
        want = [next(expected) for _ in b.readable]
        items += len(want)
        if b.machine != a.machine:
            machine_faults += 1
            diff = next(((x, y) for x, y in zip(b.machine, a.machine)
                         if x != y), None)
            print(f"  links/scripts changed: {path.relative_to(site)}: {diff}")
        if want != a.readable:
            text_faults += 1
            if text_faults <= 5:
                diff = next(((x, y) for x, y in zip(want, a.readable)
                             if x != y), (len(want), len(a.readable)))
                print(f"  text differs from OpenCC: "
                      f"{path.relative_to(site)}: {diff!r:.300}")
    machine = sum(len(p.machine) for p in before)
    print(f"{site.name}: {len(pages)} pages, {machine} links/scripts/styles, "
          f"{items} readable texts; pages with changed machine parts: "
          f"{machine_faults}; pages whose text differs from OpenCC: "
          f"{text_faults}")
    return machine_faults + text_faults


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--tool", required=True)
    parser.add_argument("--work", default="/tmp/tovenrak-real-pages")
    parser.add_argument("--joined", action="store_true")
    args = parser.parse_args()
    work = pathlib.Path(args.work)
    share = fetch(work)

    ref = share / "debian-reference"
    gb_files = [(f, f.relative_to(share)) for f in
                sorted((share / "gimp/2.0/help/zh_CN").glob("*.html"))]
    cn = sorted(ref.glob("*.zh-cn.html"))
    gb_files += [(f, f.relative_to(share)) for f in cn]
    build_site(gb_files, chinese_names(cn, "zh-cn"), work / "gb-site", "gbk",
               "gb2312")

    tw = sorted(ref.glob("*.zh-tw.html"))
    big5_files = [(f, f.relative_to(share)) for f in tw]
    big5_files += [(f, f.relative_to(share)) for f in sorted(
        (share / "doc/maint-guide-zh-tw/html").glob("*.html"))]
    big5_files += [(f, f.relative_to(share)) for f in sorted(
        (share / "libreoffice/help/zh-TW").rglob("*.html"))]
    build_site(big5_files, chinese_names(tw, "zh-tw"), work / "big5-site",
               "big5", "big5")

    if args.joined:
        for name in ("gb", "big5"):
            joined = b""
            for page in sorted((work / f"{name}-site").rglob("*.htm*")):
                if len(joined) >= 1 << 20:
                    break
                joined += page.read_bytes()
            (work / f"{name}-pages.htm").write_bytes(joined)
        for name, files in (("gb", gb_files), ("big5", big5_files)):
            (work / f"{name}-prose.txt").write_text(prose(files),
                                                    encoding="utf-8")

    # The converter reads and writes Big5 as browsers do, with the Hong Kong
    # additions, which Python's "big5hkscs" decodes and its "big5" does not.
    faults = check(args.tool, work / "gb-site", work / "gb-out", "gbk",
                   "big5hkscs", "s2tw.json")
    faults += check(args.tool, work / "big5-site", work / "big5-out",
                    "big5hkscs", "gbk", "tw2s.json")
    sys.exit(1 if faults else 0)


if __name__ == "__main__":
    main()
