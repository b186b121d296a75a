#include "valdrex/job/checks/property_sheet_check.h"

#include <algorithm>
#include <optional>

#include "valdrex/gradebook/cell_text.h"
#include "valdrex/gradebook/class_names.h"
#include "valdrex/gradebook/sheet_layout.h"
#include "valdrex/host/failure.h"
#include "valdrex/job/session/cell_name.h"

namespace valdrex {

namespace {

using PS = PropertySheetLayout;
constexpr int kFirstClassRow = PS::firstClassRow;
constexpr int kMaxClassRows = ModelLimits::teacherRows;

const char* const kLineNames[PS::markLineRows] = {"满分", "优秀线", "及格线", "低分线"};

class PropertySheetCheck {
 public:
  PropertySheetCheck(const host::Worksheet& sx, int subjects, CheckReport& report)
      : sx_(sx),
        // The subjects' columns and the total's after them.
        lastColumn_(PS::firstSubjectColumn + std::min(subjects, ModelLimits::subjects)),
        report_(report) {}

  void lines() {
    for (int col = PS::firstSubjectColumn; col <= lastColumn_; ++col) {
      for (int r = 0; r < PS::markLineRows; ++r) {
        auto value = convert(
            PS::fullMarkRow + r, col,
            [](const Variant& v) { return double(cellToInteger(halfWidthNumberCell(v))); },
            std::string(kLineNames[r]) + "应为整数");
        if (r == 0 && value && *value == 0)
          wrong(at(PS::fullMarkRow, col),
                "满分为 0（没有填写？）：" + columnName(col) + " 列这一科的分数都会换算成 0");
      }
      for (int row = PS::firstWeightRow; row < PS::firstWeightRow + PS::weightRows; ++row)
        convert(
            row, col, [](const Variant& v) { return double(cellToSingle(halfWidthNumberCell(v))); },
            "权重应为数字");
    }
  }

  // Teachers follow their class by name (pairClassRows); only the classes left without a row of
  // their name take the rows left over by position, and those are told.
  void classRows(const std::vector<std::string>& classNames) {
    std::vector<std::string> names;
    for (int i = 0;; ++i) {
      const int row = kFirstClassRow + i;
      const std::string name = textOf(sx_.cell(row, PS::labelColumn));
      if (name.empty()) break;
      // The loading reads every class's row before it meets this one (there are no more classes
      // than rows), then stops there with its limits message.
      if (i == kMaxClassRows) {
        report_.findings.push_back(
            {at(row, PS::labelColumn),
             "班级行超过 " + std::to_string(kMaxClassRows) + " 行（第 " +
                 std::to_string(kFirstClassRow) + " 到 " +
                 std::to_string(kFirstClassRow + kMaxClassRows - 1) +
                 " 行），从这一行起多出的行不会读入；统计时会出现“程序运行错误！”的限制提示，"
                 "各报告表不受影响。请删去多出的班级行",
             false, true, true});
        break;
      }
      names.push_back(name);
    }
    const int classes = static_cast<int>(classNames.size());
    if (names.empty()) {
      if (classes > 0)
        wrong(
            at(kFirstClassRow, PS::labelColumn),
            "从第 " + std::to_string(kFirstClassRow) + " 行起没有班级行：各班的任课教师都会是空的",
            Advice::listClasses);
      return;
    }
    const ClassRowPairing pairing = pairClassRows(classNames, names);
    std::vector<int> classOfRow(names.size(), -1);
    for (int c = 0; c < classes; ++c) {
      const int i = pairing.rowOf[c];
      if (i >= 0) classOfRow[i] = c;
      const int row = kFirstClassRow + i;
      if (i < 0)
        wrong(at(kFirstClassRow + c, PS::labelColumn),
              "成绩表中的第 " + std::to_string(c + 1) + " 个班“" + classNames[c] +
                  "”在属性表的班级行里没有：它的任课教师会是空的",
              Advice::reorderClasses);
      else if (pairing.byPosition[c])
        wrong(at(row, PS::labelColumn),
              "成绩表中的“" + classNames[c] + "”在属性表的班级行里没有同名的行，这一行“" +
                  names[i] + "”是剩下的行，它的任课教师会按顺序算到“" + classNames[c] + "”名下",
              Advice::reorderClasses);
      else if (names[i] != classNames[c])
        report_.layout.push_back(
            "注意：" + at(row, PS::labelColumn) + "“" + names[i] + "”与成绩表的“" + classNames[c] +
            "”写法不同（空格、全角/半角、括号或大小写），按同一个班读入任课教师");
    }
    for (int i = 0; i < static_cast<int>(names.size()); ++i) {
      if (classOfRow[i] >= 0) continue;
      const std::string key = classNameKey(names[i]);
      int c = 0;
      while (c < classes && classNameKey(classNames[c]) != key) ++c;
      add(at(kFirstClassRow + i, PS::labelColumn),
          c < classes ? "“" + names[i] + "”的班级行重复了（成绩表中它是第 " +
                            std::to_string(c + 1) + " 个班），统计不会用到这一行"
                      : "成绩表中没有“" + names[i] + "”这个班：多余的班级行，统计不会用到");
    }
  }

 private:
  void add(std::string place, std::string text, bool stops = false) {
    report_.findings.push_back({std::move(place), std::move(text), stops});
  }
  void wrong(std::string place, std::string text, Advice advice = Advice::none) {
    report_.findings.push_back({std::move(place), std::move(text), false, true, false, advice});
  }
  std::string at(int row, int col) const { return sheetCellName(sx_.name(), row, col); }

  template <class Convert>
  std::optional<double> convert(int row, int col, Convert conversion, const std::string& what) {
    const Variant v = sx_.cell(row, col);
    try {
      return conversion(v);
    } catch (const Failure& f) {
      const bool tooLarge = f.kind() == FailureKind::Overflow;
      add(at(row, col),
          "“" + textOf(v) + "”" + (tooLarge ? "超出了范围" : "不是数字") + "：" + what, true);
      return std::nullopt;
    }
  }

  const host::Worksheet& sx_;
  const int lastColumn_;
  CheckReport& report_;
};

}  // namespace

void checkPropertySheet(const host::Worksheet& sx, int subjects,
                        const std::vector<std::string>& classNames, CheckReport& report) {
  PropertySheetCheck check(sx, subjects, report);
  check.lines();
  check.classRows(classNames);
}

}  // namespace valdrex
