// The exit statuses of the valdrex command; a larger status is a worse outcome.
#pragma once

#include <algorithm>

namespace valdrex::cli {

enum ExitCode : int {
  kExitOk = 0,       // written, nothing for the teacher to act on
  kExitProblem = 1,  // a warning or a message the teacher must read; a refused result; check found
                     // something
  kExitBadArguments = 2,  // nothing written
  kExitUnreadable = 3,    // a workbook could not be read
  kExitUnwritable = 4,    // the result could not be written
  kExitInternal = 5,
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
