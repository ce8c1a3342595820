#!/usr/bin/env python3
"""Peak memory of tovenrak-convert on large and hostile files.

    python3 bench/cli_memory.py [--build build] [--work DIR] [--heavy]

Cases: one line of 100 MiB of GB markup (no line break anywhere), 100 MiB of
GB text through a pipe, 100 MiB of one phrase-dependent character, one run
of 100 MiB of text and inline tags (line feeds but no spaces, then
neither), 100 MiB of text on one line with phrases of one's own, 100 MiB
of PHP blocks and one PHP block of 100 MiB (their strings rewritten for
Big5), 100 MiB of a Big5 page of text and PHP only re-encoded into UTF-8,
100 MiB of GB text kept into Big5 with many references, a sparse file just
over the size limit (refused without being read), and with --heavy 1 GiB
files of one repeated byte (ASCII, invalid 0xFF, and 0xA4 pairs that
convert). Prints, per case,
the exit status, whether the output has the expected size, the peak
resident memory and its ratio to the input and to the output.
The converter is expected to stay within 1.5 times the file, or the
output where that is larger.
Uses only the Python standard library.
"""

import argparse
import os
import shutil
import subprocess
import tempfile

MIB = 1 << 20
LIMIT_MIB = 1536  # core::kMaxDocumentBytes


def write_repeated(path, piece, size, head=b""):
    with open(path, "wb") as out:
        out.write(head)
        chunk = piece * (MIB // len(piece))
        left = size - len(head)
        while left > 0:
            out.write(chunk[:left])
            left -= len(chunk)


def run(cli, path, out_dir, options=()):
    # "-" among the options: the file is piped to standard input, and the
    # output goes to standard output, into the output folder.
    piped = "-" in options
    if piped:
        out = open(os.path.join(out_dir, os.path.basename(path)), "wb")
        proc = subprocess.Popen([cli, *options], stdin=subprocess.PIPE,
                                stderr=subprocess.PIPE, stdout=out)
        with open(path, "rb") as f:
            shutil.copyfileobj(f, proc.stdin, 1 << 20)
        proc.stdin.close()
        out.close()
    else:
        proc = subprocess.Popen([cli, *options, "-o", out_dir, path],
                                stderr=subprocess.PIPE,
                                stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(proc.pid, 0)
    err = proc.stderr.read().decode(errors="replace").strip()
    return os.waitstatus_to_exitcode(status), usage.ru_maxrss / 1024, err


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--build", default="build")
    p.add_argument("--work", help="folder for the inputs (default: a new "
                   "temporary folder)")
    p.add_argument("--heavy", action="store_true",
                   help="also convert three 1 GiB files")
    args = p.parse_args()
    cli = os.path.join(os.path.abspath(args.build), "src/app/tovenrak-convert")
    work = args.work or tempfile.mkdtemp(prefix="tovenrak-memory.")
    out_dir = os.path.join(work, "out")
    os.makedirs(out_dir, exist_ok=True)

    # (name, input file, how to make it, expected output size or None)
    cases = []
    line = os.path.join(work, "line.htm")
    head = (b'<meta content="text/html; charset=gb2312" '
            b'http-equiv=Content-Type>')
    piece = b"<b>\xCD\xB7\xB7\xA2</b>\xD2\xD4\xBA\xF3 "  # <b>头发</b>以后
    size = 100 * MIB // len(piece) * len(piece) + len(head)
    cases.append(("one line of 100 MiB", line,
                  lambda: write_repeated(line, piece, size, head), size - 2))
    piped = os.path.join(work, "piped.txt")
    line_piece = "以后干净乾隆许多成功头发。\n".encode("gbk")
    piped_size = 100 * MIB // len(line_piece) * len(line_piece)
    cases.append(("100 MiB of GB text through a pipe", piped,
                  lambda: write_repeated(piped, line_piece, piped_size),
                  piped_size, ("-q", "-")))
    one = os.path.join(work, "one-character.txt")
    size_one = 100 * MIB
    # 发 alone, with no line feed: it begins many phrases, so every position
    # needs a look at what follows before it can be converted.
    cases.append(("100 MiB of one phrase-dependent character", one,
                  lambda: write_repeated(one, b"\xB7\xA2", size_one),
                  size_one))
    # PHP, whose strings are rewritten as they are read: 功 ends in a byte
    # '\\' in Big5, so each string of a GB page going to Big5 gains one.
    blocks = os.path.join(work, "blocks.php")
    block = '<?php $a="成功"; ?>\n'.encode("gbk")
    size_blocks = 100 * MIB // len(block) * len(block)
    cases.append(("100 MiB of PHP blocks", blocks,
                  lambda: write_repeated(blocks, block, size_blocks),
                  size_blocks + size_blocks // len(block)))
    array = os.path.join(work, "array.php")
    php_head, item = b"<?php $d = array(\n", '"成功",\n'.encode("gbk")
    size_array = len(php_head) + 100 * MIB // len(item) * len(item)
    cases.append(("one PHP block of 100 MiB", array,
                  lambda: write_repeated(array, item, size_array, php_head),
                  size_array + (size_array - len(php_head)) // len(item)))
    # One run of text and inline tags, a line feed in each line but no
    # space: cut at the line feeds, not decoded whole.
    run_page = os.path.join(work, "run.htm")
    run_head = b"<p>"
    run_piece = "以后干净乾隆许多成功<b>头</b>发。\n".encode("gbk")
    run_size = len(run_head) + 100 * MIB // len(run_piece) * len(run_piece)
    cases.append(("one run of 100 MiB of text and inline tags, no space",
                  run_page,
                  lambda: write_repeated(run_page, run_piece, run_size,
                                         run_head),
                  run_size))
    # The same on one line, as a page made small has it: cut at the ends of
    # sentences.
    flat_page = os.path.join(work, "flat.htm")
    flat_piece = run_piece.replace(b"\n", b"")
    flat_size = len(run_head) + 100 * MIB // len(flat_piece) * len(flat_piece)
    cases.append(("one line of 100 MiB of text and inline tags, no space",
                  flat_page,
                  lambda: write_repeated(flat_page, flat_piece, flat_size,
                                         run_head),
                  flat_size))
    # A text on one line with phrases of one's own, which the fast engine
    # does not know: cut at the ends of sentences as well.
    phrases = os.path.join(work, "phrases.txt")
    with open(phrases, "w", encoding="utf-8") as f:
        f.write("干净\t乾淨\n")
    flat_text = os.path.join(work, "flat.txt")
    text_piece = "以后干净乾隆许多成功头发。".encode("gbk")
    text_size = 100 * MIB // len(text_piece) * len(text_piece)
    cases.append(("100 MiB of text on one line, with --phrases", flat_text,
                  lambda: write_repeated(flat_text, text_piece, text_size),
                  text_size, ("--phrases", phrases)))
    # A Big5 page of text and PHP only re-encoded into UTF-8: kept whole,
    # its PHP rewritten as it is read (the backslash after 許 goes).
    mixed = os.path.join(work, "mixed.php")
    mixed_piece = '<p>許功</p><?php echo "許\\"; ?>\n'
    mixed_in = mixed_piece.encode("big5")
    mixed_out = mixed_piece.replace("\\", "").encode()
    count_mixed = 100 * MIB // len(mixed_in)
    cases.append(("100 MiB of Big5 text and PHP, re-encoded only", mixed,
                  lambda: write_repeated(mixed, mixed_in,
                                         count_mixed * len(mixed_in)),
                  count_mixed * len(mixed_out), ("-f", "big5", "-t", "utf-8")))
    # Simplified text kept into Big5, which lacks 头, 发 and 长: each becomes
    # a reference, and the output is two and a half times the input.
    refs = os.path.join(work, "references.txt")
    refs_in = "头发很长。\n".encode("gbk")
    refs_out = "&#22836;&#21457;很&#38271;。\n".encode("big5")
    count_refs = 100 * MIB // len(refs_in)
    cases.append(("100 MiB of GB text kept into Big5, three characters in "
                  "five references", refs,
                  lambda: write_repeated(refs, refs_in,
                                         count_refs * len(refs_in)),
                  count_refs * len(refs_out),
                  ("-f", "gb", "-t", "big5", "-s", "keep")))
    # A page of ASCII text with no tag after its head: one text of 100 MiB,
    # copied as it is and given back as it is written.
    ascii_page = os.path.join(work, "ascii.htm")
    ascii_head = b"<html><head><meta charset=gb2312></head><body>"
    ascii_line = b"ab cd ef gh " * 170 + b"\n"
    ascii_size = len(ascii_head) + 100 * MIB // len(ascii_line) * len(ascii_line)
    cases.append(("a page of 100 MiB of ASCII text, no tag after its head",
                  ascii_page,
                  lambda: write_repeated(ascii_page, ascii_line, ascii_size,
                                         ascii_head),
                  ascii_size - 2))  # gb2312 -> big5
    huge = os.path.join(work, "huge.htm")

    def make_huge():
        with open(huge, "wb") as f:
            f.truncate(LIMIT_MIB * MIB + 1)
    cases.append(("sparse file over the limit (refused)", huge, make_huge,
                  None))
    if args.heavy:
        for name, byte in (("1 GiB of 'a'", b"a"), ("1 GiB of 0xFF", b"\xFF"),
                           ("1 GiB of 0xA4 pairs", b"\xA4")):
            path = os.path.join(work, "one-byte.txt")
            cases.append((name, path,
                          lambda p=path, b=byte: write_repeated(p, b, 1 << 30),
                          1 << 30))

    print("| Case | Exit | Output size as expected | Peak RSS | RSS / input "
          "| RSS / output |")
    print("|---|---:|---|---:|---:|---:|")
    for name, path, make, expected, *options in cases:
        make()
        in_mib = os.path.getsize(path) / MIB
        status, rss_mib, err = run(cli, path, out_dir, *options)
        out = os.path.join(out_dir, os.path.basename(path))
        if expected is None:
            sized = "no output" if not os.path.exists(out) else "WRONG"
        else:
            sized = "yes" if os.path.exists(out) and \
                os.path.getsize(out) == expected else "NO: " + err[-200:]
        out_mib = os.path.getsize(out) / MIB if os.path.exists(out) else 0
        per_out = f"{rss_mib / out_mib:.2f}" if out_mib else "-"
        print(f"| {name} | {status} | {sized} | {rss_mib:.0f} MiB | "
              f"{rss_mib / in_mib:.2f} | {per_out} |")
        os.remove(path)
        if os.path.exists(out):
            os.remove(out)


if __name__ == "__main__":
    main()
