#include "valdrex/io/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string_view>
#include <utility>
#include <vector>

#include "valdrex/io/io_error.h"
#include "valdrex/io/system_error_text.h"

namespace valdrex::io {
namespace {

namespace fs = std::filesystem;

std::string systemError() { return systemErrorText(errno); }

std::string folderOf(const std::string& target) {
  fs::path parent = fs::path(target).parent_path();
  return parent.empty() ? std::string(".") : parent.string();
}

// The umask can only be learnt by setting it; that is done once, before any thread writes.
mode_t newFileMode() {
  static const mode_t mode = [] {
    mode_t mask = ::umask(0);
    ::umask(mask);
    // The owner always reads and writes what was written for them, whatever the mask (a page's
    // memory file system masks everything).
    return (0666 & ~mask) | 0600;
  }();
  return mode;
}

void syncPath(const std::string& path, int flags) {
  int fd = ::open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

void requireFolder(const std::string& target, const std::string& folder) {
  std::error_code ec;
  if (!fs::is_directory(folder, ec))
    throw FileError::writing(target, "文件夹 " + folder + " 不存在");
}

// --- the live temporary files, for the signal handler ----------------------------------------

// Each slot owns a malloc'ed path. Whoever empties a slot by exchange owns its path: the handler
// never frees, so a thread that finds its slot already empty knows the handler took it.
constexpr int kSlots = 64;
std::atomic<char*> liveTemps[kSlots];
static_assert(std::atomic<char*>::is_always_lock_free);

int track(const std::string& path) {
  char* copy = ::strdup(path.c_str());
  if (!copy) return -1;
  for (int i = 0; i < kSlots; ++i) {
    char* empty = nullptr;
    if (liveTemps[i].compare_exchange_strong(empty, copy)) return i;
  }
  std::free(copy);
  return -1;  // all taken: a leftover is still removed by the next write of the same target
}

void untrack(int slot) {
  if (slot >= 0) std::free(liveTemps[slot].exchange(nullptr));
}

extern "C" void removeTempFilesAndDie(int sig) {
  const int saved = errno;
  for (auto& slot : liveTemps)
    if (char* path = slot.exchange(nullptr)) ::unlink(path);
  errno = saved;
  // SA_RESETHAND restored the default action; it ends the process once the handler returns.
  ::raise(sig);
}

// --- leftovers of killed writes ---------------------------------------------------------------

constexpr std::time_t kStaleSeconds = 5;

// Removes ".<name>.tmp.XXXXXX" beside `target` when nobody writes it any more: a regular file of
// ours, unchanged for a while, and not locked (every live TempFile holds its file's lock).
void removeStaleTempFiles(const std::string& target) {
  const std::string prefix = "." + fs::path(target).filename().string() + ".tmp.";
  DIR* dir = ::opendir(folderOf(target).c_str());
  if (!dir) return;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name.size() != prefix.size() + 6 || name.substr(0, prefix.size()) != prefix) continue;
    bool ours = true;
    for (char c : name.substr(prefix.size()))
      ours = ours && ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'));
    if (!ours) continue;
    int fd = ::openat(::dirfd(dir), entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat held {
    }, named{};
    if (::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && held.st_uid == ::geteuid() &&
        held.st_mtime + kStaleSeconds < std::time(nullptr) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        ::fstatat(::dirfd(dir), entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        named.st_ino == held.st_ino && named.st_dev == held.st_dev)
      ::unlinkat(::dirfd(dir), entry->d_name, 0);
    ::close(fd);
  }
  ::closedir(dir);
}

// Where writing `target` really goes: the file a symbolic link finally points to.
std::string finalTarget(const std::string& target) {
  struct stat link {};
  if (::lstat(target.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return target;
  char* real = ::realpath(target.c_str(), nullptr);
  if (!real) throw FileError::writing(target, replaceProblem(target) + "。请另选一个文件名");
  std::string path = real;
  std::free(real);
  return path;
}

}  // namespace

TempFile::TempFile(const std::string& target, const std::string& tag) {
  std::string pattern =
      folderOf(target) + "/." + fs::path(target).filename().string() + "." + tag + ".XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) throw FileError::writing(target, "无法在目标文件夹中创建临时文件：" + systemError());
  path_ = name.data();
  slot_ = track(path_);
  ::flock(fd, LOCK_EX | LOCK_NB);  // new, so free: tells a clean-up the file has a live owner
  fd_ = fd;
}

TempFile::~TempFile() {
  if (!path_.empty()) ::unlink(path_.c_str());
  release();
}

void TempFile::release() {
  untrack(slot_);
  slot_ = -1;
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  path_.clear();
}

std::string replaceProblem(const std::string& target) {
  struct stat st {};
  if (::lstat(target.c_str(), &st) != 0) return "";  // absent, or its folder is: said when writing
  if (S_ISLNK(st.st_mode) && ::stat(target.c_str(), &st) != 0)
    return "它是一个链接，指向的文件不存在";
  if (S_ISREG(st.st_mode)) return "";
  if (S_ISDIR(st.st_mode)) return "同名的文件夹已经存在";
  const char* kind = S_ISCHR(st.st_mode)    ? "字符设备"
                     : S_ISBLK(st.st_mode)  ? "块设备"
                     : S_ISFIFO(st.st_mode) ? "管道（FIFO）"
                     : S_ISSOCK(st.st_mode) ? "套接字"
                                            : "特殊文件";
  return std::string("它是") + kind + "，不是普通文件，不会用工作簿替换它";
}

void writeWhole(int fd, std::string_view bytes, const std::string& target) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw FileError::writing(target, "写入失败：" + systemError());
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

void copyInto(const std::string& from, const std::string& tempPath, const std::string& target) {
  struct Closer {
    int fd;
    ~Closer() {
      if (fd >= 0) ::close(fd);
    }
  };
  Closer in{::open(from.c_str(), O_RDONLY | O_CLOEXEC)};
  if (in.fd < 0) throw FileError::writing(target, "无法读取 " + from + "：" + systemError());
  Closer out{::open(tempPath.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC)};
  if (out.fd < 0) throw FileError::writing(target, "无法写入临时文件：" + systemError());
  std::vector<char> buffer(1 << 16);
  for (;;) {
    const ssize_t n = ::read(in.fd, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw FileError::writing(target, "无法读取 " + from + "：" + systemError());
    if (n == 0) break;
    writeWhole(out.fd, std::string_view(buffer.data(), static_cast<std::size_t>(n)), target);
  }
  const int fd = std::exchange(out.fd, -1);
  if (::close(fd) != 0) throw FileError::writing(target, "写入失败：" + systemError());
}

std::string refusalOf(const std::string& target) {
  if (std::string problem = replaceProblem(target); !problem.empty())
    return problem + "。请另选一个文件名";
  const std::string path = finalTarget(target);
  std::error_code ec;
  if (!fs::is_directory(folderOf(path), ec)) return "文件夹 " + folderOf(path) + " 不存在";
  struct stat existing {};
  // Renaming over a file needs no write permission on it: honour its read-only mode ourselves,
  // as writing into it would.
  if (::stat(path.c_str(), &existing) == 0 && (existing.st_mode & 0222) == 0)
    return "文件是只读的，不会改写它。请去掉只读属性，或另选一个文件名";
  return "";
}

void removeTempFilesOnSignals() {
  for (int sig : {SIGINT, SIGTERM}) {
    struct sigaction old {};
    if (::sigaction(sig, nullptr, &old) != 0 || (old.sa_flags & SA_SIGINFO) ||
        old.sa_handler != SIG_DFL)
      continue;
    struct sigaction action {};
    action.sa_handler = removeTempFilesAndDie;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    ::sigaction(sig, &action, nullptr);
  }
}

void writeAtomically(const std::string& target,
                     const std::function<void(const std::string& tempPath)>& write) {
  // Through a link, the file it points to is replaced and the link stays.
  if (std::string problem = refusalOf(target); !problem.empty())
    throw FileError::writing(target, problem);
  const std::string path = finalTarget(target);
  const std::string folder = folderOf(path);
  struct stat existing {};
  bool exists = ::stat(path.c_str(), &existing) == 0;
  removeStaleTempFiles(path);
  TempFile temp(path, "tmp");
  write(temp.path());
  ::chmod(temp.path().c_str(), exists ? (existing.st_mode & 07777) : newFileMode());
  syncPath(temp.path(), O_RDONLY);
  if (::rename(temp.path().c_str(), path.c_str()) != 0)
    throw FileError::writing(target, "无法替换文件：" + systemError());
  temp.release();
  syncPath(folder, O_RDONLY | O_DIRECTORY);
}

std::string writeAsNewFile(const std::function<std::string(int n)>& nameFor,
                           const std::function<void(const std::string& tempPath)>& write) {
  const std::string first = nameFor(1);
  const std::string folder = folderOf(first);
  requireFolder(first, folder);
  removeStaleTempFiles(first);
  TempFile temp(first, "tmp");
  write(temp.path());
  ::chmod(temp.path().c_str(), newFileMode());
  syncPath(temp.path(), O_RDONLY);
  for (int n = 1; n <= 9999; ++n) {
    const std::string name = nameFor(n);
    // Both take a name only while it is free, in one step.
#ifdef RENAME_NOREPLACE
    int taken =
        ::renameat2(AT_FDCWD, temp.path().c_str(), AT_FDCWD, name.c_str(), RENAME_NOREPLACE);
#else
    errno = ENOSYS;  // a C library without it: the hard link below takes the name as freely
    int taken = -1;
#endif
    if (taken == 0) {
      temp.release();
    } else if (errno == EINVAL || errno == ENOSYS) {  // the file system cannot rename so
      taken = ::link(temp.path().c_str(), name.c_str());
    }
    if (taken == 0) {
      syncPath(folder, O_RDONLY | O_DIRECTORY);
      return name;
    }
    if (errno != EEXIST) throw FileError::writing(name, "无法创建文件：" + systemError());
  }
  throw FileError::writing(first, "同名的文件太多，找不到空闲的文件名");
}

}  // namespace valdrex::io
