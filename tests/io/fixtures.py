#!/usr/bin/env python3
"""Workbooks made by another program, and a dump of any workbook as seen by another reader.

  fixtures.py make DIR    writes DIR/openpyxl.xlsx and DIR/epoch1904.xlsx
  fixtures.py dump FILE   prints every sheet, cell, format, merge and width, one per line
  fixtures.py layout FILE prints print settings, panes, bold cells, selected tabs and the
                          references of every chart part (every XML part must parse)
"""
import datetime
import re
import sys
import zipfile
import xml.etree.ElementTree as ElementTree

import openpyxl
from openpyxl.styles import Alignment, Border, Side
from openpyxl.utils import get_column_letter


def make(folder):
    wb = openpyxl.Workbook()
    scores = wb.active
    scores.title = "成绩表"
    thin = Side(style="thin")
    box = Border(left=thin, right=thin, top=thin, bottom=thin)
    rows = [
        ["班级", "姓名", "语文", "数学", "总分", "及格"],
        [1, "张三", 87.5, 92, None, True],
        [1, "李四", 59, 100, None, False],
        [2, "王五", 0.1, 1e-7, None, True],
    ]
    for r, values in enumerate(rows, start=1):
        for c, value in enumerate(values, start=1):
            if value is not None:
                scores.cell(r, c, value)
    for r in range(2, 5):
        scores.cell(r, 5, f"=C{r}+D{r}")
    for c in range(1, 7):
        scores.cell(1, c).border = box
        scores.cell(1, c).alignment = Alignment(horizontal="center")
    scores.cell(2, 3).number_format = "0.00"
    scores["H1"] = "考试日期"
    scores["H2"] = datetime.date(2024, 3, 1)
    scores["H3"] = datetime.datetime(2024, 3, 1, 8, 30)
    scores.merge_cells("H1:I1")
    scores.column_dimensions["B"].width = 15
    scores.column_dimensions["H"].width = 20
    scores["A6"] = "多行\n文本"
    scores["B6"] = "0501"
    scores["C6"] = 123456789012345678
    scores.cell(20, 30, "远处")

    props = wb.create_sheet("属性表")
    props["A3"] = "满分"
    props["D3"] = 150
    props.sheet_state = "hidden"
    wb.create_sheet("名次段统计")
    wb.active = 2
    wb.save(f"{folder}/openpyxl.xlsx")

    old = openpyxl.Workbook()
    old.epoch = openpyxl.utils.datetime.CALENDAR_MAC_1904
    old.active["A1"] = datetime.date(2024, 3, 1)
    old.active["A2"] = 5
    old.save(f"{folder}/epoch1904.xlsx")


def text(value):
    if isinstance(value, bool):
        return "TRUE" if value else "FALSE"
    if isinstance(value, float) and value.is_integer():
        return str(int(value))
    if isinstance(value, (datetime.date, datetime.datetime, datetime.time)):
        return value.isoformat()
    return repr(value) if isinstance(value, str) and "\n" in value else str(value)


def dump(path):
    formulas = openpyxl.load_workbook(path)
    values = openpyxl.load_workbook(path, data_only=True)
    print(f"active\t{formulas.active.title}")
    for ws in formulas.worksheets:
        cached = values[ws.title]
        print(f"sheet\t{ws.title}\t{ws.sheet_state}")
        for merged in sorted(str(m) for m in ws.merged_cells.ranges):
            print(f"{ws.title}\tmerge\t{merged}")
        for letter, dim in sorted(ws.column_dimensions.items()):
            if dim.customWidth:
                for col in range(dim.min or 0, (dim.max or 0) + 1):
                    print(f"{ws.title}\twidth\t{get_column_letter(col)}\t{dim.width:.2f}")
        for row in ws.iter_rows():
            for cell in row:
                where = f"{ws.title}!{cell.coordinate}"
                value = cell.value
                if isinstance(value, str) and value.startswith("="):
                    print(f"{where}\tformula\t{value}")
                    value = cached[cell.coordinate].value
                    if value in (None, ""):
                        value = None
                if value is not None:
                    kind = type(value).__name__
                    kind = "number" if kind in ("int", "float") else kind
                    print(f"{where}\t{kind}\t{text(value)}")
                edges = "".join(k for k, side in (("L", cell.border.left), ("R", cell.border.right),
                                                  ("T", cell.border.top), ("B", cell.border.bottom))
                                if side is not None and side.style)
                if edges:
                    print(f"{where}\tborder\t{edges}")
                if cell.alignment.horizontal:
                    print(f"{where}\talign\t{cell.alignment.horizontal}")
                if cell.number_format != "General":
                    print(f"{where}\tformat\t{cell.number_format}")


def layout(path):
    with zipfile.ZipFile(path) as package:
        for name in sorted(package.namelist()):
            if name.endswith((".xml", ".rels")):
                root = ElementTree.fromstring(package.read(name))
            if re.match(r"xl/(charts|drawings)/[^/]*\.xml$", name):
                refs = [f.text for f in root.iter("{http://schemas.openxmlformats.org/drawingml/2006/chart}f")]
                print(f"part\t{name}\t{' '.join(refs)}".rstrip())
                if name.startswith("xl/charts/"):
                    c = "{http://schemas.openxmlformats.org/drawingml/2006/chart}"
                    a = "{http://schemas.openxmlformats.org/drawingml/2006/main}"
                    mins = [m.get("val") for m in root.iter(c + "min")]
                    fills = [f.get("val") for ser in root.iter(c + "ser")
                             for f in ser.iter(a + "srgbClr")]
                    print(f"chart\t{name}\tmin {' '.join(mins)}\tcolours {' '.join(fills)}")
    wb = openpyxl.load_workbook(path)
    print(f"active\t{wb.active.title}")
    for ws in wb.worksheets:
        setup = ws.page_setup
        print(f"{ws.title}\tprint\t{ws.print_title_rows}\t{setup.orientation}\t{setup.paperSize}"
              f"\t{ws.sheet_properties.pageSetUpPr and ws.sheet_properties.pageSetUpPr.fitToPage}"
              f"\t{setup.fitToWidth}\t{setup.fitToHeight}\t{ws.freeze_panes}")
        if ws.sheet_view.tabSelected:
            print(f"{ws.title}\tselected")
        for row in ws.iter_rows():
            for cell in row:
                if cell.font.b:
                    print(f"{ws.title}!{cell.coordinate}\tbold\t{cell.font.sz}")


if __name__ == "__main__":
    {"make": make, "dump": dump, "layout": layout}[sys.argv[1]](sys.argv[2])
