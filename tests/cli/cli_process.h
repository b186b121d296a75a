// Running the built valdrex program in a scratch folder, and reading its results independently.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/scratch_folder.h"
#include "valdrex/io/xlsx_writer.h"
#include "valdrex/job/made/sample_workbook.h"

namespace valdrex::cli::testing {

namespace fs = std::filesystem;

using valdrex::testing::ScratchFolder;
using valdrex::testing::slurp;
using valdrex::testing::spit;

struct Outcome {
  int status = -1;
  std::string out, err;
};

inline std::string quoted(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Both streams of a shell command, together.
inline std::string outputOf(const std::string& command) {
  std::string output;
  if (FILE* pipe = popen((command + " 2>&1").c_str(), "r")) {
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
    pclose(pipe);
  }
  return output;
}

// Runs valdrex with `args` in `folder`; standard input is a file holding `input` (never a
// terminal).
inline Outcome valdrex(const ScratchFolder& folder, const std::vector<std::string>& args,
                       const std::string& input = "") {
  spit(folder / ".stdin", input);
  std::string command = "cd " + quoted(folder.path().string()) + " && " + quoted(VALDREX_BIN);
  for (const std::string& a : args) command += " " + quoted(a);
  const int status = std::system((command + " <.stdin >.stdout 2>.stderr").c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status),
          slurp(folder / ".stdout"), slurp(folder / ".stderr")};
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
  return outputOf("/usr/bin/python3 " + quoted(script.string()) + " " + quoted(path.string()));
}

#define REQUIRE_PYTHON() \
  if (!havePython()) GTEST_SKIP() << "python3 with openpyxl is needed to read the results"

}  // namespace valdrex::cli::testing
