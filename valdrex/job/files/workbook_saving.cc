#include "valdrex/job/files/workbook_saving.h"

#include <filesystem>
#include <new>

#include "valdrex/io/atomic_file.h"
#include "valdrex/io/io_error.h"
#include "valdrex/io/lock_files.h"
#include "valdrex/io/package_check.h"
#include "valdrex/io/write_limits.h"
#include "valdrex/io/written_mark.h"
#include "valdrex/io/xlsx_writer.h"
#include "valdrex/job/files/output_paths.h"
#include "valdrex/job/files/workbook_files.h"

namespace valdrex {

namespace {

SaveResult refused(JobStatus status, std::string problem, Advice advice = Advice::none) {
  SaveResult r;
  r.status = status;
  r.problem = std::move(problem);
  r.advice = advice;
  return r;
}

std::string internalProblem(const std::string& what) {
  return "内部错误：" + what + "。没有写入任何文件。请把工作簿和这条消息交给维护者。";
}

}  // namespace

SaveResult saveRefusal(const host::MemoryWorkbook& wb, const SaveRequest& request) {
  const std::string& target = request.target;
  if (std::string problem = outputProblem(target); !problem.empty())
    return refused(JobStatus::badRequest, problem);
  if (std::string problem = io::fileNameProblem(io::writesMacroWorkbook(wb), target);
      !problem.empty())
    return refused(JobStatus::badRequest, "不能写入 " + target + "：" + problem);
  std::error_code ec;
  const bool exists = std::filesystem::exists(target, ec);
  if (request.newWorkbook && exists && !request.force)
    return refused(JobStatus::badRequest, "文件 " + target + " 已经存在，没有覆盖。",
                   Advice::replaceExisting);
  if (std::string problem = io::refusalOf(target); !problem.empty())
    return refused(JobStatus::unwritable,
                   writeProblem(io::FileError::writing(target, problem).what()));
  if (!request.force)
    if (auto lock = io::lockFileBeside(target))
      return refused(JobStatus::unwritable,
                     "不能写入 " + target + "：它可能正在电子表格程序里打开（旁边有锁文件 " +
                         *lock + "），写入会和程序里的修改互相覆盖。",
                     Advice::closeOrForce);
  try {
    io::refuseUnwritable(wb, target);
  } catch (const io::FileError& e) {
    return refused(JobStatus::unwritable, writeProblem(e.what()));
  }
  return {};
}

SaveResult saveWorkbook(const host::MemoryWorkbook& wb, const SaveRequest& request) {
  SaveResult result = saveRefusal(wb, request);
  if (result.status != JobStatus::ok) return result;
  const std::string& target = request.target;
  std::error_code ec;
  try {
    if (request.inPlace) {
      result.backupPath = copyAsBackup(target);
    } else if (std::filesystem::exists(target, ec) && !io::unchangedResult(target)) {
      result.backupPath = copyAsBackup(target);
      result.earlierKept = true;
    }
  } catch (const io::FileError& e) {
    return refused(JobStatus::unwritable, writeProblem(e.what()));
  }
  // A backup made for a file that stays as it was only gets in the way.
  auto dropBackup = [&] {
    if (!result.backupPath.empty()) std::filesystem::remove(result.backupPath, ec);
    result.backupPath.clear();
    result.earlierKept = false;
  };
  try {
    io::writeWorkbook(wb, target, request.result);
    result.resultPath = target;
  } catch (const io::FileError& e) {
    dropBackup();
    return refused(JobStatus::unwritable, writeProblem(e.what()));
  } catch (const std::bad_alloc&) {
    dropBackup();
    return refused(JobStatus::unwritable,
                   "无法保存工作簿 " + target + "：内存不足。请关闭其他程序后重试。");
  } catch (const std::exception& e) {
    dropBackup();
    return refused(JobStatus::internal, internalProblem(e.what()));
  }
  return result;
}

}  // namespace valdrex
