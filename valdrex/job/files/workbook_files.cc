#include "valdrex/job/files/workbook_files.h"

#include <algorithm>
#include <filesystem>

#include "valdrex/io/atomic_file.h"
#include "valdrex/io/io_error.h"
#include "valdrex/job/files/output_paths.h"

namespace valdrex {

namespace {

std::string withAdvice(const std::string& message, const std::string& advice) {
  return message.find("请") == std::string::npos ? message + "。" + advice : message;
}

}  // namespace

std::string readProblem(const std::string& fileError) {
  return withAdvice(
      fileError,
      "请确认文件存在，并且是 .xlsx 或 .xlsm 工作簿（其他格式请先用电子表格程序另存为 "
      ".xlsx）后重试。");
}

std::string writeProblem(const std::string& fileError) {
  return withAdvice(fileError, "请确认文件夹存在且可以写入、文件没有被其他程序打开，然后重试。");
}

std::string copyAsBackup(const std::string& input) {
  return io::writeAsNewFile(
      [&](int n) { return backupPath(input, n); },
      [&](const std::string& temp) { io::copyInto(input, temp, backupPath(input)); });
}

}  // namespace valdrex
