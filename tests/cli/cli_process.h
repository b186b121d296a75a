// Running the built valdrex program in a scratch folder, and reading its results independently.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/sample_workbook.h"
#include "io/xlsx_writer.h"

extern char** environ;

namespace valdrex::cli::testing {

namespace fs = std::filesystem;

inline std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void spit(const fs::path& p, const std::string& bytes) {
  std::ofstream(p, std::ios::binary) << bytes;
}

// A fresh folder per test, removed afterwards.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (fs::temp_directory_path() / "valdrex-cli-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~ScratchFolder() { fs::remove_all(path_); }
  fs::path operator/(const std::string& name) const { return path_ / name; }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

struct Outcome {
  int status = -1;
  std::string out, err;
};

// Runs valdrex with `args` in `folder`; standard input is a file holding `input` (never a
// terminal).
inline Outcome valdrex(const ScratchFolder& folder, std::vector<std::string> args,
                       const std::string& input = "") {
  spit(folder / ".stdin", input);
  args.insert(args.begin(), VALDREX_BIN);
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const std::string in = (folder / ".stdin").string(), out = (folder / ".stdout").string(),
                    err = (folder / ".stderr").string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addchdir_np(&actions, folder.path().c_str());
  pid_t pid = 0;
  Outcome o;
  if (posix_spawn(&pid, VALDREX_BIN, &actions, nullptr, argv.data(), environ) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    o.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  posix_spawn_file_actions_destroy(&actions);
  o.out = slurp(out);
  o.err = slurp(err);
  return o;
}

// A small sample workbook written to `path`.
inline void writeSample(const fs::path& path, SampleOptions options = {3, 8, 3, 7}) {
  io::writeWorkbook(*sampleWorkbook(options), path.string());
}

inline bool havePython() {
  return std::system("/usr/bin/python3 -c 'import openpyxl' >/dev/null 2>&1") == 0;
}

// Runs a Python snippet with openpyxl imported and `wb` loaded from `path`; returns its output.
inline std::string python(const fs::path& path, const std::string& code) {
  const fs::path script = path.parent_path() / ".check.py";
  spit(script, "import openpyxl, sys\nwb = openpyxl.load_workbook(sys.argv[1])\n" + code + "\n");
  const std::string command =
      "/usr/bin/python3 '" + script.string() + "' '" + path.string() + "' 2>&1";
  std::string output;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
    pclose(pipe);
  }
  return output;
}

#define REQUIRE_PYTHON() \
  if (!havePython()) GTEST_SKIP() << "python3 with openpyxl is needed to read the results"

}  // namespace valdrex::cli::testing
