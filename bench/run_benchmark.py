#!/usr/bin/env python3
"""Times the fast converter, the OpenCC-based reference and the peer tools on
the same generated inputs, and prints the tables of docs/benchmark.md.

    python3 bench/run_benchmark.py [--build build] [--work DIR]
        [--large-mb 50] [--files 10000] [--memory-mb 200]

Inputs (made by tovenrak_make_corpus, the same for every tool):
  (a) one large page of --large-mb MiB, in Big5 and in GBK;
  (b) --files small pages (2-24 KiB) in each encoding, converted by
      tovenrak-convert with -j 1 and with every core, by the batch window's
      run (tovenrak_time_batch_run) and by a shell loop of
      iconv | opencc | iconv;
  (c) a --memory-mb MiB page whose peak memory under tovenrak-convert and
      under the batch window's run is measured;
  (g) a generated 1 MiB page in each encoding, and the joined real pages of
      bench/real_pages.py --joined when --real-pages holds them, converted
      read as markup and as one whole text.
Needs a build with the bench targets and tovenrak-convert. Uses only the
Python standard library.
"""

import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

MIB = 1 << 20


def run(command, stdin=None, stdout=None, shell=False):
    """Runs `command`; returns (seconds, peak RSS in KiB of it and the
    children it waited for, CPU seconds, exit status)."""
    start = time.monotonic()
    proc = subprocess.Popen(command, stdin=stdin, stdout=stdout,
                            stderr=subprocess.PIPE, shell=shell,
                            executable="/bin/bash" if shell else None)
    # wait4 gives this child's own resource usage, peak memory included.
    _, status, usage = os.wait4(proc.pid, 0)
    seconds = time.monotonic() - start
    proc.returncode = os.waitstatus_to_exitcode(status)
    err = proc.stderr.read().decode(errors="replace")
    proc.stderr.close()
    if proc.returncode != 0:
        sys.stderr.write(f"note: {command} exited {proc.returncode}: "
                         f"{err[-300:]}\n")
    return (seconds, usage.ru_maxrss, usage.ru_utime + usage.ru_stime,
            proc.returncode)


def cell(text):
    return str(text).replace("|", "\\|")


def q(path):
    return "'" + str(path).replace("'", "'\\''") + "'"


class Bench:
    def __init__(self, args):
        self.args = args
        self.build = os.path.abspath(args.build)
        self.work = args.work or tempfile.mkdtemp(prefix="tovenrak-bench.")
        self.cli = os.path.join(self.build, "src/app/tovenrak-convert")
        self.make_corpus = os.path.join(self.build, "bench/tovenrak_make_corpus")
        self.timer = os.path.join(self.build, "bench/tovenrak_time_convert")
        self.markup_timer = os.path.join(self.build,
                                         "bench/tovenrak_time_markup")
        self.batch_run = os.path.join(self.build,
                                      "bench/tovenrak_time_batch_run")
        self.cores = os.cpu_count() or 1
        self.first_ms = {}  # Time to first conversion, per direction.
        self.rows = []      # Large-file rows.
        self.batch = []     # Batch rows.
        self.configs = []   # Per-configuration rows.
        self.notes = []
        self.fresh = []     # See fresh_dir.

    def need(self, path):
        if not os.access(path, os.X_OK):
            sys.exit(f"missing {path}: build the project first "
                     "(cmake --build BUILD)")

    def out_dir(self, name):
        path = os.path.join(self.work, "out", name)
        shutil.rmtree(path, ignore_errors=True)
        os.makedirs(path)
        return path

    def fresh_dir(self, name):
        """A new empty folder, removed by remove_fresh_dirs. Runs that write
        many files each get one, and none is removed until all are timed: on
        ext4 a run that comes right after thousands of files were removed
        pays for the removal, by up to several times its own time."""
        parent = os.path.join(self.work, "out")
        os.makedirs(parent, exist_ok=True)
        path = tempfile.mkdtemp(prefix=name + "-", dir=parent)
        self.fresh.append(path)
        return path

    def remove_fresh_dirs(self):
        for path in self.fresh:
            shutil.rmtree(path, ignore_errors=True)
        self.fresh = []

    # --- inputs -----------------------------------------------------------

    def make_inputs(self):
        a = self.args
        print(f"generating inputs in {self.work} ...", file=sys.stderr)
        subprocess.run([self.make_corpus, self.work, "--large-mb",
                        str(a.large_mb), "--files", str(a.files)], check=True)
        if a.memory_mb:
            subprocess.run([self.make_corpus, self.work, "--large-mb",
                            str(a.memory_mb), "--name", "huge", "--files",
                            "0"], check=True)

    def large(self, source):
        return os.path.join(self.work, f"large.{source}.htm")

    def page1m(self, source):
        path = os.path.join(self.work, f"page1m.{source}.htm")
        if not os.path.exists(path):
            subprocess.run([self.make_corpus, self.work, "--large-mb", "1",
                            "--name", "page1m", "--files", "0"], check=True)
        return path

    # --- one large file ---------------------------------------------------

    def add(self, direction, tool, seconds, size, rss_kib, note="",
            output=None):
        # A tool that stops at a character it cannot map still exits 0.
        if output is not None:
            written = os.path.getsize(output) if os.path.exists(output) else 0
            if written < size * 0.9:
                note = (note + "; " if note else "") + \
                    f"incomplete output: {100 * written / size:.1f}% of the " \
                    "input size, speed not comparable"
                seconds = None
        self.rows.append({"direction": direction, "tool": tool,
                          "mb_per_s": size / MIB / seconds if seconds else None,
                          "seconds": seconds, "peak_mib": rss_kib / 1024
                          if rss_kib else None, "note": note})

    def best_run(self, command, shell=False, times=3):
        """run() `times` times, as a whole process varies with the load of
        the machine: the fastest time and CPU time, the highest peak memory,
        the worst exit status."""
        runs = [run(command, shell=shell) for _ in range(times)]
        return (min(r[0] for r in runs), max(r[1] for r in runs),
                min(r[2] for r in runs), max(r[3] for r in runs))

    def in_process(self, engine, to, path, repeats):
        out = subprocess.run([self.timer, engine, to, path, str(repeats)],
                             check=True, capture_output=True, text=True)
        return json.loads(out.stdout)

    def time_large(self, direction):
        to_gb = direction == "Big5 -> GB"
        src = self.large("big5" if to_gb else "gbk")
        size = os.path.getsize(src)
        to = "gb" if to_gb else "big5"
        out = os.path.join(self.out_dir("large"), "out.htm")

        fast = self.in_process("fast", to, src, 5)
        # A start is one process, so its time varies with the machine's
        # load like the whole-process rows: the best of a few starts.
        starts = [fast] + [self.in_process("fast", to, src, 0)
                           for _ in range(3)]
        self.first_ms[direction] = min(s["first_ms"] for s in starts)
        self.add(direction, "fast engine (in process)", fast["seconds"], size,
                 None, "conversion only, best of 5")
        ref = self.in_process("opencc", to, src, 1)
        self.add(direction, "reference: OpenCC converter (in process)",
                 ref["seconds"], size, None, "conversion only")

        outdir = self.out_dir("cli")
        s, rss, cpu, rc = self.best_run([self.cli, "--to", to, "-o", outdir,
                                         src])
        self.add(direction, "tovenrak-convert", s, size, rss,
                 "whole run: start, read, convert, rewrite, save and sync; "
                 "best of 3")

        f, t = ("BIG5", "GBK") if to_gb else ("GBK", "BIG5")
        if shutil.which("iconv"):
            s, rss, cpu, rc = self.best_run(
                f"iconv -c -f {f} -t {t} {q(src)} > {q(out)}", shell=True)
            self.add(direction, f"iconv {f} -> {t}", s, size, rss,
                     "code table only, no phrase conversion", output=out)
        if shutil.which("iconv") and shutil.which("opencc"):
            config = "tw2s" if to_gb else "s2tw"
            s, rss, cpu, rc = run(f"iconv -c -f {f} -t UTF-8 {q(src)} | opencc -c "
                            f"{config} | iconv -c -f UTF-8 -t {t} > {q(out)}",
                            shell=True)
            self.add(direction, f"iconv | opencc -c {config} | iconv", s,
                     size, rss, output=out)
        if shutil.which("uconv"):
            rule = "Traditional-Simplified" if to_gb else \
                "Simplified-Traditional"
            s, rss, cpu, rc = run(f"uconv -c -f {f} -t {t} -x {rule} < {q(src)} > "
                            f"{q(out)}", shell=True)
            self.add(direction, f"uconv -x {rule}", s, size, rss, output=out)
        if shutil.which("cconv"):
            s, rss, cpu, rc = run(["cconv", "-f", f, "-t", t, "-o", out, src])
            self.add(direction, f"cconv -f {f} -t {t}", s, size, rss, output=out)
        peer = "autogb" if to_gb else "autob5"
        if shutil.which(peer):
            s, rss, cpu, rc = self.best_run(f"{peer} < {q(src)} > {q(out)}",
                                            shell=True)
            self.add(direction, peer, s, size, rss, "best of 3", output=out)
            # tovenrak-convert has its output on the disk when it reports;
            # sync -f does the same for the peer's (one syncfs).
            s, rss, cpu, rc = self.best_run(
                f"{peer} < {q(src)} > {q(out)} && sync -f {q(out)}",
                shell=True)
            self.add(direction, f"{peer}, then sync -f", s, size, rss,
                     "its output on the disk, as ours; best of 3", output=out)
        else:
            self.rows.append({"direction": direction, "tool": peer,
                              "mb_per_s": None, "seconds": None,
                              "peak_mib": None,
                              "note": "not installed (Debian package "
                                      "zh-autoconvert)"})

    # --- a 4 KiB page, whole processes -------------------------------------

    def time_small_page(self):
        """Start-up: one 4 KiB page through the whole program, best of 10,
        beside autogb/autob5 (a code table, no phrases)."""
        self.small_page = []
        for direction in ("Big5 -> GB", "GB -> Big5"):
            to_gb = direction == "Big5 -> GB"
            src = self.large("big5" if to_gb else "gbk")
            page = os.path.join(self.work, f"page4k.{'big5' if to_gb else 'gbk'}.htm")
            with open(src, "rb") as f, open(page, "wb") as out:
                data = f.read(4096)
                out.write(data[:data.rfind(b"\n") + 1])
            outdir = self.out_dir("page4k")
            tools = [("tovenrak-convert", [self.cli, "--to",
                                           "gb" if to_gb else "big5", "-o",
                                           outdir, page], False)]
            peer = "autogb" if to_gb else "autob5"
            if shutil.which(peer):
                tools.append((peer, f"{peer} < {q(page)} > /dev/null", True))
            for name, command, shell in tools:
                best = min(run(command, shell=shell)[0] for _ in range(10))
                self.small_page.append({"direction": direction, "tool": name,
                                        "ms": best * 1000})

    # --- every configuration on UTF-8 text ---------------------------------

    def time_configs(self):
        """Each OpenCC configuration on the UTF-8 form of the large page:
        the fast engine and OpenCC's converter in process, and the opencc
        command as a whole process; and the fast engine on the running text
        of real pages (bench/real_pages.py --joined), whose phrases come as
        people write them rather than drawn evenly from the dictionary."""
        utf8 = {}
        for source in ("big5", "gbk"):
            path = os.path.join(self.work, f"large.{source}.utf8.htm")
            subprocess.run(f"iconv -c -f {source.upper()} -t UTF-8 "
                           f"{q(self.large(source))} > {q(path)}",
                           shell=True, check=True)
            utf8[source] = path
        out = os.path.join(self.out_dir("configs"), "out.htm")
        for config in ("tw2s", "s2tw", "tw2sp", "s2twp", "hk2s", "s2hk",
                       "t2s", "s2t"):
            src = utf8["big5" if "2s" in config else "gbk"]
            size = os.path.getsize(src)
            fast = self.in_process("fast", config, src, 3)
            ref = self.in_process("opencc", config, src, 1)
            row = {"config": config, "fast": size / MIB / fast["seconds"],
                   "reference": size / MIB / ref["seconds"], "cli": None,
                   "ours": None, "prose": None}
            prose = os.path.join(
                self.args.real_pages,
                ("big5" if "2s" in config else "gb") + "-prose.txt")
            if os.path.exists(prose):
                got = self.in_process("fast", config, prose, 20)
                row["prose"] = os.path.getsize(prose) / MIB / got["seconds"]
            variant = {"tw2s": "tw", "s2tw": "tw", "tw2sp": "twp",
                       "s2twp": "twp", "hk2s": "hk", "s2hk": "hk",
                       "t2s": "std", "s2t": "std"}[config]
            s, rss, cpu, rc = self.best_run(
                [self.cli, "--from", "utf-8", "--to", "utf-8", "--script",
                 "simplified" if "2s" in config else "traditional",
                 "--variant", variant, "-o", self.out_dir("configs-cli"),
                 src])
            row["ours"] = size / MIB / s if rc == 0 else None
            if shutil.which("opencc"):
                s, rss, cpu, rc = run(f"opencc -c {config} -i {q(src)} "
                                      f"-o {q(out)}", shell=True)
                row["cli"] = size / MIB / s if rc == 0 else None
            self.configs.append(row)

    # --- many small files -------------------------------------------------

    def time_batch(self, direction):
        to_gb = direction == "Big5 -> GB"
        folder = os.path.join(self.work, "small", "big5" if to_gb else "gbk")
        files = sorted(os.path.join(folder, n) for n in os.listdir(folder))
        to = "gb" if to_gb else "big5"
        for jobs in (1, self.cores):
            outdir = self.fresh_dir("batch")
            s, rss, cpu, rc = run([self.cli, "--to", to, "-j", str(jobs), "-o",
                             outdir] + files)
            self.batch.append({"direction": direction,
                               "tool": f"tovenrak-convert -j {jobs}",
                               "files": len(files), "seconds": s, "cpu": cpu,
                               "peak_mib": rss / 1024})
        # The batch window converts two files at a time, with detection.
        s, rss, cpu, rc = run([self.batch_run, self.fresh_dir("batch")] +
                              files)
        self.batch.append({"direction": direction,
                           "tool": "batch window's run (two at a time)",
                           "files": len(files), "seconds": s, "cpu": cpu,
                           "peak_mib": rss / 1024})
        outdir = self.fresh_dir("batch")
        s, rss, cpu, rc = run(f"cp -r {q(folder)} {q(outdir)} && sync",
                              shell=True)
        self.batch.append({"direction": direction,
                           "tool": "cp -r and sync (copying, no conversion)",
                           "files": len(files), "seconds": s, "cpu": cpu,
                           "peak_mib": rss / 1024})
        f, t = ("BIG5", "GBK") if to_gb else ("GBK", "BIG5")
        config = "tw2s" if to_gb else "s2tw"
        outdir = self.fresh_dir("batch")
        loop = (f"for f in {q(folder)}/*.htm; do iconv -c -f {f} -t UTF-8 "
                f"\"$f\" | opencc -c {config} | iconv -c -f UTF-8 -t {t} > "
                f"{q(outdir)}/\"${{f##*/}}\"; done")
        s, rss, cpu, rc = run(loop, shell=True)
        self.batch.append({"direction": direction,
                           "tool": "shell loop: iconv | opencc | iconv",
                           "files": len(files), "seconds": s, "cpu": cpu,
                           "peak_mib": rss / 1024})

    # --- peak memory ------------------------------------------------------

    def time_memory(self):
        src = os.path.join(self.work, "huge.gbk.htm")
        size = os.path.getsize(src)
        s, rss, cpu, rc = run([self.cli, "--to", "big5", "-o",
                         self.out_dir("huge"), src])
        self.memory = {"mib": size / MIB, "peak_mib": rss / 1024,
                       "ratio": rss * 1024 / size, "seconds": s}
        s, rss, cpu, rc = run([self.batch_run, self.out_dir("huge"), src])
        self.memory["window_peak_mib"] = rss / 1024

    # --- opening a 1 MiB page in the main window ---------------------------

    def time_preview(self):
        """Open to a shown preview in the main window for a 1 MiB GB and Big5
        page (tovenrak_time_preview; best of 3, fresh windows)."""
        self.preview = []
        tool = os.path.join(self.build, "bench/tovenrak_time_preview")
        if not os.access(tool, os.X_OK):
            return
        env = dict(os.environ, QTWEBENGINE_DISABLE_SANDBOX="1")
        # A window on an X server is what users have, and the engine shows
        # its first frame later there than offscreen; without a display
        # one is started when xvfb-run is at hand.
        prefix = []
        if "QT_QPA_PLATFORM" not in env:
            if env.get("DISPLAY"):
                env["QT_QPA_PLATFORM"] = "xcb"
            elif shutil.which("xvfb-run"):
                prefix = ["xvfb-run", "-a"]
                env["QT_QPA_PLATFORM"] = "xcb"
            else:
                env["QT_QPA_PLATFORM"] = "offscreen"
        for source in ("gbk", "big5"):
            path = self.page1m(source)
            out = subprocess.run(prefix + [tool, path, "3"],
                                 capture_output=True, text=True, env=env)
            if out.returncode == 0:
                result = json.loads(out.stdout)
                result["platform"] = env["QT_QPA_PLATFORM"] + \
                    (" (Xvfb)" if prefix else "")
                self.preview.append(result)

    # --- markup against whole text ----------------------------------------

    def time_markup(self):
        """Each page read as markup and as one whole text: in process
        (tovenrak_time_markup, conversion only, best of 100 each, the two
        alternating) and as whole runs of tovenrak-convert (best of 10 each,
        alternating)."""
        self.markup = []
        pages = [("generated", self.page1m(s)) for s in ("gbk", "big5")]
        real = self.args.real_pages
        for name in ("gb-pages.htm", "big5-pages.htm"):
            if real and os.path.exists(os.path.join(real, name)):
                pages.append(("real", os.path.join(real, name)))
        outdir = self.out_dir("markup")
        for kind, path in pages:
            got = subprocess.run([self.markup_timer, path, "100"],
                                 capture_output=True, text=True)
            if got.returncode != 0:
                self.notes.append(f"{path}: {got.stderr.strip()}")
                continue
            row = json.loads(got.stdout)
            whole = {"text": [], "html": []}
            for _ in range(10):
                for mode in whole:
                    whole[mode].append(run([self.cli, f"--markup={mode}",
                                            "-o", outdir, path])[0])
            row.update(kind=kind, file=os.path.basename(path),
                       run_text_ms=min(whole["text"]) * 1000,
                       run_markup_ms=min(whole["html"]) * 1000)
            self.markup.append(row)

    # --- report -----------------------------------------------------------

    def report(self):
        lines = [f"Machine: {self.cores} cores; inputs generated by "
                 f"tovenrak_make_corpus (seed 20240617).", ""]
        firsts = ", ".join(f"{ms:.1f} ms {direction}"
                           for direction, ms in self.first_ms.items())
        lines.append(f"Time to first conversion (tables from the cache or "
                     f"compiled, convert 4 KiB; best of 4 starts): "
                     f"{firsts}.")
        lines.append("")
        lines.append(f"(a) One page of {self.args.large_mb} MiB")
        lines.append("")
        lines.append("| Direction | Tool | MB/s | Fast engine / tool | "
                     "tovenrak-convert / tool | Peak memory | Note |")
        lines.append("|---|---|---:|---:|---:|---:|---|")
        for d in ("Big5 -> GB", "GB -> Big5"):
            rows = [r for r in self.rows if r["direction"] == d]
            engine = rows[0]["mb_per_s"]
            cli = next(r["mb_per_s"] for r in rows
                       if r["tool"] == "tovenrak-convert")
            for r in rows:
                speed = r["mb_per_s"]
                cells = [d, r["tool"],
                         f"{speed:.1f}" if speed else "-",
                         f"{engine / speed:.1f}x" if speed else "-",
                         f"{cli / speed:.1f}x" if speed else "-",
                         f"{r['peak_mib']:.0f} MiB" if r["peak_mib"] else "-",
                         r["note"]]
                lines.append("| " + " | ".join(map(cell, cells)) + " |")
        lines.append("")
        if getattr(self, "small_page", None):
            lines.append("")
            lines.append("(e) One 4 KiB page, whole process (start, convert, "
                         "save), best of 10")
            lines.append("")
            lines.append("| Direction | Tool | Milliseconds |")
            lines.append("|---|---|---:|")
            for r in self.small_page:
                lines.append(f"| {r['direction']} | {r['tool']} | "
                             f"{r['ms']:.1f} |")
        lines.append("")
        lines.append(f"(b) {self.args.files} small HTML pages (2-24 KiB)")
        lines.append("")
        lines.append("| Direction | Tool | Seconds | CPU seconds | Files/s | "
                     "tool / tovenrak-convert -j all | Peak memory |")
        lines.append("|---|---|---:|---:|---:|---:|---:|")
        for d in ("Big5 -> GB", "GB -> Big5"):
            rows = [r for r in self.batch if r["direction"] == d]
            all_cores = next(r["seconds"] for r in rows
                             if r["tool"] == f"tovenrak-convert -j {self.cores}")
            for r in rows:
                cells = [d, r["tool"], f"{r['seconds']:.2f}",
                         f"{r['cpu']:.2f}",
                         f"{r['files'] / r['seconds']:.0f}",
                         f"{r['seconds'] / all_cores:.1f}x",
                         f"{r['peak_mib']:.0f} MiB"]
                lines.append("| " + " | ".join(map(cell, cells)) + " |")
        if self.configs:
            lines.append("")
            lines.append("(d) Every configuration on the UTF-8 form of the "
                         "large page, and the fast engine on the running "
                         "text of the real pages (Traditional for the "
                         "configurations to Simplified, Simplified for the "
                         "others), MB/s")
            lines.append("")
            lines.append("| Configuration | Fast engine (in process) | "
                         "OpenCC converter (in process) | Fast / OpenCC | "
                         "tovenrak-convert (whole run, best of 3) | "
                         "opencc command (whole run) | "
                         "Fast engine on real prose (in process) |")
            lines.append("|---|---:|---:|---:|---:|---:|---:|")
            for r in self.configs:
                cli = f"{r['cli']:.1f}" if r["cli"] else "-"
                ours = f"{r['ours']:.1f}" if r["ours"] else "-"
                prose = f"{r['prose']:.1f}" if r.get("prose") else "-"
                lines.append(f"| {r['config']} | {r['fast']:.1f} | "
                             f"{r['reference']:.1f} | "
                             f"{r['fast'] / r['reference']:.1f}x | {ours} | "
                             f"{cli} | {prose} |")
        if hasattr(self, "memory"):
            m = self.memory
            lines.append("")
            lines.append(f"(c) Peak memory of tovenrak-convert on a "
                         f"{m['mib']:.0f} MiB page (GB -> Big5): "
                         f"{m['peak_mib']:.0f} MiB, {m['ratio']:.2f} times "
                         f"the file ({m['seconds']:.1f} s); the batch "
                         f"window's run: {m['window_peak_mib']:.0f} MiB.")
        if getattr(self, "preview", None):
            lines.append("")
            lines.append("(f) Opening a 1 MiB page in the main window, "
                         "milliseconds from Open (best of 3, each in a fresh "
                         "window; the web engine's start-up is done before "
                         "and not counted)")
            lines.append("")
            lines.append("| Page | Windows | Open returned | "
                         "Source view painted | "
                         "Preview shown (first screen final) | "
                         "Page loaded | Engine start-up |")
            lines.append("|---|---|---:|---:|---:|---:|---:|")
            for r in self.preview:
                lines.append(f"| {r['file']} | {r['platform']} | "
                             f"{r['open_ms']:.0f} | "
                             f"{r['source_ms']:.0f} | {r['preview_ms']:.0f} | "
                             f"{r['loaded_ms']:.0f} | "
                             f"{r['engine_start_ms']:.0f} |")
        if getattr(self, "markup", None):
            lines.append("")
            lines.append("(g) Pages read as markup against one whole text, "
                         "milliseconds: the conversion alone in process "
                         "(best of 100, alternating) and whole runs of "
                         "tovenrak-convert (best of 10, alternating)")
            lines.append("")
            lines.append("| Page | From | In process: text | markup | "
                         "markup / text | Whole run: text | markup | "
                         "markup / text |")
            lines.append("|---|---|---:|---:|---:|---:|---:|---:|")
            for r in self.markup:
                lines.append(
                    f"| {r['file']} ({r['kind']}, {r['bytes'] / MIB:.1f} "
                    f"MiB) | {r['encoding']} | {r['text_ms']:.2f} | "
                    f"{r['markup_ms']:.2f} | {r['ratio']:.2f}x | "
                    f"{r['run_text_ms']:.1f} | {r['run_markup_ms']:.1f} | "
                    f"{r['run_markup_ms'] / r['run_text_ms']:.2f}x |")
        for note in self.notes:
            lines.append("")
            lines.append(f"Note: {note}")
        text = "\n".join(lines) + "\n"
        print(text)
        with open(os.path.join(self.work, "benchmark.md"), "w") as f:
            f.write(text)
        print(f"(also written to {self.work}/benchmark.md)", file=sys.stderr)


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    p.add_argument("--build", default="build")
    p.add_argument("--work", help="folder for inputs and outputs "
                   "(default: a new temporary folder)")
    p.add_argument("--large-mb", type=int, default=50)
    p.add_argument("--files", type=int, default=10000)
    p.add_argument("--memory-mb", type=int, default=200,
                   help="0 skips the peak memory run")
    p.add_argument("--real-pages", default="/tmp/tovenrak-real-pages",
                   help="where bench/real_pages.py --joined wrote "
                   "gb-pages.htm and big5-pages.htm (default: its own "
                   "default folder); pages missing there are left out")
    args = p.parse_args()
    bench = Bench(args)
    for tool in (bench.cli, bench.make_corpus, bench.timer, bench.batch_run,
                 bench.markup_timer):
        bench.need(tool)
    bench.make_inputs()
    for direction in ("Big5 -> GB", "GB -> Big5"):
        print(f"timing {direction} on the large page ...", file=sys.stderr)
        bench.time_large(direction)
    print("timing a 4 KiB page ...", file=sys.stderr)
    bench.time_small_page()
    print("timing every configuration ...", file=sys.stderr)
    bench.time_configs()
    for direction in ("Big5 -> GB", "GB -> Big5"):
        print(f"timing {direction} on {args.files} pages ...", file=sys.stderr)
        bench.time_batch(direction)
    if args.memory_mb:
        print("measuring peak memory ...", file=sys.stderr)
        bench.time_memory()
    print("timing pages read as markup ...", file=sys.stderr)
    bench.time_markup()
    print("timing Open in the main window ...", file=sys.stderr)
    bench.time_preview()
    bench.report()
    bench.remove_fresh_dirs()


if __name__ == "__main__":
    main()
