// The workbook of in-memory sheets: sheets by name, the clipboard, the folder and saving.
#include "valdrex/host/memory_workbook.h"

#include "valdrex/host/failure.h"
#include "valdrex/host/text.h"

namespace valdrex::host {

void checkSheetName(const std::string& name) {
  bool bad = name.empty() || charCount(name) > 31 || name.front() == '\'' || name.back() == '\'' ||
             name.find_first_of(":\\/?*[]") != std::string::npos;
  if (bad) throw Failure(FailureKind::HostError, "工作表名称无效：“" + name + "”");
}

MemoryWorkbook::MemoryWorkbook(std::string path) : path_(std::move(path)) {}

MemorySheet& MemoryWorkbook::addSheet(const std::string& name) {
  checkSheetName(name);
  for (const auto& s : sheets_)
    if (compareTextIgnoringCase(s->name(), name) == 0)
      throw Failure(FailureKind::HostError, "工作表名称“" + name + "”已被使用");
  for (const std::string& other : sheetsWithoutCells)
    if (compareTextIgnoringCase(other, name) == 0)
      throw Failure(FailureKind::HostError,
                    "工作表名称“" + name + "”已被一张图表工作表或对话框工作表使用");
  sheets_.push_back(std::make_unique<MemorySheet>(*this, name));
  return *sheets_.back();
}

MemorySheet* MemoryWorkbook::find(std::string_view name) {
  for (const auto& s : sheets_)
    if (s->name() == name) return s.get();
  return nullptr;
}

Worksheet& MemoryWorkbook::sheet(std::string_view name) {
  if (MemorySheet* s = find(name)) return *s;
  throw Failure(FailureKind::HostError, "找不到工作表“" + std::string(name) + "”");
}

std::string MemoryWorkbook::folderPath() const {
  if (path_.empty()) return "";
  auto slash = path_.find_last_of('/');
  // A bare file name lies in the working folder, not in the root.
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path_.substr(0, slash);
}

void MemoryWorkbook::save() {
  if (!saver_) throw Failure(FailureKind::HostError, "工作簿无法保存：没有保存的位置");
  saver_(*this);
}

}  // namespace valdrex::host
