#!/usr/bin/env python3
"""How a run's result prints through LibreOffice.

  print_check.py VALDREX_BIN OUTDIR

Makes a sample grade of 6 classes of 45 in OUTDIR, runs it, exports the result to PDF with a
headless LibreOffice and reads the PDF's text page by page:
  (a) every page is headed by its sheet's title, report sheets with the run's date, and footed
      with "第 N 页，共 M 页";
  (b) every page of a sheet of stacked tables holds whole tables: each table header is followed
      by every class's row on the same page, and no page holds rows without their header (a
      table cut down, or columns cut off to the right);
  (c) every class of the per-class lists starts a page of its own, its title on top;
  (d) every chart is whole on one page: its title and its category axis title shown on the same
      page. LibreOffice puts the part of a drawing beyond the page in the PDF too, clipped: only
      words the rendered page shows count.
Prints one line per fault and exits 1 if there is any; exits 77 when LibreOffice, pdftotext or a
font measuring like Calibri (Carlito) is missing: the widths a program gives the columns follow the
font's, and a wider stand-in would push the last columns onto a page of their own.
"""
import os
import re
import shutil
import subprocess
import sys
import zipfile

DATE = "2026/1/15"
CLASSES = [f"{k}班" for k in range(1, 7)]
TABLE_SHEETS = ["两率一分", "完成率表", "分数段统计", "名次段统计"]
CLASS_SHEETS = ["各班排名表", "各班详细排名"]
CHART_SHEET = "统计图表"
REPORTS = ["输出表", "各班详细排名", "各班排名表", "年级排名表", "年级详细排名"] + TABLE_SHEETS


def office():
    for name in ("soffice", "libreoffice"):
        if shutil.which(name):
            return shutil.which(name)
    return None


def export_pdf(soffice, xlsx, out):
    profile = "file://" + os.path.join(out, "lo-profile")
    subprocess.run([soffice, f"-env:UserInstallation={profile}", "--headless", "--convert-to",
                    "pdf", "--outdir", out, xlsx], check=True, capture_output=True, timeout=240)
    return os.path.splitext(xlsx)[0] + ".pdf"


def pages_of(pdf):
    text = subprocess.run(["pdftotext", "-layout", pdf, "-"], check=True, capture_output=True,
                          text=True).stdout
    pages = text.split("\f")
    if pages and not pages[-1].strip():
        pages.pop()
    return [[line for line in p.splitlines() if line.strip()] for p in pages]


def chart_titles(xlsx):
    """The title of every chart of the result, from its chart parts."""
    titles = []
    with zipfile.ZipFile(xlsx) as z:
        for name in z.namelist():
            if name.startswith("xl/charts/chart") and name.endswith(".xml"):
                m = re.search(r"<c:title>.*?<a:t>(.*?)</a:t>", z.read(name).decode("utf-8"))
                if m:
                    titles.append(m.group(1))
    return titles


WORD = re.compile(r'<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" '
                  r'yMax="([\d.]+)">(.*?)</word>')


def words_of(pdf):
    """Every page's words with their boxes in points: [[(text, (x0, y0, x1, y1))]]."""
    boxes = subprocess.run(["pdftotext", "-bbox", pdf, "-"], check=True, capture_output=True,
                           text=True).stdout
    return [[(m.group(5), tuple(float(v) for v in m.groups()[:4])) for m in WORD.finditer(page)]
            for page in boxes.split("<page ")[1:]]


def footer(words):
    """The line of the page's last "第", its words left to right (a drawing's labels beside it,
    on other lines, left out)."""
    tops = [box[1] for w, box in words if w == "第"]
    if not tops:
        return ""
    line = [(box[0], w) for w, box in words if abs(box[1] - tops[-1]) < 1]
    return "".join(w for _, w in sorted(line))


def shown_words(pdf, page, words, dpi=36):
    """[(text, shown)] of the page's words: shown when the rendered page has ink in its box."""
    image = subprocess.run(["pdftoppm", "-f", str(page), "-l", str(page), "-r", str(dpi), "-gray",
                            pdf], check=True, capture_output=True).stdout
    # A binary PGM: "P5", width, height, maximum, then a byte a pixel.
    fields, at = [], 0
    while len(fields) < 4:
        while image[at:at + 1].isspace():
            at += 1
        start = at
        while not image[at:at + 1].isspace():
            at += 1
        fields.append(image[start:at])
    width, height = int(fields[1]), int(fields[2])
    pixels = image[at + 1:]
    scale = dpi / 72
    shown = []
    for text, box in words:
        x0, y0, x1, y1 = (v * scale for v in box)
        ink = any(pixels[y * width + x] < 128
                  for y in range(max(int(y0), 0), min(int(y1) + 1, height))
                  for x in range(max(int(x0), 0), min(int(x1) + 1, width)))
        shown.append((text, ink))
    return shown


def starts_with_class(line):
    first = line.split()[0] if line.split() else ""
    return first in CLASSES


def main():
    valdrex, out = sys.argv[1], sys.argv[2]
    soffice = office()
    if not soffice or not shutil.which("pdftotext") or not shutil.which("pdftoppm"):
        print("LibreOffice or poppler-utils is not installed: skipped")
        return 77
    font = subprocess.run(["fc-match", "Calibri"], capture_output=True, text=True).stdout
    if "Carlito" not in font and "Calibri" not in font:
        print("no font measuring like Calibri (fonts-crosextra-carlito): skipped")
        return 77
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    book = os.path.join(out, "六班.xlsx")
    subprocess.run([valdrex, "sample", "--classes", "6", "--students", "45", book], check=True,
                   capture_output=True)
    subprocess.run([valdrex, "run", "--targets", "5,20", "--date", "2026-01-15", book],
                   check=True, capture_output=True, stdin=subprocess.DEVNULL)
    result = os.path.join(out, "六班-统计结果.xlsx")
    pdf = export_pdf(soffice, result, out)
    pages = pages_of(pdf)
    words = words_of(pdf)
    faults = []
    say = faults.append
    total = len(pages)

    by_sheet = {}
    for i, lines in enumerate(pages, 1):
        head = lines[0] if lines else ""
        sheet = next((s for s in sorted(REPORTS + [CHART_SHEET, "成绩表", "属性表"], key=len,
                                        reverse=True) if s in head.split()), None)
        if not sheet:
            say(f"(a) page {i}: no sheet title at its top: {head.strip()!r}")
            continue
        if sheet in REPORTS + [CHART_SHEET] and DATE not in head:
            say(f"(a) page {i} of “{sheet}”: no date {DATE} in its header")
        if f"第{i}页，共{total}页" not in footer(words[i - 1]):
            say(f"(a) page {i} of “{sheet}”: no footer “第 {i} 页，共 {total} 页”")
        by_sheet.setdefault(sheet, []).append((i, lines[1:]))

    for sheet in TABLE_SHEETS:
        for i, lines in by_sheet.get(sheet, []):
            headers = [k for k, line in enumerate(lines) if line.split()[0] == "班级"]
            if not headers:
                say(f"(b) page {i} of “{sheet}”: rows without their table's header")
                continue
            if any(starts_with_class(line) for line in lines[:headers[0]]):
                say(f"(b) page {i} of “{sheet}”: a table's rows continued from the page before")
            for n, k in enumerate(headers):
                end = headers[n + 1] if n + 1 < len(headers) else len(lines)
                seen = [line.split()[0] for line in lines[k + 1:end] if starts_with_class(line)]
                if seen != CLASSES:
                    say(f"(b) page {i} of “{sheet}”: a table cut, its classes here {seen}")

    class_titles = []
    for sheet in CLASS_SHEETS:
        for i, lines in by_sheet.get(sheet, []):
            # A class longer than a page goes on over the next without a title.
            at = [k for k, line in enumerate(lines) if re.match(r"\s*\S+班学生\S*表", line)]
            titles = [lines[k].split()[0] for k in at]
            if at and at != [0]:
                say(f"(c) page {i} of “{sheet}”: class titles in lines {at}, not one on top")
            class_titles += [(sheet, t) for t in titles]
        if len([t for s, t in class_titles if s == sheet]) != len(CLASSES):
            say(f"(c) “{sheet}”: not every class starts a page")

    titles = chart_titles(result)
    found = 0
    for i, _ in by_sheet.get(CHART_SHEET, []):
        shown = [w for w, ink in shown_words(pdf, i, words[i - 1]) if ink]
        here = sum(w in titles for w in shown)
        axes = shown.count("班级")
        found += here
        if here != axes:
            say(f"(d) page {i}: {here} chart titles and {axes} category axes: a chart cut")
    if found != len(titles):
        say(f"(d) {found} of {len(titles)} chart titles printed")

    for f in faults:
        print(f)
    print(f"{total} pages checked, {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
