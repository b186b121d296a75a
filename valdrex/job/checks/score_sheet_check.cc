#include "valdrex/job/checks/score_sheet_check.h"

#include <algorithm>
#include <map>

#include "valdrex/gradebook/layout.h"
#include "valdrex/gradebook/score_text.h"
#include "valdrex/host/memory_workbook.h"
#include "valdrex/host/number_text.h"
#include "valdrex/job/checks/look_alike.h"
#include "valdrex/job/session/cell_name.h"

namespace valdrex {

namespace {

using SS = ScoreSheetLayout;
constexpr int kHeaderRow = SS::headerRow;
constexpr int kFirstSubjectColumn = SS::firstSubjectColumn;
constexpr int kMaxHeaderColumns = ModelLimits::headerTexts;
// A list reaching this row loads no student at all.
constexpr int kFirstRowBeyondCount = ModelLimits::firstRowBeyondCount;
// Blank class cells told one by one; the rest are summed up in one more finding.
constexpr int kBlankClassesTold = 10;
// Rows searched for a header row typed above or below the one the loading reads.
constexpr int kHeaderSearchRows = 10;

std::string textAt(const host::Worksheet& sh, int row, int col) {
  return textOf(sh.cell(row, col));
}

// "B、C": the columns whose filling makes a row a student's.
std::string seatAndName() {
  return host::columnName(SS::seatColumn) + "、" + host::columnName(SS::nameColumn);
}

int classColumn(const host::Worksheet& sh) {
  int found = 0;
  for (int k = 1; k <= SS::leadingColumns; ++k)
    if (isClassHeader(textAt(sh, kHeaderRow, k))) found = k;
  return found;
}

// A number, or a text that reads entirely as one the way the loading reads it ("９０" too);
// anything else is not a score.
std::optional<double> scoreValue(const Variant& v) {
  if (v.kind() == VarKind::Double) return v.number();
  if (v.isText()) return wholeTextNumber(scoreText(v.text()));
  return std::nullopt;
}

// "85。5": a full stop typed for the point, which the loading reads as 85.
bool fullStopForPoint(const std::string& text) {
  const std::size_t at = text.find("。");
  if (at == std::string::npos) return false;
  std::string point = text;
  point.replace(at, std::string_view("。").size(), ".");
  return wholeTextNumber(point).has_value();
}

class ScoreSheetCheck {
 public:
  ScoreSheetCheck(const host::Worksheet& sh, const ScoreSheetShape& shape, CheckReport& report)
      : sh_(sh), shape_(shape), report_(report) {}

  bool run() {
    // A table out of place makes every score cell look wrong: one finding says why instead.
    const bool misplaced = misplacedTable();
    header(misplaced);
    rowsBelowTheList();
    classRows(misplaced);
    if (misplaced) return false;
    for (int j = 0; j < std::min(shape_.subjects, ModelLimits::subjects); ++j)
      subjectColumn(kFirstSubjectColumn + j);
    return true;
  }

 private:
  // What does not stop the loading here is loaded and counted wrongly.
  void add(std::string place, std::string text, bool stops = false) {
    report_.findings.push_back({std::move(place), std::move(text), stops, !stops});
  }
  std::string at(int row, int col) const { return sheetCellName(sh_.name(), row, col); }
  // Only a sheet read from a file knows its formulas; the loading sees just their values.
  bool hasFormula(int row, int col) const {
    const auto* memory = dynamic_cast<const host::MemorySheet*>(&sh_);
    const host::Cell* cell = memory ? memory->find(row, col) : nullptr;
    return cell && !cell->formula.empty();
  }

  // "表头应在第 3 行：A3 班级、B3 座号或考号、C3 姓名，科目从 D3 起"
  static std::string expectedHeader() {
    return "表头应在第 " + std::to_string(kHeaderRow) + " 行：" +
           cellName(kHeaderRow, SS::classColumn) + " " + std::string(SS::classHeader) + "、" +
           cellName(kHeaderRow, SS::seatColumn) + " " + std::string(SS::seatHeader) + "或" +
           std::string(SS::examNumberHeader) + "、" + cellName(kHeaderRow, SS::nameColumn) + " " +
           std::string(SS::nameHeader) + "，科目从 " + cellName(kHeaderRow, kFirstSubjectColumn) +
           " 起";
  }

  static bool isLeadingHeader(std::string_view text) {
    return isClassHeader(text) || isSeatHeader(text) || text == SS::nameHeader;
  }

  // A row near the top holding the class header where the leading columns would be.
  int headerRowElsewhere() const {
    for (int row = 1; row <= kHeaderSearchRows; ++row) {
      if (row == kHeaderRow) continue;
      for (int col = 1; col <= SS::leadingColumns + 1; ++col)
        if (isClassHeader(textAt(sh_, row, col))) return row;
    }
    return 0;
  }

  // A column of texts without a raw full mark is a student field, not a subject: a subject with
  // some absent students written "缺考" still holds mostly scores.
  bool holdsNoScores(int col) const {
    if (leadingNumber(halfWidthNumberText(textAt(sh_, SS::rawFullMarkRow, col))) != 0) return false;
    int filled = 0, texts = 0;
    for (int i = 1; i <= shape_.students; ++i) {
      const Variant v = sh_.cell(kHeaderRow + i, col);
      if (scoreText(textOf(v)).empty()) continue;
      ++filled;
      if (!scoreValue(v)) ++texts;
    }
    return texts > 0 && 2 * texts > filled;
  }

  // "A3 班级、B3 座号、C3 姓名、D3 性别": the header as it stands, up to column `last`.
  std::string headerUpTo(int last) const {
    std::string found;
    for (int col = 1; col <= last; ++col)
      found +=
          (col > 1 ? "、" : "") + cellName(kHeaderRow, col) + " " + textAt(sh_, kHeaderRow, col);
    return found;
  }

  bool misplacedTable() {
    if (classColumn(sh_) == 0) {
      if (const int row = headerRowElsewhere()) {
        const int rows = row > kHeaderRow ? row - kHeaderRow : kHeaderRow - row;
        add(at(row, 1),
            expectedHeader() + "（第 " + std::to_string(SS::titleRow) + " 行标题，第 " +
                std::to_string(SS::rawFullMarkRow) + " 行各科原始满分）；这里第 " +
                std::to_string(row) + " 行是表头。请" +
                (row > kHeaderRow ? "删去表头上方多出的 " : "在表头上方插入 ") +
                std::to_string(rows) + " 行",
            true);
        return true;
      }
    }
    // A subject with its raw full mark above it among the leading columns is never counted.
    for (int col = 1; col < kFirstSubjectColumn; ++col) {
      const std::string text = textAt(sh_, kHeaderRow, col);
      if (text.empty() || isLeadingHeader(text) ||
          leadingNumber(halfWidthNumberText(textAt(sh_, SS::rawFullMarkRow, col))) <= 0)
        continue;
      add(at(kHeaderRow, col),
          expectedHeader() + "；这里是 " + headerUpTo(col) + "，“" + text +
              "”上方有原始满分，却在前三列里，不会被当作科目统计。请补上缺少的列，让科目从 " +
              columnName(kFirstSubjectColumn) + " 列开始",
          true);
      return true;
    }
    const int last = kFirstSubjectColumn + std::min(shape_.subjects, ModelLimits::subjectColumns);
    for (int col = kFirstSubjectColumn; col < last; ++col) {
      const std::string text = textAt(sh_, kHeaderRow, col);
      const bool leading = isLeadingHeader(text);
      if (!leading && !holdsNoScores(col)) continue;
      add(at(kHeaderRow, col),
          expectedHeader() + "；这里是 " + headerUpTo(col) + "，“" + text + "”" +
              (leading ? "" : "列不是分数，却") +
              "会被当作科目。请删去多出的列（或把它移到所有科目之后），让科目从 " +
              columnName(kFirstSubjectColumn) + " 列开始",
          true);
      return true;
    }
    return false;
  }

  void header(bool misplaced) {
    constexpr int most = ModelLimits::subjects;
    if (shape_.subjects > most)
      add(at(kHeaderRow, kFirstSubjectColumn + most),
          "共有 " + std::to_string(shape_.subjects) + " 个科目，统计科目不能超过 " +
              std::to_string(most) + " 个",
          true);
    // The loading keeps header texts in 20 slots and adds "总分", "班排", "校排" after them.
    int filled = 0;
    while (filled <= kMaxHeaderColumns && !textAt(sh_, kHeaderRow, filled + 1).empty()) ++filled;
    constexpr int kKept = kMaxHeaderColumns - int{SS::addedHeaders.size()};
    if (filled > kKept)
      add(at(kHeaderRow, filled > kMaxHeaderColumns ? kMaxHeaderColumns + 1 : filled),
          "表头连续 " +
              (filled > kMaxHeaderColumns ? "超过 " + std::to_string(kMaxHeaderColumns)
                                          : std::to_string(filled)) +
              " 列，最多 " + std::to_string(kKept) + " 列（程序还要在后面加上总分、班排、校排）",
          true);
    if (shape_.subjects == 0 && !misplaced)
      add(at(kHeaderRow, kFirstSubjectColumn),
          "从 " + columnName(kFirstSubjectColumn) + " 列开始没有科目表头", true);
    if (shape_.students == 0)
      add(at(SS::firstStudentRow, SS::seatColumn),
          "没有学生：从第 " + std::to_string(SS::firstStudentRow) + " 行起，" + seatAndName() +
              " 两列为空的第一行就是名单的结尾");
    const int lastRow = kHeaderRow + shape_.students;
    // The reader keeps no rows below those the loading can count: the list may go on there.
    const auto* memory = dynamic_cast<const host::MemorySheet*>(&sh_);
    const bool goesOn = memory && lastRow >= memory->rowsRead();
    if (lastRow >= kFirstRowBeyondCount)
      add(at(kFirstRowBeyondCount, SS::seatColumn),
          "名单一直排到第 " + std::to_string(lastRow) + (goesOn ? " 行以下（" : " 行（") +
              seatAndName() + " 两列不空），超出了程序能数的 " +
              std::to_string(kFirstRowBeyondCount - 1) +
              " 行，一个学生也不会载入。请删去名单下方多余的内容",
          true);
  }

  // The first row whose B and C are both empty ends the list: students typed below it after a
  // blank row (between classes, say) are never loaded.
  void rowsBelowTheList() {
    const auto* memory = dynamic_cast<const host::MemorySheet*>(&sh_);
    if (!memory) return;
    const int end = SS::firstStudentRow + shape_.students;
    const int lastScore = kFirstSubjectColumn + shape_.subjects - 1;
    int rows = 0, firstRow = 0, firstCol = 0;
    memory->forEachRow(
        [&](int row, std::span<const std::pair<int, host::Cell>> cells, const host::CellFormat*) {
          if (row <= end) return;
          for (const auto& [col, cell] : cells) {
            if (col < SS::nameColumn || col > std::max<int>(SS::nameColumn, lastScore) ||
                textOf(cell.value).empty())
              continue;
            if (!rows++) {
              firstRow = row;
              firstCol = col;
            }
            return;
          }
        });
    if (rows)
      add(at(firstRow, firstCol),
          "第 " + std::to_string(end) + " 行的 " + seatAndName() +
              " 两列都为空，名单到此结束；下面从第 " + std::to_string(firstRow) + " 行起还有 " +
              std::to_string(rows) + " 行有姓名或分数，这些学生不会被统计。请删去名单中间的空行");
  }

  // Students go to the class their own class cell names; a row without a class is left out.
  // A class split over the sheet is counted right, so it is only noted with the layout.
  void classRows(bool misplaced) {
    const int col = classColumn(sh_);
    if (col == 0) {
      if (!misplaced) add(at(kHeaderRow, 1), "前三列中没有“班级”表头，无法分班", true);
      return;
    }
    std::map<std::string, int> sizes;
    std::map<std::string, std::vector<std::pair<std::string, int>>> spellings;  // first rows
    std::string current;
    int blanks = 0, firstUntold = 0;
    for (int i = 1; i <= shape_.students; ++i) {
      const int row = kHeaderRow + i;
      const std::string name = textAt(sh_, row, col);
      if (name.empty()) {
        if (++blanks <= kBlankClassesTold)
          add(at(row, col), "班级为空：这名学生不会被统计");
        else if (!firstUntold)
          firstUntold = row;
        continue;
      }
      const int size = ++sizes[name];
      if (size == 1) spellings[classNameKey(name)].emplace_back(name, row);
      if (size == ModelLimits::studentsPerClass + 1)
        add(at(row, col),
            name + "的第 " + std::to_string(size) + " 名学生：每班不能超过 " +
                std::to_string(ModelLimits::studentsPerClass) + " 人",
            true);
      if (size == 1 && sizes.size() == ModelLimits::classes + 1)
        add(at(row, col),
            "第 " + std::to_string(sizes.size()) + " 个班“" + name + "”：班数不能超过 " +
                std::to_string(ModelLimits::classes),
            true);
      if (name == current) continue;
      if (size > 1)
        report_.layout.push_back("注意：" + at(row, col) + " 起又是“" + name +
                                 "”的学生，这个班没有排在一起（统计按班级列归班，结果不受影响）");
      current = name;
    }
    if (firstUntold)
      add(at(firstUntold, col), "另有 " + std::to_string(blanks - kBlankClassesTold) +
                                    " 行班级为空（从这一格起），这些学生都不会被统计");
    for (const auto& [key, names] : spellings) {
      if (names.size() < 2) continue;
      std::string listed;
      for (const auto& [name, row] : names)
        listed += (listed.empty() ? "" : "和") + ("“" + name + "”（" + std::to_string(sizes[name]) +
                                                  " 人，从 " + at(row, col) + " 起）");
      add(at(names[1].second, col),
          listed + "只差空格、全角/半角或大小写，看起来是同一个班，却会被分成 " +
              std::to_string(names.size()) + " 个班统计。请统一班级的写法");
    }
  }

  void subjectColumn(int col) {
    const std::string subject = textAt(sh_, kHeaderRow, col);
    const Variant fullCell = sh_.cell(SS::rawFullMarkRow, col);
    const double rawFull = leadingNumber(halfWidthNumberText(textOf(fullCell)));
    if (rawFull == 0)
      add(at(SS::rawFullMarkRow, col),
          "“" + subject + "”的原始满分" + (fullCell.isEmpty() ? std::string("没有填写") : "为 0") +
              "：这一科的分数无法换算",
          true);
    for (int i = 1; i <= shape_.students; ++i) {
      const int row = kHeaderRow + i;
      const Variant v = sh_.cell(row, col);
      if (v.isEmpty() && hasFormula(row, col))
        add(at(row, col),
            "公式没有保存计算结果（文件不是由电子表格程序保存的？），会按缺考处理。"
            "请用电子表格程序打开并保存一次");
      if (v.isEmpty() || (v.isText() && scoreText(v.text()).empty())) continue;
      const auto score = scoreValue(v);
      if (!score) {
        // The loading reads the leading number of the cell's text: "缺勤" is 0, "85分" is 85.
        const std::string text = scoreText(textOf(v));
        const std::string read = doubleText(leadingNumber(text));
        if (fullStopForPoint(text))
          add(at(row, col),
              "“" + textOf(v) + "”中的“。”不是小数点，会按 " + read + " 分计算。小数点请用“.”");
        else
          add(at(row, col),
              "“" + textOf(v) + "”不是分数，会按 " + read + " 分计算（缺考请留空或写“缺考”）");
      } else if (*score < 0) {
        add(at(row, col), "分数 " + doubleText(*score) + " 是负数");
      } else if (rawFull > 0 && *score > rawFull) {
        add(at(row, col), "分数 " + doubleText(*score) + " 超过了" + subject + "的原始满分 " +
                              doubleText(rawFull));
      }
    }
  }

  const host::Worksheet& sh_;
  const ScoreSheetShape& shape_;
  CheckReport& report_;
};

}  // namespace

ScoreSheetShape scoreSheetShape(const host::Worksheet& sh) {
  ScoreSheetShape shape;
  for (int col = kFirstSubjectColumn;; ++col) {
    const std::string header = textAt(sh, kHeaderRow, col);
    if (endsSubjects(header) || col > host::kMaxColumns - 1) break;
    shape.subjectNames.push_back(header);
  }
  shape.subjects = static_cast<int>(shape.subjectNames.size());
  int row = SS::firstStudentRow;
  while (row <= host::kMaxRows && isStudentRow(sh, row)) ++row;
  shape.students = row - SS::firstStudentRow;

  if (const int col = classColumn(sh)) {
    for (int i = 1; i <= shape.students; ++i) {
      const std::string name = textAt(sh, kHeaderRow + i, col);
      if (name.empty()) continue;
      auto it = std::find_if(shape.classes.begin(), shape.classes.end(),
                             [&](const auto& c) { return c.first == name; });
      if (it == shape.classes.end())
        shape.classes.emplace_back(name, 1);
      else
        ++it->second;
    }
  }
  return shape;
}

bool checkScoreSheet(const host::Worksheet& sh, const ScoreSheetShape& shape, CheckReport& report) {
  return ScoreSheetCheck(sh, shape, report).run();
}

}  // namespace valdrex
