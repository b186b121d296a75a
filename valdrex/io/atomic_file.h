// Replacing a file in one step, so that a failed or interrupted write never leaves a truncated
// file behind: write a temporary file beside it, then rename it over the target.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace valdrex::io {

// Calls write(tempPath) to produce the new content, then renames it over `target`. On any
// failure (write throws, the rename fails) the temporary file is removed, `target` is left as it
// was, and a FileError naming `target` is thrown (a FileError from write passes through).
// A new file gets the usual permissions; an existing one keeps its own. A read-only target (no
// write permission for anyone) is never replaced, nor is anything but a regular file (see
// replaceProblem). A symbolic link stays: the file it finally points to is replaced.
// Temporary files of `target` that an earlier, killed write left behind are removed first.
void writeAtomically(const std::string& target,
                     const std::function<void(const std::string& tempPath)>& write);

// Calls write(tempPath), then gives the new file the first free name of nameFor(1),
// nameFor(2), … (all in one folder). An existing file is never replaced, even when another
// process takes a name at the same moment. Returns the name taken; on failure the temporary file
// is removed and a FileError is thrown.
std::string writeAsNewFile(const std::function<std::string(int n)>& nameFor,
                           const std::function<void(const std::string& tempPath)>& write);

// Why a workbook must not be written to `target`: empty when it does not exist or is a regular
// file (also through symbolic links); else what it is, e.g. "同名的文件夹已经存在".
std::string replaceProblem(const std::string& target);

// For the write callbacks above: all of `bytes` to `fd`, or a FileError naming `target` that says
// why (a full disk, a failing one, …).
void writeWhole(int fd, std::string_view bytes, const std::string& target);
// The bytes of the file `from` into the temporary file `tempPath`, failures as above.
void copyInto(const std::string& from, const std::string& tempPath, const std::string& target);

// Why writeAtomically would refuse `target` before writing anything — not a regular file, its
// folder missing, read-only — as a sentence with advice; empty when it would not.
std::string refusalOf(const std::string& target);

// From now on SIGINT and SIGTERM remove the live temporary files, then end the process by the
// same signal. A signal the program ignores or handles itself is left alone. Only for programs:
// the library installs no handler by itself.
void removeTempFilesOnSignals();

// A new empty file beside `target` for the caller to fill ("<folder>/.<name>.<tag>.XXXXXX"),
// removed when the object goes away or the process is ended by a signal (see above). Failing to
// create it is a FileError naming `target`.
class TempFile {
 public:
  TempFile(const std::string& target, const std::string& tag);
  ~TempFile();
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::string& path() const { return path_; }
  // The file now belongs to someone else (it was renamed): nothing to remove.
  void release();

 private:
  std::string path_;
  int fd_ = -1;    // held open and locked while the file is ours, so no clean-up takes it
  int slot_ = -1;  // in the registry the signal handler empties
};

}  // namespace valdrex::io
