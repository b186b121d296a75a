#!/usr/bin/env python3
"""Workbooks as teachers keep them: a valid grade with everything a spreadsheet program lets a
teacher add around it (styles, views, print settings, objects, names, macros, properties).

  teacher_workbooks.py OUTDIR   writes the workbooks into OUTDIR and prints their paths

One workbook is saved by LibreOffice (headless), when `soffice` is installed.
"""
import datetime
import io
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

import openpyxl
import xlsxwriter
from openpyxl.comments import Comment
from openpyxl.formatting.rule import CellIsRule, ColorScaleRule, FormulaRule
from openpyxl.styles import Alignment, Border, Font, NamedStyle, PatternFill, Protection, Side
from openpyxl.workbook.defined_name import DefinedName
from openpyxl.worksheet.datavalidation import DataValidation
from openpyxl.worksheet.hyperlink import Hyperlink
from openpyxl.worksheet.pagebreak import Break

SUBJECTS = ["语文", "数学", "英语", "物理"]
RAW_FULL = [150, 150, 150, 100]
CLASSES = ["1班", "2班", "3班"]
PER_CLASS = 15
REPORTS = ["输出表", "各班详细排名", "各班排名表", "年级排名表", "年级详细排名",
           "两率一分", "完成率表", "分数段统计", "名次段统计"]
FIRST, LAST = 4, 3 + len(CLASSES) * PER_CLASS  # student rows on the score sheet


def students():
    """[class, seat, name, scores...] rows; scores are whole or half marks below the full mark."""
    rows = []
    for c, cls in enumerate(CLASSES, start=1):
        for s in range(1, PER_CLASS + 1):
            scores = [round(full * (0.35 + ((c * 7 + s * 13 + j * 29) % 61) / 100) * 2) / 2
                      for j, full in enumerate(RAW_FULL)]
            rows.append([cls, s, f"学生{c}{s:02d}"] + scores)
    return rows


def property_rows():
    """(row, [A, B, ...]) of "属性表": full marks and lines, weights, classes with teachers."""
    fulls = [100] * len(SUBJECTS)
    total = sum(fulls)
    names = SUBJECTS + ["总分"]
    rows = [(1, ["属性表（各科满分、分数线、权重和任课教师）"]), (2, ["项目"] + names)]
    for r, (label, share) in enumerate(zip(["满分", "优秀线", "及格线", "低分线"],
                                           [1, 0.85, 0.6, 0.4]), start=3):
        rows.append((r, [label] + [round(f * share) for f in fulls] + [round(total * share)]))
    rows.append((8, ["综合积分权重"] + names))
    weights = [("平均分", 1), ("优秀率", 0.5), ("及格率", 0.5), ("低分率", 0.3),
                ("一档完成率", 0.4), ("二档完成率", 0.3), ("平均分完成率", 0.3)]
    for r, (label, w) in enumerate(weights, start=9):
        rows.append((r, [label] + [w] * len(names)))
    rows.append((17, ["班级"] + SUBJECTS + ["班主任"]))
    for c, cls in enumerate(CLASSES):
        rows.append((18 + c, [cls] + [f"{'赵钱孙李周吴'[j]}老师{c + 1}" for j in range(len(names))]))
    return rows


def score_rows(title):
    """(row, [A, B, ...]) of "成绩表": title, raw full marks, header and the students."""
    return ([(1, [title]), (2, [None, None, "原始满分"] + RAW_FULL),
             (3, ["班级", "座号", "姓名"] + SUBJECTS)] + list(enumerate(students(), start=FIRST)))


def put_rows(ws, rows, fmt=lambda r, c: None):
    """Writes (row, values) into an openpyxl sheet, or an xlsxwriter one with formats."""
    for r, values in rows:
        for c, v in enumerate(values, start=1):
            if v is None:
                continue
            if hasattr(ws, "write"):
                ws.write(r - 1, c - 1, v, fmt(r, c))
            else:
                ws.cell(r, c, v)


def png(width=40, height=24):
    """A small school-logo picture, made here so that nothing is fetched."""
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    raw = b"".join(b"\0" + b"".join(bytes((30 + 5 * x, 80 + 7 * y, 160)) for x in range(width))
                   for y in range(height))
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw))
            + chunk(b"IEND", b""))


def vba_project():
    """Bytes standing for a macro project: a compound file's signature and some content. Nobody
    here runs it; the package must only carry it over unchanged."""
    return bytes.fromhex("D0CF11E0A1B11AE1") + bytes(504) + b"Attribute VB_Name = \"Scores\"\r\n" * 64


# --- openpyxl: styles, views, print settings, validations, formatted report sheets -------------

def openpyxl_teacher(path):
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "成绩表"
    wb.properties.creator = "王老师"
    wb.properties.title = "高一期末成绩"
    wb.properties.keywords = "期末;高一"

    grade = NamedStyle(name="成绩")
    grade.font = Font(name="宋体", size=11)
    grade.alignment = Alignment(horizontal="center", vertical="center")
    grade.number_format = "0.0"
    grade.border = Border(bottom=Side(style="hair", color="808080"))
    wb.add_named_style(grade)

    put_rows(ws, score_rows("高一年级期末考试成绩"))
    ws["A1"].font = Font(name="黑体", size=16, bold=True, color="1F3864")
    ws["A1"].alignment = Alignment(horizontal="center", vertical="center")
    ws["A1"].hyperlink = "https://school.example/exam/2026"
    ws.merge_cells("A1:G1")
    ws.row_dimensions[1].height = 30
    for cell in ws[2][3:]:
        cell.font = Font(italic=True, color="7F7F7F")
    ws.row_dimensions[2].hidden = True
    sides = [Side(style="medium", color="000000"), Side(style="dashed", color="FF0000"),
             Side(style="double", color="0070C0"), Side(style="dotted", color="00B050")]
    for col, cell in enumerate(ws[3], start=1):
        cell.font = Font(bold=True, color="FFFFFF")
        cell.fill = PatternFill("solid", fgColor="4472C4")
        side = sides[col % len(sides)]
        cell.border = Border(left=side, right=side, top=sides[0], bottom=sides[2])
        cell.alignment = Alignment(vertical="top", wrap_text=True)
    ws.row_dimensions[3].height = 24
    for r in range(FIRST, LAST + 1):
        for cell in ws[r][3:]:
            cell.style = "成绩"
            cell.protection = Protection(locked=False)
        if r % 2:
            ws.cell(r, 3).fill = PatternFill("lightGray", fgColor="D9E1F2", bgColor="FFFFFF")
    ws["I3"] = "备注"
    ws["I3"].hyperlink = Hyperlink(ref="I3", location="属性表!A1", display="见属性表")
    ws["I5"] = "转学生"
    ws["I5"].protection = Protection(locked=True, hidden=True)
    ws.column_dimensions["I"].hidden = True
    ws.column_dimensions["C"].width = 11.5
    ws.row_dimensions.group(FIRST, FIRST + PER_CLASS - 1, outline_level=1)
    ws.column_dimensions.group("D", "G", outline_level=1)
    ws.freeze_panes = "D4"
    ws.sheet_view.zoomScale = 85
    ws.sheet_properties.tabColor = "1072BA"
    ws["D3"].comment = Comment("满分150分，阅卷组已复核", "李老师")
    ws.conditional_formatting.add(
        f"D{FIRST}:F{LAST}", CellIsRule(operator="lessThan", formula=["90"],
                                        font=Font(color="9C0006"),
                                        fill=PatternFill("solid", bgColor="FFC7CE")))
    ws.conditional_formatting.add(f"G{FIRST}:G{LAST}", ColorScaleRule(
        start_type="min", start_color="F8696B", end_type="max", end_color="63BE7B"))
    marks = DataValidation(type="decimal", operator="between", formula1="0", formula2="150",
                           showErrorMessage=True, errorTitle="分数超出范围", error="0到150分")
    ws.add_data_validation(marks)
    marks.add(f"D{FIRST}:F{LAST}")
    ws.auto_filter.ref = f"A3:G{LAST}"
    ws.page_setup.orientation = "landscape"
    ws.page_setup.paperSize = ws.PAPERSIZE_A4
    ws.page_setup.fitToWidth = 1
    ws.page_setup.fitToHeight = 0
    ws.sheet_properties.pageSetUpPr.fitToPage = True
    ws.print_title_rows = "1:3"
    ws.print_area = f"A1:G{LAST}"
    ws.oddFooter.center.text = "第 &P 页，共 &N 页"

    props = wb.create_sheet("属性表")
    put_rows(props, property_rows())
    props.column_dimensions["A"].width = 14
    props.sheet_properties.tabColor = "FFC000"
    props.protection.sheet = True
    props.protection.password = "jiaowu"
    props.protection.formatColumns = False
    props.conditional_formatting.add("B3:F6", FormulaRule(formula=["B3>=100"],
                                                          font=Font(bold=True)))
    low = DataValidation(type="list", formula1='"低分率,不计低分"', allow_blank=True)
    props.add_data_validation(low)
    low.add("A12")
    weights = DataValidation(type="decimal", operator="between", formula1="0", formula2="10")
    props.add_data_validation(weights)
    weights.add("B9:F15")
    props.freeze_panes = "B3"

    # Report sheets from an earlier run, which the teacher has laid out for printing.
    two = wb.create_sheet("两率一分")
    two["A1"] = "两率一分（上次统计）"
    for col, width in zip("ABCDEFGH", [10, 8, 8, 9, 9, 9, 9, 12]):
        two.column_dimensions[col].width = width
    two.page_setup.orientation = "landscape"
    two.page_setup.paperSize = two.PAPERSIZE_A4
    two.page_setup.scale = 85
    two.page_margins.left = two.page_margins.right = 0.4
    two.page_margins.top = 0.6
    two.print_options.horizontalCentered = True
    two.print_options.gridLines = True
    two.oddHeader.center.text = "&\"黑体,Bold\"两率一分"
    two.oddFooter.right.text = "&D"
    two.freeze_panes = "B3"
    two.sheet_view.zoomScale = 90
    two.sheet_properties.tabColor = "C00000"
    two.row_breaks.append(Break(id=20))
    two.print_title_rows = "1:2"
    two.print_area = "A1:H40"
    two["A2"].comment = Comment("打印前先统计", "王老师")

    bands = wb.create_sheet("分数段统计")
    bands.column_dimensions["A"].width = 16
    bands.column_dimensions["B"].width = 7
    bands.sheet_format.defaultRowHeight = 18
    bands.sheet_format.customHeight = True
    bands.sheet_properties.tabColor = "00B050"
    bands.col_breaks.append(Break(id=8))
    bands.page_setup.orientation = "portrait"
    bands.page_setup.paperSize = bands.PAPERSIZE_A3

    ranks = wb.create_sheet("名次段统计")
    ranks.sheet_properties.codeName = "RankBands"
    ranks.sheet_view.zoomScale = 120
    ranks.sheet_view.showGridLines = False

    notes = wb.create_sheet("备注")
    notes["A1"] = "阅卷说明：作文按年级统一细则给分"
    notes.sheet_state = "veryHidden"

    wb.defined_names.append(DefinedName("语文成绩", attr_text=f"成绩表!$D${FIRST}:$D${LAST}"))
    wb.defined_names.append(DefinedName("班主任", localSheetId=1, attr_text="属性表!$F$18:$F$20"))
    wb.active = 0
    wb.save(path)


# --- xlsxwriter: a table, a picture, charts, a summary with names and cached results -----------

def score_sheet_xlsxwriter(ws, head, cell):
    put_rows(ws, score_rows("高一年级期末考试成绩"),
             lambda r, c: head if r in (1, 3) else cell if r >= FIRST and c >= 4 else None)


def xlsxwriter_objects(path):
    wb = xlsxwriter.Workbook(path)
    wb.set_properties({"title": "期末成绩", "subject": "高一", "author": "王老师",
                       "manager": "教务处", "company": "第一中学", "category": "成绩",
                       "keywords": "期末, 高一", "comments": "含图表与名单",
                       "created": datetime.datetime(2026, 1, 10, 9, 30)})
    wb.set_custom_property("学期", "2025-2026学年第一学期")
    wb.set_custom_property("考试次数", 3)
    wb.set_custom_property("已审核", True)
    wb.set_custom_property("考试日期", datetime.datetime(2026, 1, 12), "date")

    head = wb.add_format({"bold": True, "font_name": "微软雅黑", "font_color": "#FFFFFF",
                          "bg_color": "#2F5597", "border": 5, "border_color": "#203864",
                          "valign": "vcenter", "text_wrap": True})
    cell = wb.add_format({"num_format": "0.0", "border": 4, "left_color": "#A6A6A6",
                          "pattern": 17, "fg_color": "#F2F2F2", "bg_color": "#FFFFFF",
                          "locked": False, "valign": "bottom"})
    ws = wb.add_worksheet("成绩表")
    score_sheet_xlsxwriter(ws, head, cell)
    ws.set_row(0, 28)
    ws.set_row(FIRST + PER_CLASS - 1, None, None, {"hidden": True})
    ws.set_column("C:C", 12)
    ws.set_column("H:H", 5, None, {"hidden": True})
    ws.freeze_panes(3, 3)
    ws.set_zoom(110)
    ws.set_tab_color("#7030A0")
    ws.write_comment("C3", "姓名按学籍", {"author": "教务处"})
    best = wb.add_format({"bold": True, "font_color": "#C00000"})
    ws.conditional_format(f"D{FIRST}:G{LAST}", {"type": "top", "value": 5, "format": best})
    ws.data_validation(f"G{FIRST}:G{LAST}", {"validate": "decimal", "criteria": "between",
                                              "minimum": 0, "maximum": 100})

    props = wb.add_worksheet("属性表")
    put_rows(props, property_rows())
    props.protect("jiaowu", {"format_columns": True})

    names = wb.add_worksheet("名单")
    data = [[row[0], row[2], row[3], row[4], row[3] + row[4]] for row in students()]
    total = sum(row[4] for row in data)
    names.add_table(0, 0, len(data) + 1, 4, {
        "name": "名单表", "style": "Table Style Medium 2", "total_row": True,
        "data": [row[:4] for row in data],
        "columns": [{"header": "班级"}, {"header": "姓名"}, {"header": "语文"},
                    {"header": "数学"},
                    {"header": "合计", "formula": "=[@语文]+[@数学]",
                     "total_function": "sum", "total_value": total}]})
    for r, row in enumerate(data, start=1):
        names.write_formula(r, 4, "=名单表[[#This Row],[语文]]+名单表[[#This Row],[数学]]",
                            None, row[4])
    # The library writes the total without the table's name, which LibreOffice cannot resolve.
    names.write_formula(len(data) + 1, 4, "=SUBTOTAL(109,名单表[合计])", None, total)
    names.set_column("A:E", 10)

    summary = wb.add_worksheet("汇总")
    wb.define_name("语文成绩", f"=成绩表!$D${FIRST}:$D${LAST}")
    wb.define_name("属性表!满分行", "=属性表!$B$3:$F$3")
    summary.write("A1", "语文平均分")
    chinese = [row[3] for row in students()]
    summary.write_formula("B1", "=AVERAGE(语文成绩)", None, sum(chinese) / len(chinese))
    summary.write("A2", "一班语数最大分差")
    summary.write_array_formula("B2:B2", f"{{=MAX(ABS(成绩表!D{FIRST}:D{FIRST + PER_CLASS - 1}"
                                f"-成绩表!E{FIRST}:E{FIRST + PER_CLASS - 1}))}}", None,
                                max(abs(r[3] - r[4]) for r in students()[:PER_CLASS]))
    summary.write("A3", "语数合计总和")
    summary.write_formula("B3", "=SUM(名单表[合计])", None, total)
    summary.write("A4", "参考人数")
    summary.write_formula("B4", "=COUNT(语文成绩)", None, len(data))
    for j, subject in enumerate(SUBJECTS):
        column = "DEFG"[j]
        for c, cls in enumerate(CLASSES):
            first = FIRST + c * PER_CLASS
            scores = [row[3 + j] for row in students()[c * PER_CLASS:(c + 1) * PER_CLASS]]
            summary.write(5, 1 + c, cls)
            summary.write(6 + j, 0, subject)
            summary.write_formula(6 + j, 1 + c,
                                  f"=AVERAGE(成绩表!{column}{first}:{column}{first + PER_CLASS - 1})",
                                  None, sum(scores) / len(scores))
    chart = wb.add_chart({"type": "column"})
    for c, cls in enumerate(CLASSES):
        col = "BCD"[c]
        chart.add_series({"name": cls, "categories": "=汇总!$A$7:$A$10",
                          "values": f"=汇总!${col}$7:${col}$10"})
    chart.set_title({"name": "各班各科平均分"})
    summary.insert_chart("F2", chart, {"x_scale": 0.8, "y_scale": 0.8})
    summary.insert_image("A13", "logo.png", {"image_data": io.BytesIO(png()), "x_scale": 2})
    summary.set_column("A:A", 16)

    sheet_chart = wb.add_chartsheet("图表")
    line = wb.add_chart({"type": "line"})
    line.add_series({"name": "语文", "categories": "=汇总!$B$6:$D$6",
                     "values": "=汇总!$B$7:$D$7"})
    sheet_chart.set_chart(line)
    sheet_chart.set_tab_color("#ED7D31")

    for name in REPORTS:
        report = wb.add_worksheet(name)
        if name == "两率一分":
            # The school's logo on the printed comparison.
            report.insert_image("J1", "logo.png", {"image_data": io.BytesIO(png())})
            report.set_landscape()
            report.set_paper(9)
            report.set_header("&L&G", {"image_left": "logo.png",
                                       "image_data_left": io.BytesIO(png())})
    wb.close()


# --- xlsxwriter: a macro workbook with code names ----------------------------------------------

def xlsxwriter_macro(path):
    wb = xlsxwriter.Workbook(path)
    with tempfile.TemporaryDirectory() as tmp:
        project = os.path.join(tmp, "vbaProject.bin")
        with open(project, "wb") as f:
            f.write(vba_project())
        wb.add_vba_project(project)
        wb.set_vba_name("ThisWorkbook")
        wb.set_properties({"author": "刘老师", "company": "第二中学"})
        head = wb.add_format({"bold": True, "bottom": 6, "bottom_color": "#00B050"})
        ws = wb.add_worksheet("成绩表")
        ws.set_vba_name("Scores")
        score_sheet_xlsxwriter(ws, head, None)
        for r in range(FIRST - 1, LAST):
            ws.set_row(r, None, None, {"level": 1 + (r - FIRST + 1) // PER_CLASS % 2})
        ws.outline_settings(True, False, True, False)
        ws.freeze_panes(3, 0)
        props = wb.add_worksheet("属性表")
        props.set_vba_name("Props")
        put_rows(props, property_rows())
        props.protect()
        props.data_validation("B3:F6", {"validate": "integer", "criteria": ">=", "value": 0,
                                        "input_title": "分数线", "input_message": "填整数"})
        props.conditional_format("B18:F20", {"type": "blanks", "format":
                                             wb.add_format({"bg_color": "#FFEB9C"})})
        settings = wb.add_worksheet("设置")
        settings.set_vba_name("Settings")
        settings.write("A1", "按钮宏：统计")
        settings.hide()
        for i, name in enumerate(REPORTS, start=1):
            report = wb.add_worksheet(name)
            report.set_vba_name(f"Report{i}")
            if name == "完成率表":
                report.set_column("A:A", 14)
                report.set_margins(0.5, 0.5, 0.7, 0.7)
                report.fit_to_pages(1, 0)
                report.center_horizontally()
        wb.close()


# --- LibreOffice: a 1904-date workbook saved by Calc -------------------------------------------

def libreoffice_1904(path, profile):
    wb = openpyxl.Workbook()
    wb.epoch = openpyxl.utils.datetime.CALENDAR_MAC_1904
    ws = wb.active
    ws.title = "成绩表"
    put_rows(ws, score_rows("高一年级期末考试成绩（1904日期）"))
    for cell in ws[3]:
        cell.font = Font(bold=True, underline="single")
    ws.column_dimensions["C"].width = 13
    ws.freeze_panes = "A4"

    put_rows(wb.create_sheet("属性表"), property_rows())
    wb["属性表"].protection.sheet = True

    summary = wb.create_sheet("汇总")
    put_rows(summary, [(1, ["语文平均分", "=AVERAGE(语文成绩)"]), (2, ["最高分", "=MAX(语文成绩)"]),
                       (3, ["开考时间", 0.3333]), (4, ["考试日期", datetime.date(2026, 1, 15)]),
                       (5, ["统计日", "=B4+1"])])
    for ref, fmt in (("B3", "h:mm"), ("B4", "yyyy-mm-dd"), ("B5", "yyyy-mm-dd")):
        summary[ref].number_format = fmt
    wb.defined_names.append(DefinedName("语文成绩", attr_text=f"成绩表!$D${FIRST}:$D${LAST}"))

    for name in ["两率一分", "完成率表"]:
        report = wb.create_sheet(name)
        report.sheet_properties.tabColor = "7030A0"
        report.page_setup.orientation = "landscape"
        report.column_dimensions["A"].width = 15
        report.freeze_panes = "B4"

    office = shutil.which("soffice") or shutil.which("libreoffice")
    if not office:
        wb.save(path)
        print(f"note: soffice is not installed; {os.path.basename(path)} is saved by openpyxl")
        return
    with tempfile.TemporaryDirectory() as tmp:
        source = os.path.join(tmp, os.path.basename(path))
        wb.save(source)
        out = os.path.join(tmp, "out")
        convert(office, profile, [source], out, "xlsx")
        shutil.move(os.path.join(out, os.path.basename(path)), path)


def lo_profile(folder):
    """A private LibreOffice profile that recalculates every formula of a workbook it opens."""
    user = os.path.join(folder, "user")
    os.makedirs(user, exist_ok=True)
    settings = os.path.join(user, "registrymodifications.xcu")
    if not os.path.exists(settings):
        with open(settings, "w", encoding="utf-8") as f:
            f.write('<?xml version="1.0" encoding="UTF-8"?>\n<oor:items xmlns:oor="http://'
                    'openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema" '
                    'xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">\n<item oor:path="/org.'
                    'openoffice.Office.Calc/Formula/Load"><prop oor:name="OOXMLRecalcMode" '
                    'oor:op="fuse"><value>0</value></prop></item>\n</oor:items>\n')
    return "file://" + os.path.abspath(folder)


def convert(office, profile, files, outdir, fmt):
    """One LibreOffice start converting every file; the caller checks which outputs exist."""
    os.makedirs(outdir, exist_ok=True)
    subprocess.run([office, "--headless", f"-env:UserInstallation={lo_profile(profile)}",
                    "--convert-to", fmt, "--outdir", outdir] + files,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=300, check=False)


MAKERS = [("openpyxl-teacher.xlsx", openpyxl_teacher),
          ("xlsxwriter-objects.xlsx", xlsxwriter_objects),
          ("xlsxwriter-macro.xlsm", xlsxwriter_macro),
          ("libreoffice-1904.xlsx", libreoffice_1904)]


def make(folder, profile):
    """Writes every workbook into folder; profile is the LibreOffice profile folder to use."""
    os.makedirs(folder, exist_ok=True)
    paths = []
    for name, maker in MAKERS:
        path = os.path.join(folder, name)
        if maker is libreoffice_1904:
            maker(path, profile)
        else:
            maker(path)
        paths.append(path)
    return paths


if __name__ == "__main__":
    with tempfile.TemporaryDirectory() as profile:
        print("\n".join(make(sys.argv[1], profile)))
