#include "valdrex/io/write_limits.h"

#include <filesystem>
#include <unordered_map>

#include "valdrex/host/utf8.h"
#include "valdrex/io/cell_reference.h"
#include "valdrex/io/format_problem.h"
#include "valdrex/io/io_error.h"
#include "valdrex/io/source_package.h"
#include "valdrex/io/zip_archive.h"

namespace valdrex::io {
namespace {

bool endsWithIgnoringCase(std::string_view s, std::string_view suffix) {
  if (s.size() < suffix.size()) return false;
  for (std::size_t i = 0; i < suffix.size(); ++i) {
    char a = s[s.size() - suffix.size() + i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (a != suffix[i]) return false;
  }
  return true;
}

}  // namespace

bool writesMacroWorkbook(const host::MemoryWorkbook& book) {
  if (!book.vbaProject.empty()) return true;
  // A macro workbook without macros keeps its content type, and with it its kind.
  const auto* source = dynamic_cast<const SourcePackage*>(book.origin.get());
  if (!source) return false;
  try {
    ZipArchive zip = ZipArchive::openMemory(source->bytes, ReadLimits{});
    if (!zip.contains("[Content_Types].xml")) return false;
    return zip.read("[Content_Types].xml").find("macroEnabled.main+xml") != std::string::npos;
  } catch (const FormatProblem&) {
    return false;
  }
}

std::string fileNameProblem(bool macros, const std::string& path) {
  const std::string_view wanted = macros ? ".xlsm" : ".xlsx";
  if (endsWithIgnoringCase(path, wanted)) return "";
  std::filesystem::path suggested(path);
  suggested.replace_extension(wanted);
  return std::string(macros ? "工作簿含有宏，只能保存为 .xlsm 文件"
                            : "工作簿没有宏，只能保存为 .xlsx 文件") +
         "（扩展名与内容不符的文件，电子表格程序会拒绝打开）。请把文件名改为以 " +
         std::string(wanted) + " 结尾，例如 " + suggested.filename().string() + "，然后重试。";
}

std::vector<WriteProblem> writeProblems(const host::MemoryWorkbook& book, const std::string& path,
                                        std::size_t most) {
  std::vector<WriteProblem> problems;
  if (most == 0) return problems;
  if (std::string problem = path.empty() ? "" : fileNameProblem(writesMacroWorkbook(book), path);
      !problem.empty())
    problems.push_back({"", 0, 0, problem});

  // A text shared by many cells is measured once: its string is the same object in each.
  std::unordered_map<const std::string*, std::size_t> measured;
  auto tooLong = [&](const std::string& text) {
    // UTF-8 is never shorter than UTF-16: a text of fewer bytes is within the limit.
    if (text.size() <= kMaxCellTextUnits) return std::size_t{0};
    auto known = measured.find(&text);
    if (known == measured.end()) known = measured.emplace(&text, utf8::utf16Units(text)).first;
    return known->second > kMaxCellTextUnits ? known->second : 0;
  };
  for (std::size_t i = 0; i < book.sheetCount() && problems.size() < most; ++i) {
    const host::MemorySheet& sheet = book.sheetAt(i);
    sheet.forEachRow([&](int row, std::span<const std::pair<int, host::Cell>> cells,
                         const host::CellFormat*) {
      for (const auto& [col, cell] : cells) {
        if (problems.size() >= most) return;
        // A formula filled down from another is judged by the text it moves: working out
        // thousands of moved copies would cost what sharing them saved.
        std::size_t units = cell.value.isText() ? tooLong(cell.value.text()) : 0;
        const char* what = "文字";
        if (!units && (units = tooLong(cell.formula.unmoved()))) what = "公式";
        if (!units) continue;
        problems.push_back({sheet.name(), row, col,
                            std::string(what) + "有 " + std::to_string(units) +
                                " 个字符，超过一个单元格能容纳的 32767 个，无法保存。请把这一格的" +
                                what + "缩短后重试。"});
      }
    });
  }
  return problems;
}

void refuseUnwritable(const host::MemoryWorkbook& book, const std::string& path) {
  std::vector<WriteProblem> problems = writeProblems(book, path, 1);
  if (problems.empty()) return;
  const WriteProblem& p = problems.front();
  std::string where;
  if (!p.sheet.empty()) where = "工作表“" + p.sheet + "”的单元格 " + cellName(p.row, p.col) + "：";
  throw FileError::writing(path, where + p.text);
}

}  // namespace valdrex::io
