// The exit statuses of the valdrex command; a larger status is a worse outcome.
#pragma once

#include <algorithm>

namespace valdrex::cli {

enum ExitCode : int {
  kExitOk = 0,
  kExitProblem = 1,  // finished, but a message reported a problem, or check found some
  kExitBadArguments = 2,
  kExitUnreadable = 3,  // a workbook could not be read or holds no score sheet
  kExitUnwritable = 4,  // the result could not be written
  kExitInternal = 5,
};

inline int worseExit(int a, int b) { return std::max(a, b); }

// The table printed under --help and in the README.
inline constexpr const char* kExitCodeHelp =
    "退出码：\n"
    "  0  成功\n"
    "  1  统计完成，但有提示报告了问题（如超出限制、分段格式错误）；check 发现了问题\n"
    "  2  参数有误\n"
    "  3  无法读取工作簿，或工作簿里找不到成绩表\n"
    "  4  无法写入结果\n"
    "  5  程序内部错误\n";

}  // namespace valdrex::cli
