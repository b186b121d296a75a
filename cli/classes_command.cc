#include "cli/classes_command.h"

#include <ostream>

#include "cli/exit_codes.h"
#include "cli/workbook_io.h"
#include "valdrex/io/io_error.h"
#include "valdrex/job/class_rows.h"
#include "valdrex/job/output_paths.h"
#include "valdrex/job/workbook_files.h"
#include "valdrex/job/workbook_saving.h"
#include "valdrex/job/workbook_sheets.h"

namespace valdrex::cli {

int classesCommand(const std::string& path, const std::optional<std::string>& sheet,
                   const std::optional<std::string>& output, bool force, std::ostream& out,
                   std::ostream& err) {
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
    err << scoreSheetMissing(*wb, sheet) << "。请先加入成绩表，或用 --sheet 指定它的名字。\n";
    return sheet ? kExitBadArguments : kExitProblem;
  }
  host::MemorySheet* propertySheet = wb->find(PropertySheetLayout::name);
  if (!propertySheet) {
    err << propertySheetMissing(*wb)
        << "，无法列出班级。请加入名为“属性表”的工作表（可参照 valdrex template "
           "生成的模板）后重试。\n";
    return kExitProblem;
  }

  const ClassListing listing = listClasses(*wb, *scoreSheet, *propertySheet);
  if (!listing.messages.empty()) {
    for (const std::string& message : listing.messages) err << message << '\n';
    err << "班级没有列出，工作簿未改动。请先修正成绩表（可运行 valdrex check 查看问题）。\n";
    return kExitProblem;
  }
  const ClassRowMoves& moves = listing.moves;

  const SaveResult saved =
      saveWorkbook(*wb, {.target = target, .inPlace = !output, .force = force});
  if (saved.status != JobStatus::ok) {
    err << saved.problem << '\n';
    return static_cast<int>(saved.status);
  }
  const std::string& backup = saved.backupPath;
  out << "找到 " << listing.classes.size() << " 个班：" << listedNames(listing.classes)
      << "。已写入" << classListPlace() << (moves.moved ? "，各班的任课教师随班级移到了新的行" : "")
      << "，并保存 " << target
      << (backup.empty() ? ""
          : output       ? "（已有的 " + target + " 备份为 " + backup + "）"
                         : "（原文件备份为 " + backup + "）")
      << "\n";
  for (const std::string& line : classMoveLines(moves, output || backup.empty() ? path : backup))
    out << line << "\n";
  return kExitOk;
}

}  // namespace valdrex::cli
