#include "cli/generate_commands.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <stdexcept>

#include "cli/exit_codes.h"
#include "cli/workbook_io.h"
#include "valdrex/job/output_paths.h"
#include "valdrex/job/workbook_files.h"

namespace valdrex::cli {

namespace {

int generate(const std::string& out, bool force, std::ostream& stdOut, std::ostream& err,
             const std::function<std::unique_ptr<host::MemoryWorkbook>()>& make,
             const std::string& command, const std::string& what) {
  std::string problem = newWorkbookNameProblem(out);
  if (problem.empty()) problem = outputProblem(out);
  if (!problem.empty()) {
    err << problem << '\n';
    return kExitBadArguments;
  }
  std::error_code ec;
  // A teacher's own workbook is easily named by mistake; it is not overwritten unasked.
  if (!force && std::filesystem::exists(out, ec)) {
    err << "文件 " << out << " 已经存在，没有覆盖。请换一个文件名，或加 --force 覆盖它。\n";
    return kExitBadArguments;
  }
  std::unique_ptr<host::MemoryWorkbook> wb;
  try {
    wb = make();
  } catch (const std::invalid_argument& e) {
    err << "参数有误：" << e.what() << "。\n请运行 valdrex " << command << " --help 查看用法。\n";
    return kExitBadArguments;
  }
  if (!writeWorkbookOrTell(*wb, out, err)) return kExitUnwritable;
  stdOut << "已写入" << what << " " << out << '\n';
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
