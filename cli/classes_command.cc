#include "cli/classes_command.h"

#include <ostream>

#include "cli/advice_words.h"
#include "cli/exit_codes.h"
#include "valdrex/job/class_rows.h"
#include "valdrex/job/workbook_job.h"

namespace valdrex::cli {

int classesCommand(const std::string& path, const std::optional<std::string>& sheet,
                   const std::optional<std::string>& output, bool force, std::ostream& out,
                   std::ostream& err) {
  JobOutcome failure;
  auto job = WorkbookJob::open(path, failure);
  if (!job) {
    err << problemLine(failure) << '\n';
    return static_cast<int>(failure.status);
  }
  auto failed = [&](const JobOutcome& outcome) {
    for (const std::string& warning : outcome.warnings) err << warning << '\n';
    err << problemLine(outcome) << '\n';
    return static_cast<int>(outcome.status);
  };
  // Where the workbook goes is checked before anything is read into it.
  if (!job->canSave(output.value_or(""), !output, force)) return failed(job->outcome());
  if (const JobOutcome& listed = job->listClasses(sheet); !listed.problem.empty())
    return failed(listed);
  const JobOutcome& saved = output ? job->saveAs(*output, force) : job->saveInPlace(force);
  if (!saved.problem.empty()) return failed(saved);

  const std::string& backup = saved.backupPath;
  out << "找到 " << saved.classNames.size() << " 个班：" << listedNames(saved.classNames)
      << "。已写入" << classListPlace()
      << (saved.classMoves.moved ? "，各班的任课教师随班级移到了新的行" : "") << "，并保存 "
      << saved.resultPath
      << (backup.empty() ? ""
          : output       ? "（已有的 " + saved.resultPath + " 备份为 " + backup + "）"
                         : "（原文件备份为 " + backup + "）")
      << "\n";
  for (const std::string& line :
       classMoveLines(saved.classMoves, output || backup.empty() ? path : backup))
    out << line << "\n";
  return kExitOk;
}

}  // namespace valdrex::cli
