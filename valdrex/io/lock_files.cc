#include "valdrex/io/lock_files.h"

#include <filesystem>

#include "valdrex/host/utf8.h"

namespace valdrex::io {
namespace fs = std::filesystem;
namespace {

// Characters, not bytes: the programs count a name's characters. The bytes of the name are kept
// as they are, well-formed or not.
std::string withoutFirstCharacters(const std::string& text, std::size_t count) {
  std::size_t at = 0;
  for (std::size_t dropped = 0; dropped < count && at < text.size(); ++dropped)
    at += utf8::decode(text, at).size;
  return text.substr(at);
}

}  // namespace

std::vector<std::string> lockFileNames(const std::string& workbook) {
  const fs::path path(workbook);
  const fs::path folder = path.parent_path();
  const std::string name = path.filename().string();
  std::vector<std::string> names{(folder / (".~lock." + name + "#")).string(),
                                 (folder / ("~$" + name)).string()};
  const std::size_t stem = utf8::count(path.stem().string());
  if (stem >= 7)
    names.push_back((folder / ("~$" + withoutFirstCharacters(name, stem == 7 ? 1 : 2))).string());
  return names;
}

std::optional<std::string> lockFileBeside(const std::string& workbook) {
  for (const std::string& lock : lockFileNames(workbook)) {
    std::error_code ec;
    if (fs::exists(fs::symlink_status(lock, ec))) return lock;
  }
  return std::nullopt;
}

}  // namespace valdrex::io
