#include "cli/generate_commands.h"

#include <functional>
#include <memory>
#include <ostream>
#include <stdexcept>

#include "cli/exit_codes.h"
#include "valdrex/job/output_paths.h"
#include "valdrex/job/workbook_files.h"
#include "valdrex/job/workbook_saving.h"

namespace valdrex::cli {

namespace {

int generate(const std::string& out, bool force, std::ostream& stdOut, std::ostream& err,
             const std::function<std::unique_ptr<host::MemoryWorkbook>()>& make,
             const std::string& command, const std::string& what) {
  // A teacher's own workbook is easily named by mistake: it is not replaced unasked, and only
  // after a backup.
  const SaveRequest request{.target = out, .newWorkbook = true, .force = force};
  if (const SaveResult refusal = saveRefusal(host::MemoryWorkbook(), request);
      refusal.status != JobStatus::ok) {
    err << refusal.problem << '\n';
    return static_cast<int>(refusal.status);
  }
  std::unique_ptr<host::MemoryWorkbook> wb;
  try {
    wb = make();
  } catch (const std::invalid_argument& e) {
    err << "参数有误：" << e.what() << "。\n请运行 valdrex " << command << " --help 查看用法。\n";
    return kExitBadArguments;
  }
  const SaveResult saved = saveWorkbook(*wb, request);
  if (saved.status != JobStatus::ok) {
    err << saved.problem << '\n';
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
  return generate(
      out, force, stdOut, err, [&] { return sampleWorkbook(options); }, "sample",
      "示例工作簿（" + std::to_string(options.classes) + " 个班，每班 " +
          std::to_string(options.students) + " 人，" + std::to_string(options.subjects) +
          " 个科目）");
}

int templateCommand(const std::string& out, const TemplateOptions& options, bool force,
                    std::ostream& stdOut, std::ostream& err) {
  return generate(
      out, force, stdOut, err, [&] { return templateWorkbook(options); }, "template",
      "空白模板（" + std::to_string(options.subjects.size()) + " 个科目，" +
          std::to_string(options.classes) + " 个班）");
}

}  // namespace valdrex::cli
