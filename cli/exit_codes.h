// The exit statuses of the valdrex command: a workbook job's statuses; a larger one is worse.
#pragma once

#include <algorithm>

#include "valdrex/job/workbook_job.h"

namespace valdrex::cli {

enum ExitCode : int {
  kExitOk = static_cast<int>(JobStatus::ok),  // written, nothing for the teacher to act on
  // A warning or a message the teacher must read; a refused result; check found something.
  kExitProblem = static_cast<int>(JobStatus::attention),
  kExitBadArguments = static_cast<int>(JobStatus::badRequest),  // nothing written
  kExitUnreadable = static_cast<int>(JobStatus::unreadable),    // a workbook could not be read
  kExitUnwritable = static_cast<int>(JobStatus::unwritable),    // the result could not be written
  kExitInternal = static_cast<int>(JobStatus::internal),
};

inline int worseExit(int a, int b) { return std::max(a, b); }

// The table printed under --help and in the README.
inline constexpr const char* kExitCodeHelp =
    "退出码：\n"
    "  0  成功，没有警告\n"
    "  1  有警告或需要阅读的提示（结果已写入，摘要中列出）；结果不会正确而没有写入（如超出限制、\n"
    "     缺少成绩表或属性表，或 --strict 下有警告）；check 发现了问题\n"
    "  2  参数有误，没有写入任何文件\n"
    "  3  无法读取工作簿\n"
    "  4  无法写入结果\n"
    "  5  程序内部错误\n";

}  // namespace valdrex::cli
