#!/usr/bin/env python3
"""Compares the fields that aldra-eps and ExifTool both report and lists every disagreement.

    compare_fields.py --host build-bench/src/host/aldra-eps [--out DIR] FOLDER_OR_FILE...
    compare_fields.py --aldra-json A.jsonl --exiftool-json E.json [--out DIR]

Fields: creator (%%Creator), bounding-box size, fonts (ExifTool reads them only from XMP, so files
without an XMP font list are not compared), IPTC keywords and caption. Writes DIR/fields.csv (every
disagreement) and DIR/fields_summary.csv, and prints both.
"""
import argparse
import csv
import json
import os
import re
import subprocess
import sys
import tempfile

FIELDS = ("creator", "bounding box", "fonts", "keywords", "caption")


def as_list(value):
    if value is None:
        return []
    if isinstance(value, list):
        return [str(v) for v in value]
    return [str(value)]


def files_of(paths):
    out = []
    for p in paths:
        if os.path.isdir(p):
            for root, dirs, names in os.walk(p):
                dirs.sort()
                out.extend(os.path.join(root, n) for n in sorted(names) if os.path.isfile(os.path.join(root, n)))
        elif os.path.isfile(p):
            out.append(p)
    return out


def run_tools(host, files, work):
    listing = os.path.join(work, "fields-files.txt")
    with open(listing, "w") as fh:
        fh.write("".join(f + "\n" for f in files))
    env = dict(os.environ)
    env.setdefault("ALDRA_REGISTRY_DIR", os.path.join(work, "registry"))
    os.makedirs(env["ALDRA_REGISTRY_DIR"], exist_ok=True)
    aldra_path = os.path.join(work, "aldra.jsonl")
    exif_path = os.path.join(work, "exiftool.json")
    with open(aldra_path, "wb") as fh:
        batch, size = [], 0
        for f in files + [None]:
            if f is None or (batch and size + len(f) > 1_000_000):
                if batch:
                    subprocess.run([host, "info", "--json"] + batch, stdout=fh, stderr=subprocess.DEVNULL, env=env)
                batch, size = [], 0
            if f is not None:
                batch.append(f)
                size += len(f) + 1
    with open(exif_path, "wb") as fh:
        subprocess.run(["exiftool", "-json", "-G1", "-a", "-@", listing], stdout=fh, stderr=subprocess.DEVNULL)
    return aldra_path, exif_path


def load_aldra(path):
    records = {}
    with open(path, encoding="utf-8", errors="replace") as fh:
        for line in fh:
            line = line.strip()
            if line:
                r = json.loads(line)
                records[os.path.normpath(r["File"])] = r
    return records


def load_exiftool(path):
    with open(path, encoding="utf-8", errors="replace") as fh:
        text = fh.read().strip()
    records = json.loads(text) if text else []
    return {os.path.normpath(r["SourceFile"]): r for r in records}


def box_comments(path, limit=1 << 20):
    """Every bounding-box comment near the start of the file, as (keyword, [width, height])."""
    found = []
    try:
        with open(path, "rb") as fh:
            data = fh.read(limit)
    except OSError:
        return found
    for m in re.finditer(rb"%%(HiRes)?BoundingBox:\s*(-?[\d.]+)\s+(-?[\d.]+)\s+(-?[\d.]+)\s+(-?[\d.]+)", data):
        llx, lly, urx, ury = (float(v) for v in m.groups()[1:])
        keyword = "%%HiResBoundingBox" if m.group(1) else "%%BoundingBox"
        found.append((keyword + f" at byte {m.start()}", [round(urx - llx, 2), round(ury - lly, 2)]))
    return found


def aldra_caption(notes):
    """The caption lines of the notes: 'Caption: ' and the data set's text."""
    if not notes:
        return None
    captions = []
    for part in notes.split("\rCaption: "):
        captions.append(part)
    if not captions[0].startswith("Caption: "):
        # Another label came first; a caption, if any, follows a carriage return.
        first = captions.pop(0)
        at = first.find("Caption: ")
        if at < 0 and not captions:
            return None
        if at >= 0:
            captions.insert(0, first[at + len("Caption: "):])
    else:
        captions[0] = captions[0][len("Caption: "):]
    return captions


def classify(a, e):
    """A word on what kind of difference it is."""
    def text(v):
        return " | ".join(str(x) for x in v) if isinstance(v, list) else str(v)

    a_text, e_text = text(a), text(e)
    if "\ufffd" in a_text and "\ufffd" not in e_text:
        return "characters: aldra has U+FFFD where ExifTool decoded the bytes"
    for codec in ("cp1252", "latin-1"):
        try:
            if a_text != e_text and a_text.encode(codec).decode("utf-8") == e_text:
                return f"characters: UTF-8 bytes read as {codec} by aldra"
        except (UnicodeEncodeError, UnicodeDecodeError):
            pass
        try:
            if a_text != e_text and e_text.encode(codec).decode("utf-8") == a_text:
                return f"characters: UTF-8 bytes read as {codec} by ExifTool"
        except (UnicodeEncodeError, UnicodeDecodeError):
            pass
    if a_text.replace("\r", "\n").replace("\n", " ") == e_text.replace("\r", "\n").replace("\n", " "):
        return "line ends"
    if a_text.strip() == e_text.strip():
        return "surrounding blanks"
    if a_text.lower() == e_text.lower():
        return "letter case"
    if isinstance(a, list) and isinstance(e, list) and sorted(a) == sorted(e):
        return "order"
    if isinstance(a, list) and a and all(isinstance(x, float) for x in a):
        return "size"
    if not a_text:
        return "missing in aldra"
    if not e_text:
        return "missing in ExifTool"
    return "value"


def compare(aldra, exif):
    rows = []
    summary = {f: {"compared": 0, "agree": 0, "disagree": 0} for f in FIELDS}
    refused = []
    for path in sorted(set(aldra) | set(exif)):
        a = aldra.get(path)
        e = exif.get(path)
        if a is None or e is None:
            continue
        if "Error" in a:
            if e.get("PostScript:Creator") or e.get("PostScript:BoundingBox"):
                refused.append((path, a["Error"].get("Message", "")))
            continue

        def note(field, a_value, e_value, detail=""):
            summary[field]["compared"] += 1
            if a_value == e_value:
                summary[field]["agree"] += 1
                return
            summary[field]["disagree"] += 1
            rows.append({"file": path, "field": field,
                         "aldra": json.dumps(a_value, ensure_ascii=False),
                         "exiftool": json.dumps(e_value, ensure_ascii=False),
                         "kind": classify(a_value, e_value) + (f"; {detail}" if detail else "")})

        # Creator: the %%Creator comment as ExifTool reads it.
        e_creator = e.get("PostScript:Creator")
        if e_creator is not None:
            e_creator = " | ".join(as_list(e_creator))
            note("creator", a.get("CreatingSoftware", ""), e_creator)

        # Bounding box: width and height in points against aldra's inches.
        box = e.get("PostScript:BoundingBox")
        if box:
            try:
                llx, lly, urx, ury = (float(v) for v in str(box).split()[:4])
                e_size = [round(urx - llx, 2), round(ury - lly, 2)]
                a_size = [round(float(a.get("Width", 0)) * 72, 2), round(float(a.get("Height", 0)) * 72, 2)]
                close = all(abs(x - y) <= 1.0 for x, y in zip(a_size, e_size))
                # Within a point counts as the same: the high-resolution box may be the one taken.
                detail = ""
                if not close:
                    detail = "aldra's Width/Height x 72 against %%BoundingBox"
                    for keyword, size in box_comments(path):
                        if all(abs(x - y) <= 0.05 for x, y in zip(a_size, size)):
                            detail = f"aldra took the file's {keyword} {size[0]:g} x {size[1]:g}"
                            break
                note("bounding box", e_size if close else a_size, e_size, detail)
            except ValueError:
                pass

        # Fonts: ExifTool has them from an XMP font list only.
        e_fonts = as_list(e.get("XMP-xmpTPg:FontName"))
        if e_fonts:
            a_fonts = [f for f in a.get("Fonts", "").split("\n") if f]
            note("fonts", sorted(a_fonts), sorted(e_fonts))

        # IPTC keywords, in their order.
        e_keywords = as_list(e.get("IPTC:Keywords"))
        a_keywords = [k for k in a.get("Categories", "").split("\r") if k]
        if e_keywords or a_keywords:
            note("keywords", a_keywords, e_keywords)

        # IPTC caption.
        e_caption = e.get("IPTC:Caption-Abstract")
        a_captions = aldra_caption(a.get("Notes", ""))
        if e_caption is not None or a_captions:
            note("caption", a_captions or [], as_list(e_caption))
    return rows, summary, refused


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--host")
    p.add_argument("--aldra-json")
    p.add_argument("--exiftool-json")
    p.add_argument("--out")
    p.add_argument("--limit", type=int, default=40, help="disagreements printed (all are in the CSV)")
    p.add_argument("paths", nargs="*")
    args = p.parse_args()
    out = args.out or tempfile.mkdtemp(prefix="aldra-fields-")
    os.makedirs(out, exist_ok=True)
    if args.aldra_json and args.exiftool_json:
        aldra_path, exif_path = args.aldra_json, args.exiftool_json
    elif args.host and args.paths:
        files = files_of(args.paths)
        if not files:
            sys.exit("compare_fields: no files")
        aldra_path, exif_path = run_tools(os.path.abspath(args.host), files, out)
    else:
        p.error("give --host and files or folders, or --aldra-json and --exiftool-json")
    rows, summary, refused = compare(load_aldra(aldra_path), load_exiftool(exif_path))

    with open(os.path.join(out, "fields.csv"), "w", newline="") as fh:
        w = csv.DictWriter(fh, fieldnames=["file", "field", "aldra", "exiftool", "kind"])
        w.writeheader()
        w.writerows(rows)
    with open(os.path.join(out, "fields_summary.csv"), "w", newline="") as fh:
        w = csv.writer(fh)
        w.writerow(["field", "compared", "agree", "disagree"])
        for f in FIELDS:
            w.writerow([f, summary[f]["compared"], summary[f]["agree"], summary[f]["disagree"]])

    print("| field | files compared | agree | disagree |")
    print("|---|---:|---:|---:|")
    for f in FIELDS:
        s = summary[f]
        print(f"| {f} | {s['compared']} | {s['agree']} | {s['disagree']} |")
    kinds = {}
    for r in rows:
        kinds.setdefault((r["field"], r["kind"]), []).append(r)
    if rows:
        print(f"\n{len(rows)} disagreements, by field and kind:")
        for (field, kind), members in sorted(kinds.items()):
            example = members[0]
            print(f"  {field} / {kind}: {len(members)} files, e.g. {example['file']}: "
                  f"aldra {example['aldra']} ExifTool {example['exiftool']}")
        print(f"\nfirst {min(args.limit, len(rows))} of them:")
        for r in rows[: args.limit]:
            print(f"  {r['file']}: {r['field']}: aldra {r['aldra']} ExifTool {r['exiftool']} ({r['kind']})")
    else:
        print("\nno disagreements")
    if refused:
        print(f"\n{len(refused)} files that ExifTool read and aldra refused (not counted above):")
        for path, message in refused[: args.limit]:
            print(f"  {path}: {message}")
    print(f"\nwrote {out}/fields.csv and fields_summary.csv")


if __name__ == "__main__":
    main()
