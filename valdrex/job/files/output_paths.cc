#include "valdrex/job/files/output_paths.h"

#include <algorithm>
#include <filesystem>

#include "valdrex/io/atomic_file.h"

namespace valdrex {

namespace fs = std::filesystem;

namespace {

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

std::string besideWithSuffix(const std::string& input, const std::string& suffix,
                             const std::string& extension) {
  fs::path p(input);
  fs::path name = p.stem().string() + suffix + extension;
  return (p.parent_path() / name).string();
}

}  // namespace

std::string resultPath(const std::string& input) {
  std::string ext = fs::path(input).extension().string();
  return besideWithSuffix(input, "-统计结果", lower(ext) == ".xlsm" ? ext : ".xlsx");
}

std::string backupPath(const std::string& input, int n) {
  return besideWithSuffix(input, n > 1 ? "-备份-" + std::to_string(n) : "-备份",
                          fs::path(input).extension().string());
}

std::string freeBackupPath(const std::string& input) {
  for (int n = 1;; ++n) {
    std::error_code ec;
    const fs::file_type type = fs::symlink_status(backupPath(input, n), ec).type();
    if (type == fs::file_type::not_found || type == fs::file_type::none)
      return backupPath(input, n);
  }
}

std::string outputProblem(const std::string& path) {
  if (path.empty()) return "结果文件名不能为空。请写出结果文件的名字。";
  std::string problem = io::replaceProblem(path);
  if (problem.empty()) return "";
  return "不能写入 " + path + "：" + problem + "。请另选一个文件名。";
}

bool sameFile(const std::string& a, const std::string& b) {
  std::error_code ea, eb;
  if (fs::exists(a, ea) && fs::exists(b, eb)) return fs::equivalent(a, b, ea) && !ea;
  fs::path ca = fs::weakly_canonical(fs::absolute(a, ea), ea);
  fs::path cb = fs::weakly_canonical(fs::absolute(b, eb), eb);
  if (ea || eb) return fs::absolute(a).lexically_normal() == fs::absolute(b).lexically_normal();
  return ca == cb;
}

std::string displayName(const std::string& path) {
  std::string name = fs::path(path).filename().string();
  return name.empty() ? path : name;
}

}  // namespace valdrex
