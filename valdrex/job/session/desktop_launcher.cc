#include "valdrex/job/session/desktop_launcher.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>

#include "valdrex/host/failure.h"

extern char** environ;

namespace valdrex {

void DesktopLauncher::start(const std::vector<std::string>& command) {
  if (command.empty() || command.front().empty())
    throw Failure(FailureKind::HostError, "没有要启动的程序");
  std::vector<char*> argv;
  for (const std::string& part : command) argv.push_back(const_cast<char*>(part.c_str()));
  argv.push_back(nullptr);

  const std::string& program = command.front();
#ifdef __EMSCRIPTEN__
  // A page starts no programs; the workbook is the browser's download.
  throw Failure(FailureKind::HostError, "这里不能启动“" + program + "”");
#else
  pid_t pid = 0;
  int error = posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ);
  if (error != 0)
    throw Failure(FailureKind::HostError,
                  "无法启动“" + program + "”：" + std::strerror(error) + "。请安装它或检查 PATH。");
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR)
      throw Failure(FailureKind::HostError,
                    "等待“" + program + "”结束时出错：" + std::strerror(errno));
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    throw Failure(FailureKind::HostError,
                  "“" + program + "”没能打开“" + (command.size() > 1 ? command[1] : "") +
                      "”（退出状态 " +
                      std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + "）。");
#endif
}

}  // namespace valdrex
