#include "cli/generate_commands.h"

#include <memory>
#include <ostream>

#include "cli/advice_words.h"
#include "cli/exit_codes.h"

namespace valdrex::cli {

namespace {

int save(std::unique_ptr<WorkbookJob> job, const JobOutcome& failure, const std::string& out,
         bool force, std::ostream& stdOut, std::ostream& err, std::string_view command,
         const std::string& what) {
  if (!job) {
    err << problemLine(failure, command) << '\n';
    return static_cast<int>(failure.status);
  }
  const JobOutcome& saved = job->saveAs(out, force);
  if (!saved.problem.empty()) {
    err << problemLine(saved, command) << '\n';
    return static_cast<int>(saved.status);
  }
  stdOut << "已写入" << what << " " << out
         << (saved.backupPath.empty() ? "" : "（原有的文件备份为 " + saved.backupPath + "）")
         << '\n';
  return kExitOk;
}

}  // namespace

int sampleCommand(const std::string& out, const SampleOptions& options, bool force,
                  std::ostream& stdOut, std::ostream& err) {
  JobOutcome failure;
  return save(WorkbookJob::sample(options, failure), failure, out, force, stdOut, err, "sample",
              "示例工作簿（" + std::to_string(options.classes) + " 个班，每班 " +
                  std::to_string(options.students) + " 人，" + std::to_string(options.subjects) +
                  " 个科目）");
}

int templateCommand(const std::string& out, const TemplateOptions& options, bool force,
                    std::ostream& stdOut, std::ostream& err) {
  JobOutcome failure;
  return save(WorkbookJob::blankTemplate(options, failure), failure, out, force, stdOut, err,
              "template",
              "空白模板（" + std::to_string(options.subjects.size()) + " 个科目，" +
                  std::to_string(options.classes) + " 个班）");
}

}  // namespace valdrex::cli
