#include "io/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "io/io_error.h"

namespace valdrex::io {
namespace {

namespace fs = std::filesystem;

std::string systemError() { return std::strerror(errno); }

std::string folderOf(const std::string& target) {
  fs::path parent = fs::path(target).parent_path();
  return parent.empty() ? std::string(".") : parent.string();
}

// The umask can only be learnt by setting it; that is done once, before any thread writes.
mode_t newFileMode() {
  static const mode_t mode = [] {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
  }();
  return mode;
}

void syncPath(const std::string& path, int flags) {
  int fd = ::open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

TempFile::TempFile(const std::string& target, const std::string& tag) {
  std::string pattern =
      folderOf(target) + "/." + fs::path(target).filename().string() + "." + tag + ".XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  int fd = ::mkstemp(name.data());
  if (fd < 0) throw FileError::writing(target, "无法在目标文件夹中创建临时文件（" + systemError() + "）");
  ::close(fd);
  path_ = name.data();
}

TempFile::~TempFile() {
  if (!path_.empty()) ::unlink(path_.c_str());
}

void writeAtomically(const std::string& target,
                     const std::function<void(const std::string& tempPath)>& write) {
  const std::string folder = folderOf(target);
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) throw FileError::writing(target, "文件夹 " + folder + " 不存在");
  if (fs::is_directory(target, ec)) throw FileError::writing(target, "同名的文件夹已经存在");

  struct stat existing {};
  bool exists = ::stat(target.c_str(), &existing) == 0;
  // Renaming over a file needs no write permission on it: honour its read-only mode ourselves,
  // as writing into it would.
  if (exists && (existing.st_mode & 0222) == 0)
    throw FileError::writing(target, "文件是只读的，不会改写它。请去掉只读属性，或另选一个文件名");
  TempFile temp(target, "tmp");
  write(temp.path());
  ::chmod(temp.path().c_str(), exists ? (existing.st_mode & 07777) : newFileMode());
  syncPath(temp.path(), O_RDONLY);
  if (::rename(temp.path().c_str(), target.c_str()) != 0)
    throw FileError::writing(target, "无法替换文件（" + systemError() + "）");
  temp.release();
  syncPath(folder, O_RDONLY | O_DIRECTORY);
}

}  // namespace valdrex::io
