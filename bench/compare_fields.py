#!/usr/bin/env python3
"""Compares the fields that aldra-eps and ExifTool both report and lists every disagreement.

    compare_fields.py --host build-bench/src/host/aldra-eps [--out DIR] FOLDER_OR_FILE...
    compare_fields.py --aldra-json A.jsonl --exiftool-json E.json [--out DIR]

Fields: creator (%%Creator), bounding-box size, fonts (ExifTool reads them only from XMP, so files
without an XMP font list are not compared), IPTC keywords, caption and by-line. Text fields are
aldra's facts (Creator, IptcKeywords, IptcCaption, IptcByline), which are UTF-8 decoded by the IPTC
record's declared character set; the catalogue getters (CreatingSoftware, Categories, Notes) keep the
bytes in the host's code page, so they are the comparison only for records without facts. Writes
DIR/fields.csv (every disagreement, with why where ExifTool differs by design) and
DIR/fields_summary.csv, and prints both.
"""
import argparse
import csv
import json
import os
import re
import subprocess
import sys
import tempfile

FIELDS = ("creator", "bounding box", "fonts", "keywords", "caption", "by-line", "creator tool", "create date")

# Differences that come from how ExifTool reads a field, not from a fault of either program.
BY_DESIGN = {
    "by-line": "ExifTool reads IPTC text without a 1:90 character set as Latin (its CharsetIPTC default); "
               "aldra takes a by-line that is valid UTF-8 as UTF-8, as current programs write it undeclared",
    "creator": "ExifTool passes DSC text through as bytes and its JSON writer replaces what is not UTF-8; "
               "aldra reads DSC text that is not UTF-8 as Windows-1252",
    "creator (PDF)": "a PDF-based Illustrator file: aldra's creator is its XMP creator tool (compared as "
                     "'creator tool'); ExifTool also reads the PostScript comments inside Illustrator's private data",
    "bounding box": "the catalogue's size takes whichever of %%BoundingBox and %%HiResBoundingBox comes later, "
                    "an embedded document's included, as the header scan always has; ExifTool gives the first "
                    "%%BoundingBox (aldra's BoundingBox fact, which agrees)",
    "bounding box (PDF)": "a PDF-based Illustrator file: aldra's size is its first page's ArtBox, TrimBox or "
                          "MediaBox; ExifTool's the %%BoundingBox inside Illustrator's private data",
}


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
                    subprocess.run([host, "info", "--jsonl", "--raw"] + batch, stdout=fh, stderr=subprocess.DEVNULL, env=env)
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


def fact_list(record, name):
    """A fact's entries (its lines); none when the file lacks the fact."""
    value = record.get(name)
    return [v for v in value.split("\n") if v] if value else []


def has_facts(record):
    """Whether the record carries the information interface's facts (newer hosts write them)."""
    return any(k.startswith(("Iptc", "Xmp")) or k in ("Creator", "Title", "BoundingBox") for k in record)


def is_pdf(path):
    try:
        with open(path, "rb") as fh:
            return fh.read(5) == b"%PDF-"
    except OSError:
        return False


def exif_date(value):
    """An XMP date as ExifTool prints it: 2015:02:07 14:04:26+01:00."""
    m = re.match(r"^(\d{4})-(\d{2})-(\d{2})T?(.*)$", value)
    return f"{m.group(1)}:{m.group(2)}:{m.group(3)}" + (f" {m.group(4)}" if m.group(4) else "") if m else value


def iptc_declares_utf8(exif_record):
    return str(exif_record.get("IPTC:CodedCharacterSet", "")).upper() in ("UTF8", "UTF-8")


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

        facts = has_facts(a)

        def note(field, a_value, e_value, detail="", why=""):
            summary[field]["compared"] += 1
            if a_value == e_value:
                summary[field]["agree"] += 1
                return
            summary[field]["disagree"] += 1
            if why:
                summary[field]["by design"] = summary[field].get("by design", 0) + 1
                summary[field].setdefault("whys", [])
                if why not in summary[field]["whys"]:
                    summary[field]["whys"].append(why)
            rows.append({"file": path, "field": field,
                         "aldra": json.dumps(a_value, ensure_ascii=False),
                         "exiftool": json.dumps(e_value, ensure_ascii=False),
                         "kind": classify(a_value, e_value) + (f"; {detail}" if detail else ""),
                         "why": why})

        # Creator: the %%Creator comment as ExifTool reads it, against aldra's Creator fact (UTF-8;
        # the getter CreatingSoftware is in the host's code page, and is the XMP creator tool of a
        # PDF-based file).
        e_creator = e.get("PostScript:Creator")
        if e_creator is not None:
            e_creator = " | ".join(as_list(e_creator))
            a_creator = a.get("Creator", "") if facts else a.get("CreatingSoftware", "")
            # ExifTool's JSON writer puts "?" for each byte that is not UTF-8.
            why = BY_DESIGN["creator"] if "?" in e_creator and "?" not in a_creator else ""
            if facts and not a_creator and is_pdf(path):
                why = BY_DESIGN["creator (PDF)"]
            note("creator", a_creator, e_creator, why=why)

        # The XMP creator tool and creation date, old "xap" packets included.
        if facts:
            for field, fact, tag, convert in (("creator tool", "XmpCreatorTool", "XMP-xmp:CreatorTool", str),
                                              ("create date", "XmpCreateDate", "XMP-xmp:CreateDate", exif_date)):
                if e.get(tag) is not None or a.get(fact):
                    note(field, convert(a.get(fact, "")), str(e.get(tag, "")))

        # Bounding box: width and height in points against aldra's inches.
        box = e.get("PostScript:BoundingBox")
        if box:
            try:
                llx, lly, urx, ury = (float(v) for v in str(box).split()[:4])
                e_size = [round(urx - llx, 2), round(ury - lly, 2)]
                a_size = [round(float(a.get("Width", 0)) * 72, 2), round(float(a.get("Height", 0)) * 72, 2)]
                close = all(abs(x - y) <= 1.0 for x, y in zip(a_size, e_size))
                # Within a point counts as the same: the high-resolution box may be the one taken.
                detail = why = ""
                if not close:
                    detail = "aldra's Width/Height x 72 against %%BoundingBox"
                    for keyword, size in box_comments(path):
                        if all(abs(x - y) <= 0.05 for x, y in zip(a_size, size)):
                            detail = f"aldra took the file's {keyword} {size[0]:g} x {size[1]:g}"
                            fact = a.get("BoundingBox", "").split()
                            agrees = len(fact) == 4 and [float(v) for v in fact] == [float(v) for v in str(box).split()[:4]]
                            if keyword.startswith("%%HiResBoundingBox") and agrees:
                                why = BY_DESIGN["bounding box"]
                            break
                if not close and is_pdf(path):
                    why = BY_DESIGN["bounding box (PDF)"]
                note("bounding box", e_size if close else a_size, e_size, detail, why=why)
            except ValueError:
                pass

        # Fonts: ExifTool has them from an XMP font list only.
        e_fonts = as_list(e.get("XMP-xmpTPg:FontName"))
        if e_fonts:
            a_fonts = [f for f in a.get("Fonts", "").split("\n") if f]
            note("fonts", sorted(a_fonts), sorted(e_fonts))

        # IPTC keywords, in their order.
        e_keywords = as_list(e.get("IPTC:Keywords"))
        if facts:
            a_keywords = fact_list(a, "IptcKeywords")
        else:
            a_keywords = [k for k in a.get("Categories", "").split("\r") if k]
        if e_keywords or a_keywords:
            note("keywords", a_keywords, e_keywords)

        # IPTC caption.
        e_caption = e.get("IPTC:Caption-Abstract")
        a_captions = ([a["IptcCaption"]] if a.get("IptcCaption") else []) if facts else aldra_caption(a.get("Notes", ""))
        if e_caption is not None or a_captions:
            note("caption", a_captions or [], as_list(e_caption))

        # IPTC by-line (creators). Without a declared character set ExifTool reads Latin where aldra
        # takes valid UTF-8 as UTF-8.
        e_byline = as_list(e.get("IPTC:By-line"))
        a_byline = fact_list(a, "IptcByline") if facts else []
        if facts and (e_byline or a_byline):
            kind = classify(a_byline, e_byline)
            why = BY_DESIGN["by-line"] if "by ExifTool" in kind and not iptc_declares_utf8(e) else ""
            note("by-line", a_byline, e_byline, why=why)
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
        w = csv.DictWriter(fh, fieldnames=["file", "field", "aldra", "exiftool", "kind", "why"])
        w.writeheader()
        w.writerows(rows)
    with open(os.path.join(out, "fields_summary.csv"), "w", newline="") as fh:
        w = csv.writer(fh)
        w.writerow(["field", "compared", "agree", "disagree", "by design"])
        for f in FIELDS:
            w.writerow([f, summary[f]["compared"], summary[f]["agree"], summary[f]["disagree"],
                        summary[f].get("by design", 0)])

    print("| field | files compared | agree | disagree | of them by design | why |")
    print("|---|---:|---:|---:|---:|---|")
    for f in FIELDS:
        s = summary[f]
        designed = s.get("by design", 0)
        print(f"| {f} | {s['compared']} | {s['agree']} | {s['disagree']} | {designed} | "
              f"{'; '.join(s.get('whys', []))} |")
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
            why = f"; by design: {r['why']}" if r["why"] else ""
            print(f"  {r['file']}: {r['field']}: aldra {r['aldra']} ExifTool {r['exiftool']} ({r['kind']}{why})")
    else:
        print("\nno disagreements")
    if refused:
        print(f"\n{len(refused)} files that ExifTool read and aldra refused (not counted above):")
        for path, message in refused[: args.limit]:
            print(f"  {path}: {message}")
    print(f"\nwrote {out}/fields.csv and fields_summary.csv")


if __name__ == "__main__":
    main()
