// The one error the file layer reports: which file, and what is wrong with it, in words a teacher
// can act on.
#pragma once

#include <stdexcept>
#include <string>

#include "valdrex/export.h"

namespace valdrex::io {

class VALDREX_API FileError : public std::runtime_error {
 public:
  FileError(std::string path, const std::string& message)
      : std::runtime_error(message), path_(std::move(path)) {}
  const std::string& path() const { return path_; }

  // "无法读取工作簿 <path>：<problem>"
  static FileError reading(const std::string& path, const std::string& problem) {
    return FileError(path, "无法读取工作簿 " + path + "：" + problem);
  }
  // "无法保存工作簿 <path>：<problem>"
  static FileError writing(const std::string& path, const std::string& problem) {
    return FileError(path, "无法保存工作簿 " + path + "：" + problem);
  }

 private:
  std::string path_;
};

}  // namespace valdrex::io
