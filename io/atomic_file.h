// Replacing a file in one step, so that a failed or interrupted write never leaves a truncated
// file behind: write a temporary file beside it, then rename it over the target.
#pragma once

#include <functional>
#include <string>

namespace valdrex::io {

// Calls write(tempPath) to produce the new content, then renames it over `target`. On any
// failure (write throws, the rename fails) the temporary file is removed, `target` is left as it
// was, and a FileError naming `target` is thrown (a FileError from write passes through).
// A new file gets the usual permissions; an existing one keeps its own. A read-only target (no
// write permission for anyone) is never replaced.
void writeAtomically(const std::string& target,
                     const std::function<void(const std::string& tempPath)>& write);

// A new empty file beside `target` for the caller to fill ("<folder>/.<name>.<tag>.XXXXXX"),
// removed when the object goes away. Failing to create it is a FileError naming `target`.
class TempFile {
 public:
  TempFile(const std::string& target, const std::string& tag);
  ~TempFile();
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::string& path() const { return path_; }
  // The file now belongs to someone else (it was renamed): nothing to remove.
  void release() { path_.clear(); }

 private:
  std::string path_;
};

}  // namespace valdrex::io
