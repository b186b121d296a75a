#!/usr/bin/python3
"""valdrex.oxt inside a headless LibreOffice with a private profile: 统计, 检查 and 列出班级 started
through the dispatcher on an open workbook give what the command gives on the same file (the
charts of 统计图表 included), a run tells its findings in one list, and one Undo takes a run back.

    calc_extension_test.py VALDREX OXT WORKDIR

WORKDIR holds the workbooks, the profile and the logs; run as root, a fresh folder under /tmp
stands in for it. Exits 77 (skipped) when soffice, unopkg, python3-uno or the extension is missing.
"""
import datetime
import os
import shutil
import subprocess
import sys
import tempfile
import time

SKIPPED = 77
REPORT_SHEETS = ["输出表", "各班详细排名", "各班排名表", "年级排名表", "年级详细排名", "两率一分",
                 "完成率表", "分数段统计", "名次段统计"]
TARGETS = (10, 30)


def missing_office(oxt):
    for program in ("soffice", "unopkg"):
        if not shutil.which(program):
            return program + " not found"
    try:
        import uno  # noqa: F401
    except ImportError:
        return "python3-uno not installed"
    return None if os.path.exists(oxt) else oxt + " not built"


class Office:
    """A headless office on a private profile with the extension installed, driven over a pipe;
    its dialogs go to the test hook's folder."""

    def __init__(self, work, oxt):
        import uno
        self.uno = uno
        self.hook = os.path.join(work, "hook")
        os.makedirs(self.hook, exist_ok=True)
        self.profile = "-env:UserInstallation=" + uno.systemPathToFileUrl(
            os.path.join(work, "profile"))
        command = ["unopkg", "add", "--suppress-license", self.profile, oxt]
        if os.geteuid() == 0:  # unopkg refuses root a user's installation: it runs as nobody
            os.chmod(work, 0o777)
            command = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"] + command
        # From `work`: unopkg goes back to the folder it was started in, which ctest's may not be
        # for nobody.
        subprocess.run(command, check=True, stdout=subprocess.DEVNULL, cwd=work,
                       env=dict(os.environ, HOME=work))
        self.start()

    def start(self):
        pipe = "valdrex_calc_%d" % os.getpid()
        env = dict(os.environ, VALDREX_CALC_TEST_DIR=self.hook)
        self.process = subprocess.Popen(
            ["soffice", self.profile, "--headless", "--invisible", "--norestore", "--nologo",
             "--nodefault", "--accept=pipe,name=%s;urp;" % pipe], env=env)
        local = self.uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext(
            "com.sun.star.bridge.UnoUrlResolver", local)
        for _ in range(120):
            try:
                self.ctx = resolver.resolve(
                    "uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
                break
            except Exception:
                time.sleep(0.5)
        else:
            raise RuntimeError("soffice did not answer")
        smgr = self.ctx.ServiceManager
        self.desktop = smgr.createInstanceWithContext("com.sun.star.frame.Desktop", self.ctx)
        self.dispatcher = smgr.createInstanceWithContext("com.sun.star.frame.DispatchHelper",
                                                         self.ctx)

    def load(self, path):
        from com.sun.star.beans import PropertyValue
        hidden = PropertyValue(Name="Hidden", Value=True)
        return self.desktop.loadComponentFromURL(self.uno.systemPathToFileUrl(path), "_blank", 0,
                                                 (hidden,))

    def dispatch(self, doc, command, answers=()):
        """Runs a menu command on `doc`; returns the dialogs it logged."""
        with open(os.path.join(self.hook, "answers.txt"), "w") as f:
            f.write("".join("%s\n" % a for a in answers))
        log = os.path.join(self.hook, "dialogs.txt")
        if os.path.exists(log):
            os.remove(log)
        self.dispatcher.executeDispatch(doc.CurrentController.Frame, "vnd.valdrex:" + command,
                                        "_self", 0, ())
        return read_dialogs(log)

    def close(self):
        try:
            self.desktop.terminate()
        except Exception:
            pass
        try:
            self.process.wait(30)
        except subprocess.TimeoutExpired:
            self.process.kill()


def read_dialogs(path):
    """dialogs.txt as (kind, field, title, lines) tuples."""
    dialogs = []
    if os.path.exists(path):
        for line in open(path, encoding="utf-8").read().splitlines():
            if line.startswith("\t"):
                dialogs[-1][3].append(line[1:])
            else:
                kind, field, title = line.split("\t")
                dialogs.append((kind, field, title, []))
    return dialogs


def used_range(sheet):
    cursor = sheet.createCursor()
    cursor.gotoEndOfUsedArea(False)
    return cursor.RangeAddress.EndColumn, cursor.RangeAddress.EndRow


def values(sheet, cols=None, rows=None):
    end_col, end_row = used_range(sheet)
    cols, rows = (end_col, end_row) if cols is None else (cols, rows)
    data = sheet.getCellRangeByPosition(0, 0, cols, rows).DataArray
    # A file keeps numbers to 15 or 17 digits, the office's cells exactly.
    return [[round(v, 9) if isinstance(v, float) else v for v in row] for row in data]


def formats(sheet, cols, rows, numbers):
    """Per cell: horizontal alignment, which of the four borders have a line, the merged area a
    cell starts and the number format's code (`numbers`: the document's number formats); read
    per run of equally formatted cells."""
    cells = {}
    block = sheet.getCellRangeByPosition(0, 0, cols, rows)
    for i in range(block.UniqueCellFormatRanges.Count):
        ranges = block.UniqueCellFormatRanges.getByIndex(i)
        lines = tuple(getattr(ranges, side).OuterLineWidth + getattr(ranges, side).InnerLineWidth > 0
                      for side in ("TopBorder", "BottomBorder", "LeftBorder", "RightBorder"))
        align = ranges.HoriJustify.value
        code = numbers.getByKey(ranges.NumberFormat).FormatString
        first = ranges.RangeAddresses[0]
        cursor = sheet.createCursorByRange(
            sheet.getCellByPosition(first.StartColumn, first.StartRow))
        cursor.collapseToMergedArea()
        a = cursor.RangeAddress
        span = (a.EndColumn - a.StartColumn + 1, a.EndRow - a.StartRow + 1)
        if a.StartColumn != first.StartColumn or a.StartRow != first.StartRow:
            span = (1, 1)  # covered by a merge that starts elsewhere
        for r in ranges.RangeAddresses:
            for row in range(r.StartRow, r.EndRow + 1):
                for col in range(r.StartColumn, r.EndColumn + 1):
                    cells[(row, col)] = (align, lines, span, code)
    return cells


def sheet_differences(name, got, want, numbers):
    """Why two sheets differ: values over both used areas, then formats cell by cell."""
    cols, rows = (max(a, b) for a, b in zip(used_range(got), used_range(want)))
    a, b = values(got, cols, rows), values(want, cols, rows)
    if a != b:
        return ["%s!R%dC%d: %r != %r" % (name, r + 1, c + 1, a[r][c], b[r][c])
                for r in range(rows + 1) for c in range(cols + 1) if a[r][c] != b[r][c]][:5]
    a, b = formats(got, cols, rows, numbers[0]), formats(want, cols, rows, numbers[1])
    return ["%s!R%dC%d: %s != %s" % (name, row + 1, col + 1, a.get((row, col)), b.get((row, col)))
            for row, col in sorted(set(a) | set(b)) if a.get((row, col)) != b.get((row, col))][:5]


def report_differences(doc, want, names):
    """Why the sheets `names` of `doc` differ from the command's result `want`, or are missing."""
    faults = []
    for name in names:
        if not doc.Sheets.hasByName(name):
            faults.append("%s missing" % name)
        else:
            faults += sheet_differences(name, doc.Sheets.getByName(name),
                                        want.Sheets.getByName(name),
                                        (doc.NumberFormats, want.NumberFormats))
    return faults


def manual_breaks(sheet):
    """The rows (from 0) a manual break starts a page at."""
    return [b.Position for b in sheet.RowPageBreaks if b.ManualBreak]


def field_kinds(text):
    """The kinds of the text fields in a header's or footer's part, in order."""
    kinds = []
    for paragraph in iter_enum(text):
        for portion in iter_enum(paragraph):
            if portion.TextPortionType == "TextField":
                kinds += [kind for kind in ("PageNumber", "PageCount", "SheetName", "Date")
                          if portion.TextField.supportsService("com.sun.star.text.TextField." +
                                                               kind)] or ["other"]
    return kinds


def iter_enum(access):
    items = access.createEnumeration()
    while items.hasMoreElements():
        yield items.nextElement()


def page_differences(doc, want_path, names, teachers=()):
    """Why the printed pages of the sheets `names` of `doc` are not as in the command's result at
    `want_path`: the manual row breaks, and Valdrex's header (the sheet's name in the centre) and
    footer (the page number and count as fields) on a page not the teacher's own."""
    import openpyxl
    wb = openpyxl.load_workbook(want_path)
    styles = doc.StyleFamilies.getByName("PageStyles")
    faults = []
    for name in names:
        sheet = doc.Sheets.getByName(name)
        if not sheet.AutomaticPrintArea and not sheet.getPrintAreas():
            faults.append("%s prints nothing: neither the whole sheet nor a range" % name)
        want = [b.id for b in wb[name].row_breaks.brk]
        if name not in teachers and manual_breaks(sheet) != want:
            faults.append("%s breaks pages at rows %s, the command's at %s" %
                          (name, manual_breaks(sheet), want))
        style = styles.getByName(sheet.PageStyle)
        if name in teachers:
            continue
        header, footer = style.RightPageHeaderContent, style.RightPageFooterContent
        if not style.HeaderIsOn or header.CenterText.getString() != name:
            faults.append("%s: the page header's centre is %r" %
                          (name, header.CenterText.getString()))
        kinds = field_kinds(footer.CenterText)
        if not style.FooterIsOn or kinds != ["PageNumber", "PageCount"]:
            faults.append("%s: the page footer %r holds the fields %s" %
                          (name, footer.CenterText.getString(), kinds))
    return faults


def teachers_page(doc, name):
    """Gives the sheet `name` a page style of the teacher's, landscape with a header of its own."""
    own = doc.createInstance("com.sun.star.style.PageStyle")
    doc.StyleFamilies.getByName("PageStyles").insertByName("老师的页面", own)
    own = doc.StyleFamilies.getByName("PageStyles").getByName("老师的页面")
    own.IsLandscape = True
    own.HeaderIsOn = True
    header = own.RightPageHeaderContent
    header.LeftText.setString("初三年级")
    own.RightPageHeaderContent = header
    doc.Sheets.getByName(name).PageStyle = "老师的页面"


def teachers_page_kept(doc, name):
    sheet = doc.Sheets.getByName(name)
    style = doc.StyleFamilies.getByName("PageStyles").getByName(sheet.PageStyle)
    content = style.RightPageHeaderContent  # held: its texts need it
    header = content.LeftText.getString()
    if sheet.PageStyle != "老师的页面" or header != "初三年级" or not style.IsLandscape:
        return ["%s: the teacher's page became %s with the header %r" %
                (name, sheet.PageStyle, header)]
    return [] if manual_breaks(sheet) else ["%s on the teacher's page has no row breaks" % name]


def snapshot(doc):
    """Every sheet's cells that hold something (an emptied cell may stay in the used area)."""
    return {name: {(r, c): v for r, row in enumerate(values(doc.Sheets.getByName(name)))
                   for c, v in enumerate(row) if v != ""}
            for name in doc.Sheets.ElementNames}


def make_workbooks(valdrex, work):
    """in.xlsx: a sample grade with a defined name, a sheet with a chart and one report sheet
    missing; problem.xlsx: a score that is not a number; classes.xlsx: no class rows; undo.xlsx:
    the sample with a sheet for the charts; spoiled.xlsx and refused.xlsx: see below."""
    import openpyxl
    from openpyxl.chart import BarChart, Reference
    from openpyxl.workbook.defined_name import DefinedName
    sample = os.path.join(work, "sample.xlsx")
    subprocess.run([valdrex, "sample", "--classes", "3", "--students", "20", "--subjects", "4",
                    "--force", sample], check=True, stdout=subprocess.DEVNULL)
    wb = openpyxl.load_workbook(sample)
    wb.defined_names.append(DefinedName("考试名称", attr_text="成绩表!$A$1"))
    notes = wb.create_sheet("备注")
    for row in (("班级", "人数"), ("1班", 20), ("2班", 20), ("3班", 20)):
        notes.append(row)
    chart = BarChart()
    chart.add_data(Reference(notes, min_col=2, min_row=1, max_row=4), titles_from_data=True)
    notes.add_chart(chart, "D2")
    del wb["名次段统计"]
    wb.save(os.path.join(work, "in.xlsx"))
    wb["成绩表"]["D6"] = "九十"
    wb.save(os.path.join(work, "problem.xlsx"))
    wb = openpyxl.load_workbook(sample)
    for row in range(18, 40):
        wb["属性表"].cell(row, 1).value = None
    wb.save(os.path.join(work, "classes.xlsx"))
    wb = openpyxl.load_workbook(sample)
    wb.create_sheet("统计图表")
    wb.save(os.path.join(work, "undo.xlsx"))
    # spoiled.xlsx: a blank row inside the student list, and a class written two ways.
    wb = openpyxl.load_workbook(sample)
    scores = wb["成绩表"]
    for cell in scores[12]:
        cell.value = None
    name = scores.cell(8, 1).value
    scores.cell(8, 1).value = name[:-1] + " " + name[-1]
    wb.save(os.path.join(work, "spoiled.xlsx"))
    # refused.xlsx: 120 students in one class, which stops the loading.
    crowded = os.path.join(work, "crowded.xlsx")
    subprocess.run([valdrex, "sample", "--classes", "2", "--students", "60", "--subjects", "4",
                    "--force", crowded], check=True, stdout=subprocess.DEVNULL)
    wb = openpyxl.load_workbook(crowded)
    scores = wb["成绩表"]
    for row in range(5, scores.max_row + 1):
        if scores.cell(row, 1).value:
            scores.cell(row, 1).value = scores.cell(4, 1).value
    wb.save(os.path.join(work, "refused.xlsx"))


def check_run(office, valdrex, work):
    source = os.path.join(work, "in.xlsx")
    want_path = os.path.join(work, "want-run.xlsx")
    subprocess.run([valdrex, "run", source, "--targets", "%d,%d" % TARGETS, "--date",
                    datetime.date.today().isoformat(), "-o", want_path], capture_output=True)
    doc = office.load(source)
    teachers_page(doc, "两率一分")
    before = snapshot(doc)
    dialogs = office.dispatch(doc, "run", TARGETS)
    print("统计 dialogs:", dialogs)
    answered = [field for kind, field, _, _ in dialogs if kind == "input"]
    faults = [] if answered == [str(t) for t in TARGETS] else ["input boxes: %s" % answered]
    want = office.load(want_path)
    faults += report_differences(doc, want, REPORT_SHEETS)
    faults += page_differences(doc, want_path, REPORT_SHEETS, teachers=("两率一分",))
    faults += teachers_page_kept(doc, "两率一分")
    # 统计 again on the same document: its own page styles are set up anew, the breaks as before.
    styles = doc.StyleFamilies.getByName("PageStyles").Count
    office.dispatch(doc, "run", TARGETS)
    faults += ["again in Calc: " + f for f in
               page_differences(doc, want_path, REPORT_SHEETS, teachers=("两率一分",))]
    if doc.StyleFamilies.getByName("PageStyles").Count != styles:
        faults.append("统计 again in Calc made page styles anew")
    # The rows printed on every page stay the workbook's own, as in the command's result.
    for name in REPORT_SHEETS:
        if name in before:
            got, expected = (print_titles(d.Sheets.getByName(name)) for d in (doc, want))
            if got != expected:
                faults.append("%s prints rows %s on every page, the command's %s" %
                              (name, got, expected))
    after = snapshot(doc)
    faults += ["%s changed" % n for n in before if n not in REPORT_SHEETS and before[n] != after[n]]
    if doc.Sheets.getByName("备注").Charts.Count != 1:
        faults.append("the chart on 备注 is gone")
    got, expected = chart_series(doc), chart_series(want)
    if not expected or got != expected:
        faults.append("统计图表 holds %s, the command's %s" % (got, expected))
    if not doc.NamedRanges.hasByName("考试名称"):
        faults.append("the name 考试名称 is gone")
    want.close(True)
    doc.close(True)
    faults += check_again(office, valdrex, work, want_path)
    # Undo of an added sheet needs a visible view, which a headless office has not: Undo is
    # tried on the sample with every sheet a run writes.
    doc = office.load(os.path.join(work, "undo.xlsx"))
    before = snapshot(doc)
    office.dispatch(doc, "run", TARGETS)
    if doc.UndoManager.isUndoPossible():
        doc.UndoManager.undo()
    else:
        faults.append("nothing to undo after 统计")
    # The last of the values are set back just after the office's own Undo.
    for _ in range(50):
        left = [n for n, cells in snapshot(doc).items() if cells != before[n]]
        if not left:
            break
        time.sleep(0.2)
    faults += ["%s not given back by Undo" % n for n in left]
    doc.close(True)
    return faults


def formulas(doc, name):
    sheet = doc.Sheets.getByName(name)
    cols, rows = used_range(sheet)
    return {(r, c): sheet.getCellByPosition(c, r).getFormula()
            for r in range(rows + 1) for c in range(cols + 1)
            if sheet.getCellByPosition(c, r).getFormula().startswith("=")}


def check_again(office, valdrex, work, result):
    """统计 over an earlier result with one student fewer: every report sheet is rebuilt as the
    command rebuilds it, the earlier tables' cells, merges and borders gone where the new ones end."""
    import openpyxl
    source = os.path.join(work, "again.xlsx")
    wb = openpyxl.load_workbook(result)
    wb["成绩表"].delete_rows(10)
    # A teacher's formulas in the cells the first band table's 合计 row leaves empty stay
    # formulas, as in the command's result, though Calc writes the rows around them in one block
    # of values (its classes' 最高分 and 最低分 spoiled so that they are written again).
    bands = wb["分数段统计"]
    for row in (4, 5, 6):
        bands.cell(row, 14).value = bands.cell(row, 15).value = 0
    bands["N7"] = bands["O7"] = "=1+1"
    wb.save(source)
    want_path = os.path.join(work, "want-again.xlsx")
    subprocess.run([valdrex, "run", source, "--targets", "%d,%d" % TARGETS, "--date",
                    datetime.date.today().isoformat(), "-o", want_path], capture_output=True)
    doc = office.load(source)
    office.dispatch(doc, "run", TARGETS)
    want = office.load(want_path)
    faults = ["again: " + f for f in report_differences(doc, want, REPORT_SHEETS) +
              page_differences(doc, want_path, REPORT_SHEETS)]
    kept = formulas(want, "分数段统计")
    if not kept or formulas(doc, "分数段统计") != kept:
        faults.append("again: the teacher's formulas in 分数段统计 are %r, the command's %r"
                      % (formulas(doc, "分数段统计"), kept))
    want.close(True)
    doc.close(True)
    return faults


ASKED_SHEETS = ["进退步", "进退步汇总", "临界生", "一分一段表"]


def check_asked(office, valdrex, work):
    """The two menu entries that add the sheets written only when asked: 临界生 and 一分一段表,
    then 进退步 against an earlier exam chosen as a file, as `valdrex run --extra --compare`."""
    import openpyxl
    source, earlier = (os.path.join(work, n) for n in ("asked.xlsx", "earlier.xlsx"))
    shutil.copy(os.path.join(work, "sample.xlsx"), source)
    wb = openpyxl.load_workbook(source)
    scores = wb["成绩表"]
    for row in range(4, scores.max_row + 1):  # the earlier exam: other scores, the same students
        if isinstance(scores.cell(row, 4).value, (int, float)):
            scores.cell(row, 4).value = (row * 37) % 100
    wb.save(earlier)
    want_path = os.path.join(work, "want-asked.xlsx")
    subprocess.run([valdrex, "run", source, "--extra", "--compare", earlier, "--targets",
                    "%d,%d" % TARGETS, "--date", datetime.date.today().isoformat(), "-o",
                    want_path], capture_output=True, check=True)
    doc = office.load(source)
    faults = []
    office.dispatch(doc, "analyse", TARGETS)
    names = list(doc.Sheets.ElementNames)
    if names[-3:] != ["统计图表", "临界生", "一分一段表"]:
        faults.append("after 统计并列出临界生、一分一段表 the sheets end %s" % names[-3:])
    dialogs = office.dispatch(doc, "compare", (earlier,) + TARGETS)
    print("与上次考试比较 dialogs:", dialogs)
    if not dialogs or dialogs[0][:2] != ("file", earlier):
        faults.append("the earlier workbook was not asked for first: %s" % dialogs[:1])
    want = office.load(want_path)
    faults += report_differences(doc, want, ASKED_SHEETS + ["两率一分"])
    got, expected = chart_series(doc), chart_series(want)
    if not expected or got != expected:
        faults.append("统计图表 holds %s, the command's %s" % (got, expected))
    want.close(True)
    doc.close(True)
    # A cancelled choice runs nothing.
    doc = office.load(source)
    before = snapshot(doc)
    office.dispatch(doc, "compare", ("",))
    if snapshot(doc) != before:
        faults.append("a cancelled choice of the earlier workbook changed the workbook")
    doc.close(True)
    return faults


def check_slips(office, valdrex, work):
    """成绩条 with levels and no rank anywhere, as `valdrex run --slips --levels --no-ranks`."""
    source = os.path.join(work, "slips.xlsx")
    shutil.copy(os.path.join(work, "sample.xlsx"), source)
    want_path = os.path.join(work, "want-slips.xlsx")
    subprocess.run([valdrex, "run", source, "--slips", "--levels", "--no-ranks", "--targets",
                    "%d,%d" % TARGETS, "--date", datetime.date.today().isoformat(), "-o",
                    want_path], capture_output=True, check=True)
    doc = office.load(source)
    office.dispatch(doc, "slips", TARGETS)
    want = office.load(want_path)
    faults = report_differences(doc, want, ["成绩条", "年级排名表", "年级详细排名"])
    want.close(True)
    doc.close(True)
    return faults


def print_titles(sheet):
    """The rows repeated on every printed page, or None."""
    return (sheet.TitleRows.StartRow, sheet.TitleRows.EndRow) if sheet.PrintTitleRows else None


def chart_series(doc):
    """Per chart of 统计图表: the cells of its series' names and values, and its categories."""
    if not doc.Sheets.hasByName("统计图表"):
        return None
    page = doc.Sheets.getByName("统计图表").DrawPage
    shapes = [page.getByIndex(i) for i in range(page.Count)]
    found = []
    for shape in sorted(shapes, key=lambda s: (s.Position.Y, s.Position.X)):
        diagram = shape.Model.getFirstDiagram()
        system = diagram.getCoordinateSystems()[0]
        categories = system.getAxisByDimension(0, 0).getScaleData().Categories
        series = [(s.getDataSequences()[0].getLabel().getSourceRangeRepresentation(),
                   s.getDataSequences()[0].getValues().getSourceRangeRepresentation())
                  for t in system.getChartTypes() for s in t.getDataSeries()]
        found.append((categories.getValues().getSourceRangeRepresentation(), series))
    return found


def menu_words(lines):
    """The command's findings as the menu words their advice."""
    menu = {"（valdrex run 会在末尾添加）": "（“成绩统计 → 统计”会在末尾添加）",
            "。可运行 valdrex classes ": "。可用“成绩统计 → 列出班级”"}
    for command, entry in menu.items():
        lines = [line.replace(command, entry) for line in lines]
    return lines


def printed_findings(valdrex, source):
    """What `valdrex check` finds, one line each."""
    out = subprocess.run([valdrex, "check", source], capture_output=True, text=True).stdout
    printed = out.splitlines()
    count = int(printed[-1].split()[1]) if printed[-1].startswith("发现") else 0
    return menu_words(printed[-1 - count:-1])


def check_told(office, valdrex, work):
    """A run with findings lists them, what was left out and, for a refusal, why, below the
    findings it points to; a clean run shows its closing message only."""
    faults = []
    cases = [  # workbook, refused, what a line of the list must tell
        ("spoiled.xlsx", False, "行没有统计"),
        ("refused.xlsx", True, "请改正上面标为“错误”的地方"),
    ]
    for workbook, refused, told in cases:
        source = os.path.join(work, workbook)
        findings = printed_findings(valdrex, source)
        doc = office.load(source)
        dialogs = office.dispatch(doc, "run", TARGETS)
        doc.close(True)
        print("统计 %s dialogs:" % workbook, dialogs)
        lists = [lines for kind, _, _, lines in dialogs if kind == "list"]
        if len(lists) != 1:
            faults.append("%s: %d lists after 统计" % (workbook, len(lists)))
            continue
        lines = lists[0]
        listed = [line.split("：", 1)[1] for line in lines[:len(findings)]]
        if not findings or listed != findings:
            faults.append("%s: listed %s, check printed %s" % (workbook, lines, findings))
        if not any(told in line for line in lines):
            faults.append("%s: no line tells %s" % (workbook, told))
        errors = [line for line in lines if line.startswith("错误：")]
        if refused and (told not in lines[-1] or not errors or lines[-1] in errors):
            faults.append("%s: the refusal does not follow its errors: %s" % (workbook, lines))
    doc = office.load(os.path.join(work, "sample.xlsx"))
    dialogs = office.dispatch(doc, "run", TARGETS)
    doc.close(True)
    if [kind for kind, _, _, _ in dialogs if kind != "input"] != ["message"]:
        faults.append("a clean run showed %s" % dialogs)
    return faults


def check_check(office, valdrex, work):
    source = os.path.join(work, "problem.xlsx")
    # The same findings; only the advice names the menu instead of the subcommand.
    want = printed_findings(valdrex, source)
    doc = office.load(source)
    dialogs = office.dispatch(doc, "check")
    doc.close(True)
    got = [line for kind, _, _, lines in dialogs if kind == "list" for line in lines]
    return [] if want and got == want else ["检查 listed %s, check printed %s" % (got, want)]


def check_classes(office, valdrex, work):
    source = os.path.join(work, "classes.xlsx")
    want_path = os.path.join(work, "want-classes.xlsx")
    subprocess.run([valdrex, "classes", source, "-o", want_path], capture_output=True)
    doc = office.load(source)
    dialogs = office.dispatch(doc, "classes")
    print("列出班级 dialogs:", dialogs)
    want = office.load(want_path)
    faults = [] if dialogs else ["列出班级 showed nothing"]
    got, expected = doc.Sheets.getByName("属性表"), want.Sheets.getByName("属性表")
    faults += sheet_differences("属性表", got, expected, (doc.NumberFormats, want.NumberFormats))
    want.close(True)
    doc.close(True)
    return faults


def main(valdrex, oxt, work):
    why = missing_office(oxt)
    if why:
        print("skipped:", why)
        return SKIPPED
    # As root, unopkg runs as nobody (see Office), who may not reach a build folder inside a
    # private one (root's home, a mktemp -d folder): everything then goes to a fresh folder
    # under /tmp, removed afterwards.
    dropping = os.geteuid() == 0
    if dropping:
        work = tempfile.mkdtemp(prefix="valdrex-calc-", dir="/tmp")
        os.chmod(work, 0o755)
        print("working in", work)
    else:
        shutil.rmtree(work, ignore_errors=True)
        os.makedirs(work)
    faults = []
    try:
        make_workbooks(valdrex, work)
        shutil.copy(oxt, work)  # where nobody can read it
        office = Office(work, os.path.join(work, os.path.basename(oxt)))
        try:
            for check in (check_run, check_asked, check_slips, check_told, check_check,
                          check_classes):
                found = check(office, valdrex, work)
                print("%s: %s" % (check.__name__, "ok" if not found else "FAILED"))
                faults += found
        finally:
            office.close()
    finally:
        if dropping:
            shutil.rmtree(work, ignore_errors=True)
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:4]))
