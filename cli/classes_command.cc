#include "cli/classes_command.h"

#include <ostream>

#include "automation/valdrex_cls.h"
#include "cli/exit_codes.h"
#include "cli/output_paths.h"
#include "cli/workbook_files.h"
#include "cli/workbook_sheets.h"
#include "host/scripted_ui.h"
#include "io/io_error.h"

namespace valdrex::cli {

int classesCommand(const std::string& path, const std::optional<std::string>& sheet,
                   const std::optional<std::string>& output, std::ostream& out, std::ostream& err) {
  const std::string target = output.value_or(path);
  std::string problem = outputProblem(target);
  if (problem.empty() && output && sameFile(*output, path))
    problem = "-o 指向了输入的工作簿 " + path + "。原文件不会被覆盖：请换一个文件名，或去掉 -o" +
              "（会先备份原工作簿再改写它）。";
  if (!problem.empty()) {
    err << "参数有误：" << problem << '\n';
    return kExitBadArguments;
  }

  auto wb = readWorkbookOrTell(path, err);
  if (!wb) return kExitUnreadable;
  host::MemorySheet* scoreSheet = findScoreSheet(*wb, sheet);
  if (!scoreSheet) {
    err << (sheet ? "工作簿里没有名为“" + *sheet + "”的工作表（现有：" + sheetList(*wb) +
                        "）。请用 --sheet 指定成绩表的名字。"
                  : "工作簿里找不到成绩表（现有：" + sheetList(*wb) + "）。请先加入成绩表。")
        << '\n';
    return sheet ? kExitBadArguments : kExitUnreadable;
  }
  host::MemorySheet* propertySheet = wb->find(kPropertySheet);
  if (!propertySheet) {
    err << "工作簿里没有“属性表”，无法列出班级。请加入名为“属性表”的工作表（可参照 valdrex "
           "template 生成的模板）后重试。\n";
    return kExitProblem;
  }

  host::ScriptedUi ui;
  host::FixedClock clock;
  host::RecordingLauncher launcher;
  host::BasicApplication app(ui, clock, launcher, wb.get());
  ValdrexCls vd(app);
  vd.初始化(*scoreSheet);
  const int classes = vd.F班级数(*scoreSheet, *propertySheet);
  if (!ui.dialogs().empty()) {
    // A stopped loading leaves a partial class list; writing it would lose the teacher's rows.
    for (const auto& d : ui.dialogs()) err << "【" << d.title << "】" << d.prompt << '\n';
    err << "班级没有列出，工作簿未改动。请先修正成绩表（可运行 valdrex check 查看问题）。\n";
    return kExitProblem;
  }
  std::string backup;
  try {
    if (!output) backup = copyAsBackup(path);
  } catch (const io::FileError& e) {
    err << writeProblem(e.what()) << '\n';
    return kExitUnwritable;
  }
  if (!writeWorkbookOrTell(*wb, target, err)) return kExitUnwritable;

  std::string names;
  for (int c = 1; c <= classes; ++c) names += (c > 1 ? "、" : "") + vd.gradeBook().classNames(c);
  out << "找到 " << classes << " 个班：" << names << "。已写入“属性表”第 18 行起的 A 列，并保存 "
      << target << (backup.empty() ? "" : "（原文件备份为 " + backup + "）") << "\n";
  return kExitOk;
}

}  // namespace valdrex::cli
