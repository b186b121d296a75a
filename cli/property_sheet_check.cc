#include "cli/property_sheet_check.h"

#include <algorithm>

#include "cli/cell_name.h"
#include "cli/workbook_sheets.h"
#include "host/failure.h"

namespace valdrex::cli {

namespace {

constexpr int kFirstClassRow = 18;
constexpr int kMaxClassRows = 20;

const char* const kLineNames[4] = {"满分", "优秀线", "及格线", "低分线"};

class PropertySheetCheck {
 public:
  PropertySheetCheck(const host::Worksheet& sx, int subjects, CheckReport& report)
      : sx_(sx), lastColumn_(std::min(subjects, 12) + 2), report_(report) {}

  void lines() {
    for (int col = 2; col <= lastColumn_; ++col) {
      for (int r = 0; r < 4; ++r) {
        auto value = convert(
            3 + r, col, [](const Variant& v) { return double(cellToInteger(v)); },
            std::string(kLineNames[r]) + "应为整数");
        if (r == 0 && value && *value == 0)
          add(at(3, col),
              "满分为 0（没有填写？）：" + columnName(col) + " 列这一科的分数都会换算成 0");
      }
      for (int row = 9; row <= 15; ++row)
        convert(
            row, col, [](const Variant& v) { return double(cellToSingle(v)); }, "权重应为数字");
    }
  }

  void classRows(const std::vector<std::string>& classNames) {
    for (int i = 0; i <= kMaxClassRows; ++i) {
      const int row = kFirstClassRow + i;
      const std::string name = textOf(sx_.cell(row, 1));
      if (name.empty()) return;
      if (i == kMaxClassRows) {
        add(at(row, 1), "班级行超过 20 行（第 18 到 37 行）", true);
        return;
      }
      // Teachers are matched to classes by position, not by name.
      if (i < static_cast<int>(classNames.size()) && name != classNames[i])
        add(at(row, 1), "这一行是“" + name + "”，但成绩表中第 " + std::to_string(i + 1) +
                            " 个班是“" + classNames[i] +
                            "”：任课教师会对应到别的班。可运行 valdrex classes 重新列出班级");
    }
  }

 private:
  void add(std::string place, std::string text, bool stops = false) {
    report_.findings.push_back({std::move(place), std::move(text), stops});
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

void checkPropertySheet(const host::Worksheet* sx, int subjects,
                        const std::vector<std::string>& classNames, CheckReport& report) {
  if (!sx) {
    report.findings.push_back(
        {std::string(kPropertySheet),
         "缺少“属性表”：统计会在载入时停下。可参照 valdrex template 生成的模板加上它", true});
    return;
  }
  PropertySheetCheck check(*sx, subjects, report);
  check.lines();
  check.classRows(classNames);
}

}  // namespace valdrex::cli
