#!/usr/bin/env python3
"""Whether valdrex keeps what a teacher put in a workbook.

  keep_check.py VALDREX_BIN OUTDIR

Makes the teacher workbooks (teacher_workbooks.py) in OUTDIR, runs `run -o`, `run --in-place`
and `classes` on each, and compares every result with its input, part by part:
  (a) parts the command has no reason to touch are byte for byte the same;
  (b) workbook, relationships, content types, styles, shared strings and properties lose nothing;
  (c) a rewritten sheet keeps its sheet settings (views, columns, print setup, objects);
  (d) LibreOffice opens the result, and recalculating it gives the stored formula results;
  (e) the report sheets are there (the score sheet, untouched, is checked byte for byte by (a)).
Prints one line per loss (workbook, command, what) and exits 1 if there is any.
"""
import math
import os
import posixpath
import re
import shutil
import subprocess
import sys
import zipfile
import xml.etree.ElementTree as ET

import openpyxl

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import teacher_workbooks  # noqa: E402

MAIN = "{http://schemas.openxmlformats.org/spreadsheetml/2006/main}"
REL = "{http://schemas.openxmlformats.org/officeDocument/2006/relationships}"
PKG = "{http://schemas.openxmlformats.org/package/2006/relationships}"
TYPES = "{http://schemas.openxmlformats.org/package/2006/content-types}"
APP = "{http://schemas.openxmlformats.org/officeDocument/2006/extended-properties}"
CUSTOM = "{http://schemas.openxmlformats.org/officeDocument/2006/custom-properties}"
MARK = "Valdrex写入摘要"
REPORTS = teacher_workbooks.REPORTS
PROPERTY = "属性表"
# A run also rewrites its charts' sheet.
RUN_WRITES = REPORTS + ["统计图表"]
ARGS = ["--targets", "5,20", "--date", "2026-01-15"]
# Sheet settings a rewritten sheet keeps; cells, dimension and merges are the command's own.
SETTINGS = ["sheetPr", "sheetFormatPr", "sheetProtection", "printOptions", "pageMargins",
            "pageSetup", "headerFooter", "rowBreaks", "colBreaks", "drawing", "legacyDrawing",
            "legacyDrawingHF", "picture", "tableParts"]
STYLE_LISTS = ["fonts", "fills", "borders", "cellStyleXfs", "cellXfs", "cellStyles", "dxfs"]


# --- reading a package ---------------------------------------------------------------------

def canon(e):
    """An element as a comparable value: namespaces resolved, attribute order and layout
    whitespace ignored."""
    text = e.text or ""
    if len(e) and not text.strip():
        text = ""
    return (e.tag, tuple(sorted(e.attrib.items())), text,
            tuple(canon(c) for c in e), (e.tail or "").strip())


def rels_name(part):
    folder, name = posixpath.split(part)
    return posixpath.join(folder, "_rels", name + ".rels")


class Package:
    def __init__(self, path):
        with zipfile.ZipFile(path) as z:
            self.parts = {i.filename.lstrip("/"): z.read(i) for i in z.infolist()
                          if not i.is_dir()}
        self.workbook = next(t for _, kind, t, _ in self.rels("") if kind == "officeDocument")
        self.wb = self.xml(self.workbook)
        targets = {rid: t for rid, _, t, _ in self.rels(self.workbook)}
        self.sheets = []
        for s in self.wb.iter(MAIN + "sheet"):
            self.sheets.append({"name": s.get("name"), "sheetId": s.get("sheetId"),
                                "state": s.get("state", "visible"),
                                "part": targets.get(s.get(REL + "id"))})
        self.by_name = {s["name"]: s["part"] for s in self.sheets}

    def xml(self, part):
        return ET.fromstring(self.parts[part]) if part in self.parts else None

    def rels(self, part):
        """[(Id, type's last word, resolved target, mode)] of a part ("" for the package)."""
        name = rels_name(part) if part else "_rels/.rels"
        root = self.xml(name)
        if root is None:
            return []
        out = []
        for r in root.iter(PKG + "Relationship"):
            target, mode = r.get("Target"), r.get("TargetMode", "Internal")
            if mode != "External":
                target = (target.lstrip("/") if target.startswith("/") else
                          posixpath.normpath(posixpath.join(posixpath.dirname(part), target)))
            out.append((r.get("Id"), r.get("Type").rsplit("/", 1)[-1], target, mode))
        return out

    def related(self, kind):
        return next((t for _, k, t, _ in self.rels(self.workbook) if k == kind), None)

    def content_type(self, part):
        root = self.xml("[Content_Types].xml")
        for o in root.iter(TYPES + "Override"):
            if o.get("PartName").lstrip("/") == part:
                return o.get("ContentType")
        ext = part.rsplit(".", 1)[-1].lower()
        for d in root.iter(TYPES + "Default"):
            if d.get("Extension").lower() == ext:
                return d.get("ContentType")
        return None


# --- the checks ----------------------------------------------------------------------------

def listing(items, most=6):
    items = list(items)
    shown = ", ".join(items[:most])
    return shown + (f", … ({len(items)} in all)" if len(items) > most else "")


def check_parts(before, after, rewritten, say):
    """(a) Every part the command has no reason to touch is there, byte for byte."""
    bookkeeping = {before.workbook, rels_name(before.workbook), "[Content_Types].xml",
                   "docProps/app.xml", "_rels/.rels", custom_part(before)}
    bookkeeping |= {before.related(k) for k in ("styles", "sharedStrings", "calcChain")}
    rewritten_parts = {before.by_name[s] for s in rewritten if s in before.by_name}
    exempt = bookkeeping | rewritten_parts | {rels_name(p) for p in rewritten_parts}
    kept = [p for p in sorted(before.parts) if p not in exempt]
    lost = [p for p in kept if p not in after.parts]
    # The result opens on a report sheet: a kept sheet may only lose or gain its tab selection.
    def untabbed(data):
        return re.sub(rb'\s+tabSelected="[^"]*"', b"", data)
    changed = [p for p in kept if p in after.parts and after.parts[p] != before.parts[p]
               and untabbed(after.parts[p]) != untabbed(before.parts[p])]
    if lost:
        say(f"(a) parts lost: {listing(lost)}")
    if changed:
        say(f"(a) parts changed: {listing(changed)}")


def custom_part(pkg):
    return next((t for _, k, t, _ in pkg.rels("") if k == "custom-properties"), None)


def check_mark(before, after, is_result, say):
    """(a) A result is marked in its custom properties, a rewritten workbook is not; either way
    the package's relationships and every property of the teacher's stay."""
    gone = set(before.rels("")) - set(after.rels(""))
    if gone:
        say(f"(a) package relationships lost: {listing(f'{i} {k}→{t}' for i, k, t, _ in gone)}")
    def properties(pkg):
        root = pkg.xml(custom_part(pkg)) if custom_part(pkg) else None
        return {} if root is None else {p.get("name"): canon(p) for p in root.iter(CUSTOM + "property")}
    old, new = properties(before), properties(after)
    lost = [n for n in old if n != MARK and old[n] != new.get(n)]
    if lost:
        say(f"(a) custom properties lost or changed: {listing(lost)}")
    if (MARK in new) != is_result or set(new) - set(old) - {MARK}:
        say(f"(a) custom properties {sorted(old)} became {sorted(new)}")


def check_workbook(before, after, say):
    """(b) Sheets, names, dates and calculation settings of the workbook part."""
    later = {s["name"]: s for s in after.sheets}
    lost = [s["name"] for s in before.sheets if s["name"] not in later]
    if lost:
        say(f"(b) sheets lost: {listing(lost)}")
    for key in ("sheetId", "state", "part"):
        moved = [f"{s['name']} {s[key]}→{later[s['name']][key]}" for s in before.sheets
                 if s["name"] in later and s[key] != later[s["name"]][key]]
        if moved:
            say(f"(b) sheet {key} changed: {listing(moved)}")
    order = [s["name"] for s in after.sheets]
    kept = [n for n in order if n in before.by_name]
    if kept != [s["name"] for s in before.sheets] or order[:len(kept)] != kept:
        say(f"(b) sheet order {[s['name'] for s in before.sheets]} became {order}")

    def names(pkg):
        return {(d.get("name"), d.get("localSheetId"), d.text or "")
                for d in pkg.wb.iter(MAIN + "definedName")}
    gone = sorted(names(before) - names(after), key=str)
    if gone:
        say(f"(b) defined names lost or changed: {listing(f'{n}@{i}={t}' for n, i, t in gone)}")

    def flag(e, key):
        v = e.get(key) if e is not None else None
        return {"1": "true", "0": "false"}.get(v, v)
    pr0, pr1 = before.wb.find(MAIN + "workbookPr"), after.wb.find(MAIN + "workbookPr")
    for key in ("date1904", "codeName"):
        a, b = flag(pr0, key), flag(pr1, key)
        if (a or "false") != (b or "false") if key == "date1904" else a != b:
            say(f"(b) workbookPr {key}={a} became {b}")
    calc0, calc1 = before.wb.find(MAIN + "calcPr"), after.wb.find(MAIN + "calcPr")
    if calc0 is not None:
        a = {k: v for k, v in calc0.attrib.items() if k != "fullCalcOnLoad"}
        b = {k: v for k, v in (calc1.attrib if calc1 is not None else {}).items()
             if k != "fullCalcOnLoad"}
        if calc1 is None or a != b:
            say(f"(b) calcPr {a} became {b if calc1 is not None else 'nothing'}")


def check_relationships(before, after, rewritten, say):
    """(b) The workbook's relationships (calcChain aside), and a rewritten sheet's (its
    hyperlinks aside, which belong to its cells)."""
    def kinds(pkg, part, keep_ids):
        return {(rid if keep_ids else "", kind, target, mode)
                for rid, kind, target, mode in pkg.rels(part) if kind != "calcChain"}
    gone = kinds(before, before.workbook, False) - kinds(after, after.workbook, False)
    if gone:
        say(f"(b) workbook relationships lost: "
            f"{listing(f'{k}→{t}' for _, k, t, _ in sorted(gone))}")
    for sheet in rewritten:
        if sheet not in before.by_name or sheet not in after.by_name:
            continue
        old = {r for r in kinds(before, before.by_name[sheet], True) if r[1] != "hyperlink"}
        gone = old - kinds(after, after.by_name[sheet], True)
        if gone:
            say(f"(b) “{sheet}” relationships lost: "
                f"{listing(f'{i} {k}→{t}' for i, k, t, _ in sorted(gone))}")


def check_content_types(before, after, say):
    """(b) A part that is still there has the content type it had."""
    differ = [p for p in sorted(before.parts) if p in after.parts and not p.endswith(".rels")
              and p != "[Content_Types].xml"
              and before.content_type(p) != after.content_type(p)]
    if differ:
        say(f"(b) content types changed: "
            f"{listing(f'{p} {before.content_type(p)}→{after.content_type(p)}' for p in differ)}")


def lost_at(old, new):
    """Indexes of the elements of old that new does not hold at the same index."""
    old, new = list(old if old is not None else []), list(new if new is not None else [])
    return [i for i, e in enumerate(old) if i >= len(new) or canon(e) != canon(new[i])]


def check_styles_and_strings(before, after, say):
    """(b) Every format, font, fill, border, style, number format and shared string keeps its
    index (kept sheets refer to them by number)."""
    s0, s1 = before.xml(before.related("styles")), after.xml(after.related("styles"))
    if s0 is not None:
        s1 = s1 if s1 is not None else ET.Element("x")
        for tag in STYLE_LISTS:
            bad = lost_at(s0.find(MAIN + tag), s1.find(MAIN + tag))
            if bad:
                say(f"(b) styles {tag}: {len(bad)} lost or changed "
                    f"(indexes {listing(map(str, bad))})")
        formats = [{f.get("numFmtId"): f.get("formatCode") for f in s.iter(MAIN + "numFmt")}
                   for s in (s0, s1)]
        bad = [i for i in formats[0] if formats[1].get(i) != formats[0][i]]
        if bad:
            say(f"(b) styles numFmts lost or changed: {listing(bad)}")
        c0, c1 = s0.find(MAIN + "colors"), s1.find(MAIN + "colors")
        if c0 is not None and (c1 is None or canon(c0) != canon(c1)):
            say("(b) styles colors changed")
    t0, t1 = before.xml(before.related("sharedStrings")), after.xml(after.related("sharedStrings"))
    if t0 is not None:
        bad = lost_at(t0.iter(MAIN + "si"), t1.iter(MAIN + "si") if t1 is not None else None)
        if bad:
            say(f"(b) shared strings: {len(bad)} lost or moved (indexes {listing(map(str, bad))})")


def check_app(before, after, say):
    """(b) Application properties the teacher set (company, manager…) and every title."""
    a0, a1 = before.xml("docProps/app.xml"), after.xml("docProps/app.xml")
    if a0 is None:
        return
    if a1 is None:
        say("(b) docProps/app.xml lost")
        return
    skip = {APP + n for n in ("Application", "AppVersion", "HeadingPairs", "TitlesOfParts",
                              "TotalTime")}
    new = {e.tag: canon(e) for e in a1}
    bad = [e.tag.split("}")[1] for e in a0 if e.tag not in skip and new.get(e.tag) != canon(e)]
    if bad:
        say(f"(b) docProps/app.xml lost or changed: {listing(bad)}")

    def titles(a):
        t = a.find(APP + "TitlesOfParts")
        return {e.text for e in t.iter() if e.text and e.text.strip()} if t is not None else set()
    gone = titles(a0) - titles(a1)
    if gone:
        say(f"(b) docProps/app.xml titles lost: {listing(sorted(gone))}")


def columns(sheet_xml):
    """{column number: attributes} with ranges spread out."""
    out = {}
    for c in sheet_xml.iter(MAIN + "col"):
        for n in range(int(c.get("min")), int(c.get("max")) + 1):
            out[n] = dict(c.attrib, min="", max="")
    return out


def check_sheet_settings(before, after, sheet, extra, say):
    """(c) A rewritten sheet keeps its sheet-level settings."""
    if sheet not in before.by_name:
        return
    if sheet not in after.by_name:
        return  # reported with the sheets
    x0, x1 = before.xml(before.by_name[sheet]), after.xml(after.by_name[sheet])
    for tag in SETTINGS + extra:
        # A run breaks a report sheet's pages between its tables, and heads every page where the
        # sheet has no header text of its own.
        if sheet in RUN_WRITES and (tag == "rowBreaks" or (tag == "headerFooter" and not any(
                (e.text or "").strip() for h in x0.findall(MAIN + tag) for e in h))):
            continue
        a = [canon(e) for e in x0.findall(MAIN + tag)]
        b = [canon(e) for e in x1.findall(MAIN + tag)]
        if a and a != b:
            say(f"(c) “{sheet}” {tag} {'changed' if b else 'lost'}")

    def views(x):
        """{setting: value} of the sheet's views (tab selection aside) and their panes."""
        out = {}
        for i, v in enumerate(x.iter(MAIN + "sheetView")):
            out.update({f"{i}:{k}": val for k, val in v.attrib.items() if k != "tabSelected"})
            pane = v.find(MAIN + "pane")
            if pane is not None:
                out.update({f"{i}:pane.{k}": val for k, val in pane.attrib.items()})
        return out
    v0, v1 = views(x0), views(x1)
    bad = [f"{k} {v}→{v1.get(k)}" for k, v in v0.items() if v1.get(k) != v]
    bad += [f"{k} gained {v}" for k, v in v1.items()
            if k not in v0 and not k.endswith(":workbookViewId")]
    if bad:
        say(f"(c) “{sheet}” sheetViews changed: {listing(bad)}")

    def same_column(a, b):
        rest = [{k: v for k, v in c.items() if k not in ("width", "customWidth")} for c in (a, b)]
        return rest[0] == rest[1] and math.isclose(float(a.get("width", 0)),
                                                   float(b.get("width", 0)), abs_tol=0.01)
    c0, c1 = columns(x0), columns(x1)
    bad = [n for n, a in c0.items() if n not in c1 or not same_column(a, c1[n])]
    if bad:
        say(f"(c) “{sheet}” cols lost or changed: columns {listing(map(str, bad))}")


# --- the commands --------------------------------------------------------------------------

def run(valdrex, args):
    p = subprocess.run([valdrex] + args, capture_output=True, text=True, timeout=120,
                       stdin=subprocess.DEVNULL)
    return p.returncode, p.stdout + p.stderr


def commands(valdrex, source, work):
    """[(command, result path or None, rewritten sheets, message)] for one workbook."""
    stem, ext = os.path.splitext(os.path.basename(source))
    out = []
    result = os.path.join(work, f"{stem}.run{ext}")
    code, text = run(valdrex, ["run", source, "-o", result] + ARGS)
    out.append(("run", result if code in (0, 1) and os.path.exists(result) else None, RUN_WRITES,
                f"exit {code}: {text.strip()}"))

    copy = os.path.join(work, f"{stem}.inplace{ext}")
    shutil.copyfile(source, copy)
    code, text = run(valdrex, ["run", copy, "--in-place"] + ARGS)
    out.append(("run --in-place", copy if code in (0, 1) else None, RUN_WRITES,
                f"exit {code}: {text.strip()}"))

    copy = os.path.join(work, f"{stem}.classes{ext}")
    shutil.copyfile(source, copy)
    code, text = run(valdrex, ["classes", copy])
    # The file it says it saved: the copy itself, or an -o/backup variant.
    said = re.findall(r"保存\s*(\S+?\.xls[xm])", text)
    written = said[-1] if said else copy
    written = written if os.path.isabs(written) else os.path.join(work, written)
    out.append(("classes", written if code == 0 and os.path.exists(written) else None,
                [PROPERTY], f"exit {code}: {text.strip()}"))
    return out


def office():
    return shutil.which("soffice") or shutil.which("libreoffice")


def recalculated(results, outdir, profile, say):
    """(d) One LibreOffice start converts every result; each must come out."""
    lo = office()
    if not lo:
        print("note: soffice is not installed; LibreOffice opening and recalculation skipped")
        return {}
    staged = os.path.join(outdir, "lo-in")
    shutil.rmtree(staged, ignore_errors=True)
    os.makedirs(staged)
    inputs = {}
    for i, (book, command, path) in enumerate(results):
        name = os.path.join(staged, f"{i:02d}{os.path.splitext(path)[1]}")
        shutil.copyfile(path, name)
        inputs[(book, command)] = name
    converted = os.path.join(outdir, "lo-out")
    shutil.rmtree(converted, ignore_errors=True)
    teacher_workbooks.convert(lo, profile, sorted(inputs.values()), converted, "xlsx")
    out = {}
    for key, name in inputs.items():
        made = os.path.join(converted, os.path.splitext(os.path.basename(name))[0] + ".xlsx")
        if os.path.exists(made) and os.path.getsize(made) > 0:
            out[key] = made
        else:
            say(key[0], key[1], "(d) LibreOffice could not open the result")
    return out


def stored_results(path, untouched):
    """{(sheet, cell): cached value} of the formulas of the untouched sheets."""
    formulas = openpyxl.load_workbook(path)
    values = openpyxl.load_workbook(path, data_only=True)
    out = {}
    for ws in formulas.worksheets:
        if ws.title not in untouched:
            continue
        for row in ws.iter_rows():
            for c in row:
                if c.data_type == "f":
                    cached = values[ws.title][c.coordinate].value
                    if cached is not None:
                        out[(ws.title, c.coordinate)] = cached
    return out


def check_recalculation(source, converted, untouched, say):
    expected = stored_results(source, untouched)
    if not expected:
        return
    got = openpyxl.load_workbook(converted, data_only=True)
    bad = []
    for (sheet, ref), value in sorted(expected.items()):
        seen = got[sheet][ref].value if sheet in got.sheetnames else None
        if isinstance(value, (int, float)) and isinstance(seen, (int, float)):
            if math.isclose(value, seen, rel_tol=1e-9, abs_tol=1e-9):
                continue
        elif value == seen:
            continue
        bad.append(f"{sheet}!{ref} {value!r}→{seen!r}")
    if bad:
        say(f"(d) recalculated in LibreOffice, formulas differ: {listing(bad)}")


def main(valdrex, outdir):
    outdir = os.path.abspath(outdir)
    corpus, work = os.path.join(outdir, "corpus"), os.path.join(outdir, "results")
    profile = os.path.join(outdir, "lo-profile")
    for folder in (corpus, work):
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
    sources = teacher_workbooks.make(corpus, profile)
    findings = []

    def add(book, command, what):
        findings.append(f"{book}\t{command}\t{what}")
    done = []  # (book, command, source, result, rewritten)
    for source in sources:
        book = os.path.basename(source)
        before = Package(source)
        for command, result, rewritten, message in commands(valdrex, source, work):
            def say(what, book=book, command=command):
                add(book, command, what)
            if result is None:
                say(f"no result written ({message[:300]})")
                continue
            try:
                after = Package(result)
            except (zipfile.BadZipFile, KeyError, StopIteration, ET.ParseError) as e:
                say(f"result is not a readable package: {e}")
                continue
            check_parts(before, after, rewritten, say)
            check_mark(before, after, command == "run", say)
            check_workbook(before, after, say)
            check_relationships(before, after, rewritten, say)
            check_content_types(before, after, say)
            check_styles_and_strings(before, after, say)
            check_app(before, after, say)
            extra = ["conditionalFormatting", "dataValidations"] if command == "classes" else []
            for sheet in rewritten:
                check_sheet_settings(before, after, sheet, extra, say)
            if command != "classes":
                missing = [n for n in REPORTS if n not in after.by_name]
                if missing:
                    say(f"(e) report sheets missing: {listing(missing)}")
            done.append((book, command, source, result, rewritten))

    converted = recalculated([(b, c, r) for b, c, _, r, _ in done], outdir, profile, add)
    for book, command, source, result, rewritten in done:
        if (book, command) in converted:
            untouched = {s["name"] for s in Package(source).sheets} - set(rewritten)
            check_recalculation(source, converted[(book, command)], untouched,
                                lambda what, b=book, c=command: add(b, c, what))

    print("\n".join(findings + [f"{len(sources)} workbooks, {len(done)} results checked, "
                                f"{len(findings)} losses"]))
    return 1 if findings else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
