#!/usr/bin/env python3
"""Small workbook files built to make a reader spend gigabytes or minutes: each is a usable grade
(score sheet, property sheet, report sheets) with one part swollen. Written with zipfile alone.

  attack_workbooks.py CASE FILE   writes the workbook CASE to FILE
  attack_workbooks.py --list      prints the cases
"""
import os
import sys
import zipfile

HEAD = '<?xml version="1.0" encoding="UTF-8"?>'
MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
OFFICE = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
PACKAGE = "http://schemas.openxmlformats.org/package/2006"
REPORTS = ["输出表", "各班详细排名", "各班排名表", "年级排名表", "年级详细排名",
           "两率一分", "完成率表", "分数段统计", "名次段统计"]
SUBJECTS = ["语文", "数学"]
CHUNK = 1 << 20


def column(n):
    name = ""
    while n:
        n, r = divmod(n - 1, 26)
        name = chr(65 + r) + name
    return name


def text(ref, s):
    return f'<c r="{ref}" t="inlineStr"><is><t>{s}</t></is></c>'


def number(ref, x):
    return f'<c r="{ref}"><v>{x}</v></c>'


def row(r, cells):
    return f'<row r="{r}">' + "".join(
        text(f"{column(c)}{r}", v) if isinstance(v, str) else number(f"{column(c)}{r}", v)
        for c, v in enumerate(cells, start=1) if v is not None) + "</row>"


def student_rows(first, count):
    """Rows of students from row `first`: class, seat, name and a score per subject."""
    for i in range(count):
        c, s = divmod(i, 100)
        r = first + i
        yield row(r, [c % 20 + 1, s + 1, f"学生{i}"] + [40 + (i * 7 + j * 13) % 61
                                                       for j in range(len(SUBJECTS))])


def score_sheet(students=6):
    yield row(2, [None] * 3 + [100] * len(SUBJECTS))
    yield row(3, ["班级", "座号", "姓名"] + SUBJECTS)
    yield from student_rows(4, students)


def property_sheet():
    n = len(SUBJECTS) + 1
    yield row(3, ["满分"] + [100] * len(SUBJECTS) + [100 * len(SUBJECTS)])
    yield row(4, ["优秀"] + [85] * n)
    yield row(5, ["及格"] + [60] * n)
    yield row(6, ["低分"] + [40] * n)
    for r, label in zip(range(9, 16), ["平均分", "优秀率", "及格率", "低分率", "一档", "二档", "平均"]):
        yield row(r, [label] + [0.5] * n)
    for c in range(1, 21):
        yield row(17 + c, [c] + [f"老师{c}-{j}" for j in range(1, n + 1)])


def write_part(z, name, pieces):
    """A part streamed in megabyte pieces, however long."""
    with z.open(name, "w", force_zip64=True) as part:
        buffer = []
        size = 0
        for piece in pieces:
            buffer.append(piece)
            size += len(piece)
            if size >= CHUNK:
                part.write("".join(buffer).encode())
                buffer, size = [], 0
        part.write("".join(buffer).encode())


def sheet_xml(rows):
    yield f'{HEAD}<worksheet xmlns="{MAIN}"><sheetData>'
    yield from rows
    yield "</sheetData></worksheet>"


def workbook(path, scores=None, extra=None, strings=None, styles=None, extras=(), media=()):
    """The grade; scores replaces the score sheet's rows, extra is one more sheet's rows ("备注"),
    extras the rows of more sheets, strings and styles yield the pieces of those parts, media
    holds the bytes of pictures (stored as they are)."""
    sheets = [("成绩表", scores or score_sheet()), ("属性表", property_sheet())]
    sheets += [(name, iter(())) for name in REPORTS]
    if extra:
        sheets.append(("备注", extra))
    sheets += [(f"备注{i}", rows) for i, rows in enumerate(extras, start=2)]
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        overrides = "".join(
            f'<Override PartName="/xl/worksheets/sheet{i}.xml" ContentType="application/'
            'vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>'
            for i in range(1, len(sheets) + 1))
        z.writestr("[Content_Types].xml",
                   f'{HEAD}<Types xmlns="{PACKAGE}/content-types"><Default Extension="rels" '
                   'ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
                   '<Default Extension="xml" ContentType="application/xml"/><Override '
                   'PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-'
                   f'officedocument.spreadsheetml.sheet.main+xml"/>{overrides}</Types>')

        def rel(id, kind, target):
            return (f'<Relationship Id="{id}" Type="{OFFICE}/{kind}" Target="{target}"/>')
        z.writestr("_rels/.rels", f'{HEAD}<Relationships xmlns="{PACKAGE}/relationships">'
                   + rel("rId1", "officeDocument", "xl/workbook.xml") + "</Relationships>")
        entries = "".join(f'<sheet name="{name}" sheetId="{i}" r:id="rId{i}"/>'
                          for i, (name, _) in enumerate(sheets, start=1))
        z.writestr("xl/workbook.xml", f'{HEAD}<workbook xmlns="{MAIN}" xmlns:r="{OFFICE}">'
                   f"<sheets>{entries}</sheets></workbook>")
        rels = "".join(rel(f"rId{i}", "worksheet", f"worksheets/sheet{i}.xml")
                       for i in range(1, len(sheets) + 1))
        for kind, pieces in (("sharedStrings", strings), ("styles", styles)):
            if pieces:
                write_part(z, f"xl/{kind}.xml", pieces)
                rels += rel(kind, kind, f"{kind}.xml")
        z.writestr("xl/_rels/workbook.xml.rels",
                   f'{HEAD}<Relationships xmlns="{PACKAGE}/relationships">{rels}</Relationships>')
        for i, (_, rows) in enumerate(sheets, start=1):
            write_part(z, f"xl/worksheets/sheet{i}.xml", sheet_xml(rows))
        for i, picture in enumerate(media, start=1):
            z.writestr(f"xl/media/image{i}.jpeg", picture, zipfile.ZIP_STORED)


def repeated(piece, times):
    """piece, `times` times over, in pieces of a megabyte."""
    per = max(1, CHUNK // len(piece))
    block = piece * per
    for _ in range(times // per):
        yield block
    yield piece * (times % per)


def styles_with(xfs):
    yield (f'{HEAD}<styleSheet xmlns="{MAIN}"><fonts count="1"><font/></fonts><fills count="1">'
           f'<fill/></fills><borders count="2"><border/><border><left style="thin"/></border>'
           f'</borders><cellXfs count="{xfs + 2}"><xf/><xf borderId="1" applyBorder="1"/>')
    yield from repeated('<xf numFmtId="0"/>', xfs)
    yield "</cellXfs></styleSheet>"


# --- the cases ---------------------------------------------------------------------------------

def photos(path):
    # Not hostile: a grade with 25 MB of pictures, which are copied as stored.
    workbook(path, scores=(r for part in (score_sheet(0), student_rows(4, 2000)) for r in part),
             media=[os.urandom(5 << 20) for _ in range(5)])


def twelve_million_styles(path):
    workbook(path, styles=styles_with(12_000_000))


def million_styles(path):
    # A million cell formats in a styles part small enough to be read whole.
    workbook(path, styles=styles_with(1_000_000))


def million_students(path):
    workbook(path, scores=(r for part in (score_sheet(0), student_rows(4, 900_000)) for r in part))


def one_huge_text(path):
    # One shared string of 250 MB, the most one part may inflate to, used by one cell.
    strings = (f'{HEAD}<sst xmlns="{MAIN}"><si><t>', *repeated("x" * 1024, 250 * 1024),
               "</t></si></sst>")
    workbook(path, strings=iter(strings), extra=iter(['<row r="1"><c r="A1" t="s"><v>0</v></c>'
                                                      "</row>"]))


def five_million_strings(path):
    strings = (f'<si><t>{i}</t></si>' for i in range(4_999_990))
    workbook(path, strings=(p for part in ([f'{HEAD}<sst xmlns="{MAIN}">'], strings, ["</sst>"])
                            for p in part))


def every_column(path):
    # 300 rows of 16,384 numbers.
    names = [column(c) for c in range(1, 16385)]
    rows = (f'<row r="{r}">' + "".join(f'<c r="{n}{r}"><v>{r}</v></c>' for n in names) + "</row>"
            for r in range(1, 301))
    workbook(path, extra=rows)


def most_parsed(path):
    # Cells with a value, every attribute the reader looks up written out, all far to the right of
    # what it keeps: 290 MB of XML, more than the reader parses, in a 20 MB file.
    names = [column(c) for c in range(1025, 16385)]
    rows = (f'<row r="{r}">' + "".join(f'<c r="{n}{r}" s="0" t="n"><v>{r}</v></c>' for n in names)
            + "</row>" for r in range(1, 480))
    workbook(path, extra=rows)


def most_kept(path):
    # Every limit on what the reader keeps reached at once, beside the largest grade: half a
    # million shared strings holding 16 MB of text, 131,072 cell formats, and almost a million
    # cells using them.
    strings = (f'<si><t>{i:031d}</t></si>' for i in range(499_990))
    rows = (f'<row r="{r}">' + "".join(f'<c r="{column(c)}{r}" s="{(r * 1000 + c) % 131072}" '
                                       f't="s"><v>{(r * 1000 + c) % 499_990}</v></c>'
                                       for c in range(1, 1001)) + "</row>"
            for r in range(1, 990))
    grade = (r for part in (score_sheet(0), student_rows(4, 2000)) for r in part)
    workbook(path, scores=grade, extra=rows, styles=styles_with(131_070),
             strings=(p for part in ([f'{HEAD}<sst xmlns="{MAIN}">'], strings, ["</sst>"])
                      for p in part))


def million_formatted_blanks(path):
    # A bordered style on an empty cell of every row of the sheet.
    rows = (f'<row r="{r}"><c r="B{r}" s="1"/></row>' for r in range(1, 1_048_577))
    workbook(path, styles=styles_with(0), extra=rows)


def empty_cells(path):
    # Four sheets of rows of 16,384 empty cells, each as long as one part may inflate to.
    full_row = "<row>" + "<c/>" * 16384 + "</row>"
    workbook(path, extras=[repeated(full_row, (250 << 20) // len(full_row)) for _ in range(4)])


CASES = {f.__name__: f for f in [
    photos, twelve_million_styles, million_styles, million_students, one_huge_text, five_million_strings,
    every_column, most_parsed, most_kept, million_formatted_blanks, empty_cells]}

if __name__ == "__main__":
    if sys.argv[1:] == ["--list"]:
        print("\n".join(CASES))
    else:
        CASES[sys.argv[1]](sys.argv[2])
