#!/usr/bin/env python3
"""Workbooks that are wrong in the ways teachers make them.

  bad_workbooks.py CASE FILE   writes the workbook CASE to FILE
"""
import sys
import zipfile
from xml.sax.saxutils import escape

import openpyxl
from openpyxl.utils import get_column_letter

REPORTS = ["输出表", "各班详细排名", "各班排名表", "年级排名表", "年级详细排名",
           "两率一分", "完成率表", "分数段统计", "名次段统计"]


def subjects_named(n):
    names = ["语文", "数学", "英语", "物理", "化学", "生物", "政治", "历史", "地理",
             "音乐", "美术", "体育", "信息", "通用"]
    return names[:n]


def students(classes, per_class, subjects):
    """(class, seat, name, scores...) rows, classes together, every score a whole number."""
    rows = []
    for c in range(1, classes + 1):
        for s in range(1, per_class + 1):
            rows.append([c, s, f"学生{c}-{s}"] + [40 + (c * 7 + s * 13 + j * 5) % 61
                                                   for j in range(subjects)])
    return rows


def fill_properties(ws, subjects, classes):
    def row(r, label, values):
        ws.cell(r, 1, label)
        for j, v in enumerate(values, start=2):
            ws.cell(r, j, v)

    n = subjects + 1  # every subject and the total
    row(3, "满分", [100] * subjects + [100 * subjects])
    row(4, "优秀", [85] * subjects + [85 * subjects])
    row(5, "及格", [60] * subjects + [60 * subjects])
    row(6, "低分", [40] * subjects + [40 * subjects])
    for r, label in zip(range(9, 16), ["平均分", "优秀率", "及格率", "低分率", "一档", "二档", "平均"]):
        row(r, label, [0.5] * n)
    for c in range(1, min(classes, 20) + 1):
        row(17 + c, c, [f"老师{c}-{j}" for j in range(1, n + 1)])


def book(classes=3, per_class=4, subjects=2, rows=None, reports=True):
    """The usual workbook: "成绩表" (full marks in row 2, header in row 3), "属性表", reports."""
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "成绩表"
    names = subjects_named(subjects)
    for j, name in enumerate(names):
        ws.cell(2, 4 + j, 100)
    for col, text in enumerate(["班级", "座号", "姓名"] + names, start=1):
        ws.cell(3, col, text)
    for r, values in enumerate(rows or students(classes, per_class, subjects), start=4):
        for col, v in enumerate(values, start=1):
            if v is not None:
                ws.cell(r, col, v)
    fill_properties(wb.create_sheet("属性表"), subjects, classes)
    if reports:
        for name in REPORTS:
            wb.create_sheet(name)
    return wb


HEAD = '<?xml version="1.0" encoding="UTF-8"?>'
OOXML = "http://schemas.openxmlformats.org/"
RELS = f'{HEAD}<Relationships xmlns="{OOXML}package/2006/relationships">'
SHEET = "vnd.openxmlformats-officedocument.spreadsheetml"


def rel(id, kind, target):
    return (f'<Relationship Id="{id}" Type="{OOXML}officeDocument/2006/relationships/{kind}" '
            f'Target="{target}"/>')


def raw_workbook(path, sheets, strings=None, styles=None, entries=None):
    """A minimal package written directly: sheets is [(name, rows)] or [(name, rows, xml after
    the sheet data)], rows yield (row, cells), (row, cells, more attributes of the row) or a
    row's xml, with cells [(col, xml of the <c> element's inside and attributes)]. strings and
    styles are the xml of those parts; entries, when given, is the inside of the workbook's
    <sheets> element instead of one entry a sheet."""
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        types = "".join(f'<Override PartName="/xl/worksheets/sheet{i}.xml" ContentType='
                        f'"application/{SHEET}.worksheet+xml"/>' for i in range(1, len(sheets) + 1))
        z.writestr("[Content_Types].xml",
                   f'{HEAD}<Types xmlns="{OOXML}package/2006/content-types"><Default Extension='
                   '"rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
                   '<Default Extension="xml" ContentType="application/xml"/><Override PartName='
                   f'"/xl/workbook.xml" ContentType="application/{SHEET}.sheet.main+xml"/>{types}'
                   "</Types>")
        z.writestr("_rels/.rels", RELS + rel("rId1", "officeDocument", "xl/workbook.xml")
                   + "</Relationships>")
        entries = entries or "".join(f'<sheet name="{escape(s[0])}" sheetId="{i}" r:id="rId{i}"/>'
                                     for i, s in enumerate(sheets, start=1))
        with z.open("xl/workbook.xml", "w") as part:
            for piece in [f'{HEAD}<workbook xmlns="{OOXML}spreadsheetml/2006/main" xmlns:r="{OOXML}'
                          'officeDocument/2006/relationships"><sheets>',
                          *([entries] if isinstance(entries, str) else entries),
                          "</sheets></workbook>"]:
                part.write(piece.encode())
        rels = "".join(rel(f"rId{i}", "worksheet", f"worksheets/sheet{i}.xml")
                       for i in range(1, len(sheets) + 1))
        for kind, xml in (("sharedStrings", strings), ("styles", styles)):
            if xml:
                z.writestr(f"xl/{kind}.xml", HEAD + xml)
                rels += rel(kind, kind, f"{kind}.xml")
        z.writestr("xl/_rels/workbook.xml.rels", RELS + rels + "</Relationships>")
        for i, (_, rows, *after) in enumerate(sheets, start=1):
            with z.open(f"xl/worksheets/sheet{i}.xml", "w") as part:
                part.write(f'{HEAD}<worksheet xmlns="{OOXML}spreadsheetml/2006/main"><sheetData>'
                           .encode())
                for row in rows:
                    if isinstance(row, str):  # a row's xml as it is
                        part.write(row.encode())
                        continue
                    r, cells, *attributes = row
                    xml = "".join(f'<c r="{get_column_letter(c)}{r}"{inner}</c>'
                                  for c, inner in cells)
                    part.write(f'<row r="{r}"{"".join(attributes)}>{xml}</row>'.encode())
                part.write(("</sheetData>" + "".join(after) + "</worksheet>").encode())


def text(s):
    return f' t="inlineStr"><is><t>{escape(str(s))}</t></is>'


def number(x):
    return f"><v>{x}</v>"


def sheet_rows(ws):
    """The rows of an openpyxl sheet as raw cells: numbers and texts."""
    for r, values in enumerate(ws.iter_rows(values_only=True), start=1):
        cells = [(c, number(v) if isinstance(v, (int, float)) else text(v))
                 for c, v in enumerate(values, start=1) if v is not None]
        if cells:
            yield r, cells


# --- the cases -------------------------------------------------------------------------------

def edited(**sheets):
    """A case that is book() with cells of its sheets set: {sheet: {cell: value}}."""
    def make(path):
        wb = book()
        for sheet, cells in sheets.items():
            for ref, value in cells.items():
                wb[sheet][ref] = value
        wb.save(path)
    return make


def without(sheet):
    def make(path):
        wb = book()
        del wb[sheet]
        wb.save(path)
    return make


EDITS = {
    "no_score_sheet": without("成绩表"),
    "no_property_sheet": without("属性表"),
    "word_in_score_cell": edited(成绩表={"D5": "缺勤"}),
    # A full mark in words, negative lines and weights.
    "property_text_and_negatives": edited(属性表={"B3": "一百", "C4": -85, "B9": "零点五",
                                                 "C10": -0.5}),
    # The last two students of class 2, typed full-width.
    "look_alike_classes": edited(成绩表={"A10": "２", "A11": "２"}),
    "band_full_width_dash": edited(分数段统计={"C3": "90以上", "D3": "60～70"}),
    # 1 and 2 swapped, 3 missing.
    "property_classes_mismatch": edited(属性表={"A18": 2, "A19": 1, "A20": 5}),
    "good": edited(),
    "thirteen_subjects": lambda path: book(subjects=13).save(path),
    "twenty_one_classes": lambda path: book(classes=21, per_class=2).save(path),
    "class_of_101": lambda path: book(classes=2, per_class=101).save(path),
}


def empty_score_sheet(path):
    wb = book()
    wb["成绩表"].delete_rows(1, 100)
    wb.save(path)


def header_shifted(path):
    wb = book()
    wb["成绩表"].insert_rows(1)  # header in row 4, full marks in row 3
    wb.save(path)


def misplaced_sex_column(path):
    # A 性别 column between 姓名 and the first subject.
    wb = book()
    ws = wb["成绩表"]
    ws.insert_cols(4)
    ws["D3"] = "性别"
    for r in range(4, 16):
        ws.cell(r, 4, "女" if r % 2 else "男")
    wb.save(path)


def serial_number_column(path):
    # A 序号 column in A pushes 姓名 into the first subject column.
    wb = book()
    ws = wb["成绩表"]
    ws.insert_cols(1)
    ws["A3"] = "序号"
    for r in range(4, 16):
        ws.cell(r, 1, r - 3)
    wb.save(path)


def extra_title_row(path):
    # Two title rows: the full marks (150) land in row 3, the header in row 4.
    wb = book()
    ws = wb["成绩表"]
    ws["A1"] = "期中考试成绩"
    ws["D2"] = ws["E2"] = 150
    ws.insert_rows(1)
    ws["A1"] = "高一年级"
    wb.save(path)


def error_values(path):
    wb = book()
    ws = wb["成绩表"]
    for cell, value in (("D4", "#DIV/0!"), ("E5", "#N/A"), ("D6", "#VALUE!")):
        ws[cell] = value
        ws[cell].data_type = "e"
    wb.save(path)


def formulas(path):
    # As a spreadsheet program saves them: each formula with its last computed value.
    wb = book()
    sheets = []
    for ws in wb.worksheets:
        rows = list(sheet_rows(ws))
        if ws.title == "成绩表":
            rows = [(r, [(c, f"><f>{c * 10}+{r}</f><v>{c * 10 + r}</v>" if r >= 4 and c >= 4
                          else inner) for c, inner in cells]) for r, cells in rows]
        sheets.append((ws.title, rows))
    raw_workbook(path, sheets)


def formulas_never_computed(path):
    # As a script writes them: formulas without a stored value.
    wb = book()
    ws = wb["成绩表"]
    for r in range(4, 16):
        ws.cell(r, 4, f"=E{r}+1")
    wb.save(path)


def merged_score_area(path):
    wb = book()
    ws = wb["成绩表"]
    ws.merge_cells("A4:A7")   # one class cell for the class's four rows
    ws.merge_cells("D8:E9")   # and a block across two subjects
    wb.save(path)


def very_long_texts(path):
    # Texts as long as a cell holds, where the reports add to them ("…分数", "…学生成绩表").
    longest = 32767
    wb = book()
    ws = wb["成绩表"]
    ws["C4"] = "长" * longest
    ws["E3"] = "科" * longest
    for r in range(8, 12):
        ws.cell(r, 1, "班" * longest)
    wb["属性表"]["A19"] = "班" * longest
    wb.save(path)


def million_rows(path):
    # The whole of column B filled down to the last row of the sheet, as a drag too far does.
    last = 1048576
    wb = book()
    scores = list(sheet_rows(wb["成绩表"]))
    tail = ((r, [(2, number(1))]) for r in range(len(scores) + 1, last + 1))
    sheets = [("成绩表", (row for part in (scores, tail) for row in part))]
    sheets += [(ws.title, list(sheet_rows(ws))) for ws in wb.worksheets[1:]]
    raw_workbook(path, sheets)


def rows_below_a_blank_row(path):
    # A blank row left between the first class and the others ends the list there.
    rows = students(3, 4, 2)
    book(rows=rows[:4] + [[None]] + rows[4:]).save(path)


def raw_book(path, extra=None, **parts):
    """book() written raw, with one more sheet "备注" (name, rows[, xml after its data])."""
    wb = book()
    sheets = [(ws.title, list(sheet_rows(ws))) for ws in wb.worksheets]
    raw_workbook(path, sheets + ([extra] if extra else []), **parts)


def column_of(count, inner):
    return [(r, [(1, inner)]) for r in range(1, count + 1)]


def text_over_cell_limit(path):
    # A remark longer than a spreadsheet lets a cell hold, as another program may write it.
    raw_book(path, ("备注", [(2, [(3, text("注" * 40000))])]))


def macros_in_xlsx(path):
    # A macro workbook renamed to .xlsx: its macro project is still inside.
    book().save(path)
    with zipfile.ZipFile(path, "a") as z:
        z.writestr("xl/vbaProject.bin", b"\xd0\xcf\x11\xe0 not a real project")
        rels = z.read("xl/_rels/workbook.xml.rels").decode()
    rebuilt = path + ".tmp"
    with zipfile.ZipFile(path) as old, zipfile.ZipFile(rebuilt, "w", zipfile.ZIP_DEFLATED) as new:
        for item in old.infolist():
            data = old.read(item)
            if item.filename == "xl/_rels/workbook.xml.rels":
                data = rels.replace("</Relationships>", '<Relationship Id="rIdVba" Type="http://'
                                    'schemas.microsoft.com/office/2006/relationships/vbaProject" '
                                    'Target="vbaProject.bin"/></Relationships>').encode()
            new.writestr(item, data)
    import os
    os.replace(rebuilt, path)


def date_of_1e308(path):
    # A class cell formatted as a date holding a number no date can be.
    wb = book()
    ws = wb["成绩表"]
    for r in range(4, 16):
        ws.cell(r, 1, 1e308 if r < 8 else ws.cell(r, 1).value)
        ws.cell(r, 1).number_format = "yyyy/m/d"
    wb.save(path)


def one_string_everywhere(path):
    # One shared string of a megabyte, used by 3,000 cells: the file stays small.
    strings = '<sst><si><t>' + "x" * 1_000_000 + '</t></si></sst>'
    raw_book(path, ("备注", column_of(3000, ' t="s"><v>0</v>')), strings=strings)


def one_format_everywhere(path):
    # One number format of a megabyte, used by 3,000 cells.
    styles = ('<styleSheet><numFmts count="1"><numFmt numFmtId="164" formatCode="0' + "0" * 1_000_000
              + '"/></numFmts><cellXfs count="2"><xf numFmtId="0"/><xf numFmtId="164" '
              'applyNumberFormat="1"/></cellXfs></styleSheet>')
    raw_book(path, ("备注", column_of(3000, ' s="1"><v>1</v>')), styles=styles)


def one_formula_everywhere(path):
    # One shared formula of 30 kilobytes (as long as a cell holds) filled down 20,000 cells.
    formula = "+".join(f"B{r}" for r in range(1, 5000))
    rows = [(1, [(1, f'><f t="shared" ref="A1:A20000" si="0">{formula}</f><v>1</v>')])]
    rows += [(r, [(1, '><f t="shared" si="0"/><v>1</v>')]) for r in range(2, 20001)]
    raw_book(path, ("备注", rows))


def eight_million_sheets(path):
    # The workbook part lists millions of sheets.
    wb = book()
    sheets = [(ws.title, list(sheet_rows(ws))) for ws in wb.worksheets]
    raw_workbook(path, sheets, entries=('<sheet name="s" r:id="rId1"/>' * 1000
                                        for _ in range(8000)))


def whole_sheet_merged(path):
    # The score sheet merged as a whole, with formatted rows and cells inside the merge.
    styles = ('<styleSheet><borders count="2"><border/><border><left style="thin"/></border>'
              '</borders><cellXfs count="2"><xf/><xf borderId="1" applyBorder="1"/></cellXfs>'
              '</styleSheet>')
    wb = book()
    sheets = [[ws.title, list(sheet_rows(ws))] for ws in wb.worksheets]
    scores = sheets[0][1]
    scores[:] = [(r, cells + [(50, ' s="1">'), (16384, ' s="1">')], ' s="1" customFormat="1"')
                 for r, cells in scores]
    scores += [(r, [], ' s="1" customFormat="1"') for r in range(100, 5100)]
    scores.append((1048576, [(1, ' s="1">')], ' s="1" customFormat="1"'))
    sheets[0].append('<mergeCells count="1"><mergeCell ref="A1:XFD1048576"/></mergeCells>')
    raw_workbook(path, sheets, styles=styles)


def too_many_styles(path):
    # More cell formats than an office program keeps, in a file of a few kilobytes.
    styles = '<styleSheet><cellXfs count="131073">' + "<xf/>" * 131073 + "</cellXfs></styleSheet>"
    raw_book(path, styles=styles)


def too_much_text(path):
    # One shared string of 17 MB: more text than a whole workbook is let keep.
    strings = "<sst><si><t>" + "x" * (17 << 20) + "</t></si></sst>"
    raw_book(path, ("备注", column_of(1, ' t="s"><v>0</v>')), strings=strings)


def empty_cells_everywhere(path):
    # Rows of 16,384 empty cells: 12 million elements to parse, none holding anything.
    part = "<row>" + "<c/>" * 16384 + "</row>"
    raw_book(path, ("备注", [part] * 750))


def large_side_sheet(path):
    # A side sheet of 34 MB, larger than a part the program holds whole: saving leaves it as stored.
    raw_book(path, ("备注", ["<row>" + "<c/>" * 16384 + "</row>"] * 520))


def every_column(path):
    # Numbers across all 16,384 columns of a side sheet, far beyond what the reader keeps.
    raw_book(path, ("备注", [(r, [(c, number(c)) for c in range(1, 16385)]) for r in (1, 2, 3)]))


def note_below_the_report(path):
    # A note typed far below the ranking list, beyond the rows the reader keeps.
    wb = book()
    wb["输出表"]["A40000"] = "备注"
    wb.save(path)


def chart_sheet_named_like_a_report(path):
    from openpyxl.chart import BarChart, Reference
    wb = book()
    del wb["两率一分"]
    chart = BarChart()
    chart.add_data(Reference(wb["成绩表"], min_col=4, min_row=3, max_row=8), titles_from_data=True)
    wb.create_chartsheet("两率一分").add_chart(chart)
    wb.save(path)


def chart_sheet_in_place_of(name):
    """book() with `name` a chart sheet instead, as a teacher may have saved it."""
    def make(path):
        from openpyxl.chart import BarChart, Reference
        wb = book()
        data = wb["属性表" if name != "属性表" else "成绩表"]
        del wb[name]
        chart = BarChart()
        chart.add_data(Reference(data, min_col=2, min_row=2, max_row=5), titles_from_data=True)
        wb.create_chartsheet(name, 0).add_chart(chart)
        wb.save(path)
    return make


def workbook_part_is_a_sheet(path):
    import zipfile
    book().save(path)
    with zipfile.ZipFile(path) as z:
        parts = {n: z.read(n) for n in z.namelist()}
    parts["xl/workbook.xml"] = parts["xl/worksheets/sheet1.xml"]
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for n, data in parts.items():
            z.writestr(n, data)


EDITS["score_sheet_as_chart_sheet"] = chart_sheet_in_place_of("成绩表")
EDITS["property_sheet_as_chart_sheet"] = chart_sheet_in_place_of("属性表")

CASES = dict(EDITS, **{f.__name__: f for f in [
    workbook_part_is_a_sheet,
    empty_score_sheet, header_shifted, misplaced_sex_column, serial_number_column,
    extra_title_row, error_values, formulas, formulas_never_computed,
    merged_score_area, very_long_texts, million_rows, chart_sheet_named_like_a_report,
    rows_below_a_blank_row, text_over_cell_limit, macros_in_xlsx, date_of_1e308,
    one_string_everywhere, one_format_everywhere, one_formula_everywhere, eight_million_sheets,
    whole_sheet_merged, too_many_styles, too_much_text,
    empty_cells_everywhere, large_side_sheet, every_column, note_below_the_report]})

if __name__ == "__main__":
    CASES[sys.argv[1]](sys.argv[2])
