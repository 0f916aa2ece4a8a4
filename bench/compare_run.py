#!/usr/bin/env python3
"""Measures aldra-eps against ExifTool and Ghostscript over one folder, whole processes, several runs.

Called by bench/compare.sh, which installs the peers, builds the project and writes the folders. Writes
CSV files, a Markdown table and a PNG chart into --out and prints the table.
"""
import argparse
import csv
import os
import re
import resource
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import time

KINDS = ("dos-tiff", "photoshop-jpeg", "illustrator-ai7", "imagedata-large", "other-eps", "not-eps")
KIND_LABELS = {
    "dos-tiff": "DOS EPS + TIFF",
    "photoshop-jpeg": "Photoshop EPS + JPEG thumbnail",
    "illustrator-ai7": "Illustrator + %AI7_Thumbnail",
    "imagedata-large": "%ImageData, 16 MB and more",
    "other-eps": "other EPS",
    "not-eps": "not EPS",
}
LARGE_BYTES = 16 * 1000 * 1000
ARG_BYTES = 1_000_000  # the command-line length one process gets; longer lists take more processes


# ---- the files ------------------------------------------------------------------------------------

def list_files(folder):
    files = []
    for root, dirs, names in os.walk(folder):
        dirs.sort()
        for name in sorted(names):
            path = os.path.join(root, name)
            if os.path.isfile(path) and not os.path.islink(path):
                files.append(path)
    return files


def postscript_head(path, limit=65536):
    """The first bytes of the PostScript section (behind a DOS EPS header when there is one)."""
    with open(path, "rb") as f:
        head = f.read(30)
        if len(head) >= 30 and head[:4] == b"\xc5\xd0\xd3\xc6":
            offset, length = struct.unpack("<II", head[4:12])
            f.seek(offset)
            return f.read(min(length, limit)), True, struct.unpack("<I", head[24:28])[0] > 0
        return head + f.read(limit - 30), False, False


def sniff(path):
    size = os.path.getsize(path)
    try:
        text, dos, tiff = postscript_head(path)
    except OSError:
        return "not-eps", None
    box = None
    m = re.search(rb"%%BoundingBox:\s*(-?[\d.]+)\s+(-?[\d.]+)\s+(-?[\d.]+)\s+(-?[\d.]+)", text)
    if m:
        llx, lly, urx, ury = (float(v) for v in m.groups())
        if urx > llx and ury > lly:
            box = (urx - llx, ury - lly)
    if not text.startswith(b"%!"):
        return "not-eps", box
    if dos and tiff:
        return "dos-tiff", box
    if b"%AI7_Thumbnail" in text:
        return "illustrator-ai7", box
    if b"%ImageData" in text and size >= LARGE_BYTES:
        return "imagedata-large", box
    if b"%BeginPhotoshop" in text:
        return "photoshop-jpeg", box
    return "other-eps", box


def stratified(files, kinds, count):
    """About `count` files spread evenly over the folder, each kind in its share, no large pictures and
    nothing that is not EPS."""
    by_kind = {}
    for f in files:
        if kinds[f] not in ("imagedata-large", "not-eps"):
            by_kind.setdefault(kinds[f], []).append(f)
    total = sum(len(v) for v in by_kind.values())
    if total <= count:
        return [f for f in files if kinds[f] not in ("imagedata-large", "not-eps")]
    chosen = set()
    for kind, members in by_kind.items():
        want = max(1, round(count * len(members) / total))
        step = len(members) / want
        chosen.update(members[int(i * step)] for i in range(want))
    return [f for f in files if f in chosen]


# ---- timing ---------------------------------------------------------------------------------------

def run(cmd, out=subprocess.DEVNULL, env=None):
    return subprocess.run(cmd, stdout=out, stderr=subprocess.DEVNULL, env=env).returncode


def chunks(prefix, files):
    """Argument lists of at most ARG_BYTES each."""
    batch, size = [], 0
    for f in files:
        if batch and size + len(f) + 1 > ARG_BYTES:
            yield prefix + batch
            batch, size = [], 0
        batch.append(f)
        size += len(f) + 1
    if batch:
        yield prefix + batch


class Measure:
    def __init__(self, name, tool, mode, files, runs, note=""):
        self.name, self.tool, self.mode, self.files, self.note = name, tool, mode, files, note
        self.runs = runs
        self.times = []
        self.cpu = []  # per run: user + system seconds of the processes started
        self.per_kind = []  # per run: {kind: seconds}
        self.per_kind_cpu = []  # per run: {kind: CPU seconds}

    @property
    def median(self):
        return statistics.median(self.times)

    @property
    def ms_per_file(self):
        return self.median * 1000.0 / max(1, self.files)

    @property
    def cpu_ms_per_file(self):
        return statistics.median(self.cpu) * 1000.0 / max(1, self.files)

    def spread(self):
        return (max(self.times) - min(self.times)) / self.median if self.median > 0 else 0.0

    def row(self):
        return {
            "case": self.name, "tool": self.tool, "mode": self.mode, "files": self.files,
            "runs": len(self.times), "median_s": f"{self.median:.4f}", "min_s": f"{min(self.times):.4f}",
            "max_s": f"{max(self.times):.4f}", "spread": f"{self.spread():.3f}",
            "ms_per_file": f"{self.ms_per_file:.3f}", "cpu_ms_per_file": f"{self.cpu_ms_per_file:.3f}",
            "note": self.note,
        }


def time_whole(measure, commands, env):
    """One run: the commands one after another, timed together."""
    start = time.perf_counter()
    for cmd in commands:
        run(cmd, env=env)
    return time.perf_counter() - start


def repeat(measure, once, before_each=None):
    for _ in range(measure.runs):
        if before_each:
            before_each()  # not timed
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        result = once()
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        measure.cpu.append(after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime)
        if isinstance(result, tuple):
            measure.times.append(result[0])
            measure.per_kind.append(result[1])
            measure.per_kind_cpu.append(result[2])
        else:
            measure.times.append(result)
    return measure


def per_file(commands_for, files, kinds, env):
    """One process per file; the run's total and its share per kind."""
    def once():
        per_kind, per_kind_cpu = {}, {}
        total = 0.0
        for f in files:
            cmd = commands_for(f)
            start = time.perf_counter()
            child = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env)
            _, status, usage = os.wait4(child.pid, 0)
            child.returncode = os.waitstatus_to_exitcode(status)
            took = time.perf_counter() - start
            total += took
            per_kind[kinds[f]] = per_kind.get(kinds[f], 0.0) + took
            per_kind_cpu[kinds[f]] = per_kind_cpu.get(kinds[f], 0.0) + usage.ru_utime + usage.ru_stime
        return total, per_kind, per_kind_cpu
    return once


def peak_kb(cmd, env):
    """Maximum resident set size of the command, as /usr/bin/time -v reports it."""
    result = subprocess.run(["/usr/bin/time", "-v"] + cmd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                            env=env, text=True, errors="replace")
    m = re.search(r"Maximum resident set size \(kbytes\): (\d+)", result.stderr)
    return int(m.group(1)) if m else -1


def gs_command(path, box, out_png):
    long_side = max(box) if box else 612.0
    resolution = 256.0 * 72.0 / long_side
    return ["gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=png16m", "-dEPSCrop",
            f"-r{resolution:.3f}", f"-sOutputFile={out_png}", path]


def link_subset(files, folder, target):
    if os.path.isdir(target):
        shutil.rmtree(target)
    for f in files:
        dest = os.path.join(target, os.path.relpath(f, folder))
        os.makedirs(os.path.dirname(dest), exist_ok=True)
        try:
            os.link(f, dest)
        except OSError:
            shutil.copy2(f, dest)


def human(ms):
    if ms >= 1000:
        return f"{ms / 1000:.2f} s"
    if ms >= 10:
        return f"{ms:.0f} ms"
    if ms >= 1:
        return f"{ms:.2f} ms"
    return f"{ms * 1000:.0f} µs"


# ---- the run --------------------------------------------------------------------------------------

def main():
    p = argparse.ArgumentParser()
    p.add_argument("--host", required=True)
    p.add_argument("--floor", required=True)
    p.add_argument("--folder", required=True)
    p.add_argument("--sizes-folder")
    p.add_argument("--out", required=True)
    p.add_argument("--runs", type=int, default=5)
    p.add_argument("--slow-runs", type=int, default=3)
    p.add_argument("--subset", type=int, default=300)
    p.add_argument("--machine", default="")
    p.add_argument("--artwork-folder", help="Illustrator drawings without a preview, drawn by both programs")
    args = p.parse_args()

    out = os.path.abspath(args.out)
    os.makedirs(out, exist_ok=True)
    scratch = tempfile.mkdtemp(prefix="aldra-compare-")
    env = dict(os.environ)
    env["ALDRA_REGISTRY_DIR"] = os.path.join(out, "registry")
    os.makedirs(env["ALDRA_REGISTRY_DIR"], exist_ok=True)
    host, floor = os.path.abspath(args.host), os.path.abspath(args.floor)
    started = time.perf_counter()
    load_before = os.getloadavg()[0]

    files = list_files(args.folder)
    if not files:
        sys.exit(f"compare: no files in {args.folder}")
    kinds, boxes = {}, {}
    for f in files:
        kinds[f], boxes[f] = sniff(f)
    total_bytes = sum(os.path.getsize(f) for f in files)
    largest = max(files, key=os.path.getsize)
    subset = stratified(files, kinds, args.subset)
    listing = os.path.join(out, "files.txt")
    with open(listing, "w") as fh:
        fh.write("".join(f + "\n" for f in files))
    subset_listing = os.path.join(out, "subset.txt")
    with open(subset_listing, "w") as fh:
        fh.write("".join(f + "\n" for f in subset))
    subset_folder = os.path.join(scratch, "subset")
    link_subset(subset, args.folder, subset_folder)
    kind_count = {k: sum(1 for f in files if kinds[f] == k) for k in KINDS}
    print(f"folder: {args.folder}: {len(files)} files, {total_bytes / 1e6:.0f} MB; " +
          ", ".join(f"{KIND_LABELS[k]} {n}" for k, n in kind_count.items() if n))
    print(f"per-process cases over a subset of {len(subset)} files (large %ImageData files measured apart)")

    # Everything in the page cache first, and the module registered, so that every run sees the same.
    for f in files:
        with open(f, "rb") as fh:
            while fh.read(1 << 20):
                pass
    run([host, "info", files[0]], env=env)

    R, S = args.runs, args.slow_runs
    measures = []
    info_cmds = list(chunks([host, "info", "--json"], files))
    note = f"{len(info_cmds)} processes" if len(info_cmds) > 1 else ""

    m = Measure("metadata-folder", "aldra-eps info --json", "one process", len(files), R, note)
    measures.append(repeat(m, lambda: time_whole(m, info_cmds, env)))
    m = Measure("metadata-folder", "exiftool -json", "one process", len(files), S)
    measures.append(repeat(m, lambda: time_whole(m, [["exiftool", "-json", "-@", listing]], env)))
    m = Measure("floor-folder", "read 32 KiB (C)", "one process", len(files), R)
    measures.append(repeat(m, lambda: time_whole(m, [[floor, "-@", listing]], env)))
    head_py = ("import sys\nfor p in open(sys.argv[1]).read().splitlines():\n"
               "    f = open(p, 'rb'); f.read(32768); f.close()\n")
    m = Measure("floor-folder", "read 32 KiB (python3)", "one process", len(files), R)
    measures.append(repeat(m, lambda: time_whole(m, [[sys.executable, "-S", "-c", head_py, listing]], env)))

    m = Measure("metadata-per-file", "aldra-eps info --json", "process per file", len(subset), R)
    measures.append(repeat(m, per_file(lambda f: [host, "info", "--json", f], subset, kinds, env)))
    m = Measure("metadata-per-file", "exiftool -json", "process per file", len(subset), S)
    measures.append(repeat(m, per_file(lambda f: ["exiftool", "-json", f], subset, kinds, env)))
    m = Measure("floor-per-file", "read 32 KiB (C)", "process per file", len(subset), R)
    measures.append(repeat(m, per_file(lambda f: [floor, f], subset, kinds, env)))

    thumbs = os.path.join(scratch, "thumbs")
    os.makedirs(thumbs, exist_ok=True)
    names = {f: os.path.join(thumbs, f"{i}.png") for i, f in enumerate(files)}

    def fresh_outputs():
        # Every run writes new thumbnails, as a thumbnailer filling its cache does.
        for name in os.listdir(thumbs):
            os.remove(os.path.join(thumbs, name))

    def aldra_thumb(f):
        return [host, "thumbnail", "--size", "256", f, names[f]]

    def gs_thumb(f):
        return gs_command(f, boxes[f], names[f] + ".gs.png")

    m = Measure("thumbnail-per-file", "aldra-eps thumbnail", "process per file", len(subset), R)
    measures.append(repeat(m, per_file(aldra_thumb, subset, kinds, env), fresh_outputs))
    m = Measure("thumbnail-per-file", "gs png16m 256 px", "process per file", len(subset), S)
    measures.append(repeat(m, per_file(gs_thumb, subset, kinds, env), fresh_outputs))

    # ---- drawn artwork: the filter's interpreter against Ghostscript on the same drawings ---------------
    art_files, art_sizes = [], {}
    if args.artwork_folder:
        art_files = list_files(args.artwork_folder)
        for f in art_files:
            m = re.search(r"-(\d+)\.ai$", f)
            art_sizes[f] = f"{int(m.group(1)):,} segments" if m else "other"
        art_boxes = {f: sniff(f)[1] for f in art_files}
        art_out = os.path.join(scratch, "artwork")
        os.makedirs(art_out, exist_ok=True)

        def fresh_art():
            for name in os.listdir(art_out):
                os.remove(os.path.join(art_out, name))

        def aldra_art(f):
            return [host, "thumbnail", "--size", "256", "--prefer", "rendered", f,
                    os.path.join(art_out, os.path.basename(f) + ".png")]

        def gs_art(f):
            return gs_command(f, art_boxes[f], os.path.join(art_out, os.path.basename(f) + ".gs.png"))

        m = Measure("artwork-per-file", "aldra-eps thumbnail --prefer rendered", "process per file", len(art_files), R)
        measures.append(repeat(m, per_file(aldra_art, art_files, art_sizes, env), fresh_art))
        m = Measure("artwork-per-file", "gs png16m 256 px", "process per file", len(art_files), S)
        measures.append(repeat(m, per_file(gs_art, art_files, art_sizes, env), fresh_art))

    def catalog(folder):
        def once():
            db = os.path.join(scratch, "catalog.sqlite")
            for suffix in ("", "-wal", "-shm", "-journal"):
                if os.path.exists(db + suffix):
                    os.remove(db + suffix)
            start = time.perf_counter()
            run([host, "catalog", folder, "--db", db, "--jobs", "1", "--thumb-size", "256", "--quiet"], env=env)
            return time.perf_counter() - start
        return once

    m = Measure("thumbnail-catalog", "aldra-eps catalog --jobs 1", "one run over the subset", len(subset), R)
    measures.append(repeat(m, catalog(subset_folder)))
    m = Measure("thumbnail-catalog", "aldra-eps catalog --jobs 1", "one run over the folder", len(files), S)
    measures.append(repeat(m, catalog(os.path.abspath(args.folder))))

    # ---- the large pictures, and cost against file size ----------------------------------------------
    size_files = []
    if args.sizes_folder:
        size_files = sorted(list_files(args.sizes_folder), key=os.path.getsize)
    large = sorted((f for f in files if kinds[f] == "imagedata-large"), key=os.path.getsize)
    sized = sorted(set(size_files + large), key=os.path.getsize)
    size_rows = []
    for f in sized:
        mb = os.path.getsize(f) / 1e6
        box = boxes.get(f) or sniff(f)[1]
        row = {"file": os.path.basename(f), "megabytes": f"{mb:.1f}"}
        cases = [
            ("aldra_info_ms", [host, "info", "--json", f], R),
            ("aldra_info_x50_ms", [host, "info", "--json"] + [f] * 50, R),
            ("exiftool_ms", ["exiftool", "-json", f], S),
            ("floor_ms", [floor, f], R),
            ("aldra_thumbnail_ms", [host, "thumbnail", "--size", "256", f, os.path.join(thumbs, "size.png")], S),
            ("gs_ms", gs_command(f, box, os.path.join(thumbs, "size.gs.png")), S),
        ]
        for key, cmd, runs in cases:
            run(cmd, env=env)
            times = []
            for _ in range(runs):
                start = time.perf_counter()
                run(cmd, env=env)
                times.append(time.perf_counter() - start)
            value = statistics.median(times) * 1000.0
            if key == "aldra_info_x50_ms":
                value /= 50.0
            row[key] = f"{value:.3f}"
            row[key + "_spread"] = f"{(max(times) - min(times)) / statistics.median(times):.3f}"
        size_rows.append(row)

    memory_rows = []
    memory_file = sized[-1] if sized else largest
    mf_box = boxes.get(memory_file) or sniff(memory_file)[1]
    for label, cmd in [
        ("aldra-eps info", [host, "info", "--json", memory_file]),
        ("aldra-eps thumbnail 256", [host, "thumbnail", "--size", "256", memory_file, os.path.join(thumbs, "m.png")]),
        ("exiftool -json", ["exiftool", "-json", memory_file]),
        ("gs png16m 256 px", gs_command(memory_file, mf_box, os.path.join(thumbs, "m.gs.png"))),
        ("read 32 KiB (C)", [floor, memory_file]),
    ]:
        memory_rows.append({"what": label, "file": os.path.basename(memory_file),
                            "megabytes": f"{os.path.getsize(memory_file) / 1e6:.1f}", "peak_kb": peak_kb(cmd, env)})
    if art_files:
        art_largest = max(art_files, key=os.path.getsize)
        for label, cmd in [
            ("aldra-eps thumbnail 256, drawn artwork",
             [host, "thumbnail", "--size", "256", "--prefer", "rendered", art_largest, os.path.join(thumbs, "a.png")]),
            ("gs png16m 256 px, drawn artwork", gs_command(art_largest, art_boxes[art_largest],
                                                           os.path.join(thumbs, "a.gs.png"))),
        ]:
            memory_rows.append({"what": label, "file": os.path.basename(art_largest),
                                "megabytes": f"{os.path.getsize(art_largest) / 1e6:.1f}", "peak_kb": peak_kb(cmd, env)})
    for label, cmd in [
        ("aldra-eps info, whole folder", info_cmds[0]),
        ("exiftool -json, whole folder", ["exiftool", "-json", "-@", listing]),
    ]:
        memory_rows.append({"what": label, "file": "(folder)", "megabytes": f"{total_bytes / 1e6:.0f}",
                            "peak_kb": peak_kb(cmd, env)})

    # ---- results --------------------------------------------------------------------------------------
    def find(name, tool, mode=None):
        for m in measures:
            if m.name == name and m.tool == tool and (mode is None or m.mode == mode):
                return m
        return None

    a_fold = find("metadata-folder", "aldra-eps info --json")
    e_fold = find("metadata-folder", "exiftool -json")
    floor_fold = find("floor-folder", "read 32 KiB (C)")
    a_pf = find("metadata-per-file", "aldra-eps info --json")
    e_pf = find("metadata-per-file", "exiftool -json")
    floor_pf = find("floor-per-file", "read 32 KiB (C)")
    a_th = find("thumbnail-per-file", "aldra-eps thumbnail")
    g_th = find("thumbnail-per-file", "gs png16m 256 px")
    cat_sub = find("thumbnail-catalog", "aldra-eps catalog --jobs 1", "one run over the subset")
    cat_all = find("thumbnail-catalog", "aldra-eps catalog --jobs 1", "one run over the folder")

    def median_kind(m, kind, cpu_time=False):
        values = [run.get(kind, 0.0) for run in (m.per_kind_cpu if cpu_time else m.per_kind)]
        return statistics.median(values) if values else 0.0

    ratios = []

    def ratio(what, slow_ms, fast_ms, target, met, how, cpu=None):
        value = slow_ms / fast_ms if fast_ms > 0 else float("inf")
        cpu_value = cpu[0] / cpu[1] if cpu and cpu[1] > 0 else None
        ratios.append({"what": what, "aldra": human(fast_ms), "other": human(slow_ms), "ratio": value,
                       "cpu_ratio": cpu_value, "target": target, "met": met(value) if met else None, "how": how})

    def cpu(slow, fast):
        return (slow.cpu_ms_per_file, fast.cpu_ms_per_file)

    ratio("metadata, one process over the folder: ExifTool ÷ aldra", e_fold.ms_per_file, a_fold.ms_per_file,
          "≥ 50×", lambda v: v >= 50, "per file", cpu(e_fold, a_fold))
    ratio("metadata, one process over the folder: aldra ÷ 32 KiB floor", a_fold.ms_per_file, floor_fold.ms_per_file,
          "≤ 2×", lambda v: v <= 2, "per file", cpu(a_fold, floor_fold))
    ratios[-1]["aldra"], ratios[-1]["other"] = human(floor_fold.ms_per_file), human(a_fold.ms_per_file)
    ratio("metadata, process per file: ExifTool ÷ aldra", e_pf.ms_per_file, a_pf.ms_per_file, "", None, "per file",
          cpu(e_pf, a_pf))
    ratio("metadata, process per file: aldra ÷ 32 KiB floor (process per file)", a_pf.ms_per_file,
          floor_pf.ms_per_file, "", None, "per file", cpu(a_pf, floor_pf))
    ratios[-1]["aldra"], ratios[-1]["other"] = human(floor_pf.ms_per_file), human(a_pf.ms_per_file)
    ratio("thumbnail 256 px, process per file: gs ÷ aldra-eps thumbnail", g_th.ms_per_file, a_th.ms_per_file,
          "≥ 20×", lambda v: v >= 20, "per file", cpu(g_th, a_th))
    ratio("thumbnail 256 px: gs per file ÷ aldra-eps catalog --jobs 1 (same files)", g_th.ms_per_file,
          cat_sub.ms_per_file, "≥ 20×", lambda v: v >= 20, "per file", cpu(g_th, cat_sub))
    for kind in KINDS:
        n = sum(1 for f in subset if kinds[f] == kind)
        if n == 0:
            continue
        ratio(f"  thumbnail, {KIND_LABELS[kind]} ({n} files): gs ÷ aldra", median_kind(g_th, kind) * 1000 / n,
              median_kind(a_th, kind) * 1000 / n, "", None, "per file",
              (median_kind(g_th, kind, True), median_kind(a_th, kind, True)))

    if art_files:
        a_art = find("artwork-per-file", "aldra-eps thumbnail --prefer rendered")
        g_art = find("artwork-per-file", "gs png16m 256 px")
        ratio(f"drawn artwork 256 px, process per file ({len(art_files)} files): gs ÷ aldra-eps thumbnail",
              g_art.ms_per_file, a_art.ms_per_file, "≥ 10×", lambda v: v >= 10, "per file", cpu(g_art, a_art))
        for label in sorted(set(art_sizes.values()), key=lambda t: int(t.split()[0].replace(",", "")) if t[0].isdigit() else 0):
            n = sum(1 for f in art_files if art_sizes[f] == label)
            ratio(f"  drawn artwork, {label} ({n} files): gs ÷ aldra", median_kind(g_art, label) * 1000 / n,
                  median_kind(a_art, label) * 1000 / n, "", None, "per file",
                  (median_kind(g_art, label, True), median_kind(a_art, label, True)))

    memory_target = None
    for row in memory_rows:
        if row["what"].startswith("aldra-eps") and row["file"] != "(folder)" and "drawn artwork" not in row["what"]:
            ok = row["peak_kb"] >= 0 and row["peak_kb"] < 32 * 1024
            memory_target = ok if memory_target is None else (memory_target and ok)

    flat = None
    series = [r for r in size_rows if r["file"] in {os.path.basename(f) for f in size_files}] or size_rows
    if len(series) >= 2:
        first, last = series[0], series[-1]
        growth = float(last["aldra_info_x50_ms"]) / max(1e-9, float(first["aldra_info_x50_ms"]))
        growth_single = float(last["aldra_info_ms"]) / max(1e-9, float(first["aldra_info_ms"]))
        flat = growth <= 1.25 and growth_single <= 1.25
    else:
        growth = growth_single = float("nan")

    # CSV
    with open(os.path.join(out, "measures.csv"), "w", newline="") as fh:
        w = csv.DictWriter(fh, fieldnames=list(measures[0].row().keys()))
        w.writeheader()
        for m in measures:
            w.writerow(m.row())
    with open(os.path.join(out, "per_kind.csv"), "w", newline="") as fh:
        w = csv.writer(fh)
        w.writerow(["case", "tool", "kind", "files", "median_ms_per_file", "median_cpu_ms_per_file"])
        for m in measures:
            if not m.per_kind or m.name == "artwork-per-file":
                continue
            for kind in KINDS:
                n = sum(1 for f in subset if kinds[f] == kind)
                if n:
                    w.writerow([m.name, m.tool, kind, n, f"{median_kind(m, kind) * 1000 / n:.3f}",
                                f"{median_kind(m, kind, True) * 1000 / n:.3f}"])
    with open(os.path.join(out, "ratios.csv"), "w", newline="") as fh:
        w = csv.DictWriter(fh, fieldnames=["what", "aldra", "other", "ratio", "cpu_ratio", "target", "met", "how"])
        w.writeheader()
        for r in ratios:
            w.writerow(dict(r, ratio=f"{r['ratio']:.2f}",
                            cpu_ratio="" if r["cpu_ratio"] is None else f"{r['cpu_ratio']:.2f}"))
    if size_rows:
        with open(os.path.join(out, "sizes.csv"), "w", newline="") as fh:
            w = csv.DictWriter(fh, fieldnames=list(size_rows[0].keys()))
            w.writeheader()
            w.writerows(size_rows)
    with open(os.path.join(out, "memory.csv"), "w", newline="") as fh:
        w = csv.DictWriter(fh, fieldnames=["what", "file", "megabytes", "peak_kb"])
        w.writeheader()
        w.writerows(memory_rows)

    # The table, as Markdown.
    def mark(met):
        return "" if met is None else ("**met**" if met else "**missed**")

    lines = []
    lines.append(f"Folder: {len(files)} files, {total_bytes / 1e6:.0f} MB (" +
                 ", ".join(f"{n} {KIND_LABELS[k]}" for k, n in kind_count.items() if n) + "). " +
                 f"Process-per-file cases over a stratified subset of {len(subset)} of them. "
                 f"Median of {R} runs ({S} for ExifTool, Ghostscript and the whole-folder catalogue), warm page cache.")
    if args.machine:
        lines.append("")
        lines.append(f"Machine: {args.machine}. Load average (1 min) before the run {load_before:.2f}, "
                     f"after it {os.getloadavg()[0]:.2f}.")
    lines.append("")
    lines.append("| measurement | tool | runs | median | per file | spread (max − min) / median | CPU per file |")
    lines.append("|---|---|---:|---:|---:|---:|---:|")
    for m in measures:
        lines.append(f"| {m.name} ({m.mode}, {m.files} files) | {m.tool} | {len(m.times)} | {m.median:.3f} s | "
                     f"{human(m.ms_per_file)} | {m.spread() * 100:.0f} % | {human(m.cpu_ms_per_file)} |")
    lines.append("")
    lines.append("| ratio (wall time per file) | faster | slower | ratio | CPU-time ratio | target |")
    lines.append("|---|---:|---:|---:|---:|---|")
    for r in ratios:
        cpu_text = "" if r["cpu_ratio"] is None else f"{r['cpu_ratio']:.1f}×"
        lines.append(f"| {r['what']} | {r['aldra']} | {r['other']} | {r['ratio']:.1f}× | {cpu_text} | "
                     f"{r['target']} {mark(r['met'])} |")
    if size_rows:
        lines.append("")
        lines.append("| file | MB | aldra info (process) | aldra info (in a process of 50) | floor | ExifTool | aldra thumbnail | gs |")
        lines.append("|---|---:|---:|---:|---:|---:|---:|---:|")
        for r in size_rows:
            lines.append(f"| {r['file']} | {r['megabytes']} | {human(float(r['aldra_info_ms']))} | "
                         f"{human(float(r['aldra_info_x50_ms']))} | {human(float(r['floor_ms']))} | "
                         f"{human(float(r['exiftool_ms']))} | {human(float(r['aldra_thumbnail_ms']))} | "
                         f"{human(float(r['gs_ms']))} |")
        lines.append("")
        lines.append(f"Header scan against file size ({series[0]['file']} → {series[-1]['file']}): "
                     f"×{growth:.2f} in a process of 50, ×{growth_single:.2f} as one process each; "
                     f"target flat (≤ ×1.25) {mark(flat)}")
    lines.append("")
    lines.append("| peak memory (`/usr/bin/time -v`) | file | MB | peak RSS |")
    lines.append("|---|---|---:|---:|")
    for r in memory_rows:
        lines.append(f"| {r['what']} | {r['file']} | {r['megabytes']} | {r['peak_kb'] / 1024:.1f} MB |")
    lines.append("")
    for r in memory_rows:
        if r["what"] == "aldra-eps thumbnail 256, drawn artwork":
            verdict = mark(0 <= r["peak_kb"] < 32 * 1024)
            lines.append(f"Peak memory of aldra-eps drawing {r['file']} ({r['megabytes']} MB): target < 32 MB {verdict}")
            lines.append("")
    lines.append(f"Peak memory of aldra-eps on {os.path.basename(memory_file)} "
                 f"({os.path.getsize(memory_file) / 1e6:.0f} MB): target < 32 MB {mark(memory_target)}")
    table = "\n".join(lines)
    with open(os.path.join(out, "table.md"), "w") as fh:
        fh.write(table + "\n")
    print()
    print(table)

    chart(out, measures, size_rows)
    shutil.rmtree(scratch, ignore_errors=True)
    print(f"\nwrote {out}/measures.csv, ratios.csv, per_kind.csv, sizes.csv, memory.csv, table.md, compare.png "
          f"({time.perf_counter() - started:.0f} s)")


def chart(out, measures, size_rows):
    try:
        import matplotlib
        matplotlib.use("Agg")
        import matplotlib.pyplot as plt
    except ImportError:
        print("compare: matplotlib is missing; no chart", file=sys.stderr)
        return
    fig, axes = plt.subplots(1, 2 if size_rows else 1, figsize=(15 if size_rows else 9, 6))
    if not size_rows:
        axes = [axes]
    labels = [f"{m.tool}\n{m.name}, {m.mode}" for m in measures]
    values = [m.ms_per_file for m in measures]
    colours = ["#2a7ab9" if m.tool.startswith("aldra") else "#999999" if "32 KiB" in m.tool else "#d9822b"
               for m in measures]
    ax = axes[0]
    ax.barh(range(len(values)), values, color=colours)
    ax.set_yticks(range(len(values)))
    ax.set_yticklabels(labels, fontsize=7)
    ax.invert_yaxis()
    ax.set_xscale("log")
    ax.set_xlabel("milliseconds per file (log scale)")
    ax.set_title("aldra-eps (blue) against ExifTool and Ghostscript (orange), floor (grey)")
    for i, v in enumerate(values):
        ax.text(v, i, " " + human(v), va="center", fontsize=7)
    if size_rows:
        ax = axes[1]
        mb = [float(r["megabytes"]) for r in size_rows]
        for key, label in [("aldra_info_ms", "aldra-eps info (process)"),
                           ("aldra_info_x50_ms", "aldra-eps info (in a process of 50)"),
                           ("floor_ms", "read 32 KiB"), ("exiftool_ms", "exiftool -json"),
                           ("aldra_thumbnail_ms", "aldra-eps thumbnail"), ("gs_ms", "gs 256 px")]:
            ax.plot(mb, [float(r[key]) for r in size_rows], marker="o", label=label)
        ax.set_xscale("log")
        ax.set_yscale("log")
        ax.set_xlabel("file size (MB, one %ImageData picture)")
        ax.set_ylabel("milliseconds")
        ax.set_title("cost against file size")
        ax.legend(fontsize=7)
    fig.tight_layout()
    fig.savefig(os.path.join(out, "compare.png"), dpi=110)


if __name__ == "__main__":
    main()
