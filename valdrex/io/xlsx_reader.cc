#include "valdrex/io/xlsx_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>

#include "valdrex/host/failure.h"
#include "valdrex/io/cell_reference.h"
#include "valdrex/io/format_problem.h"
#include "valdrex/io/part_names.h"
#include "valdrex/io/relationships.h"
#include "valdrex/io/saver.h"
#include "valdrex/io/shared_strings.h"
#include "valdrex/io/sheet_reader.h"
#include "valdrex/io/source_package.h"
#include "valdrex/io/style_sheet.h"
#include "valdrex/io/workbook_part.h"
#include "valdrex/io/zip_archive.h"

namespace valdrex::io {
namespace {

// The workbook part named by the package relationships, or where every producer puts it.
std::string mainPart(ZipArchive& zip) {
  const std::string packageRels = relationshipsPartOf("");
  if (zip.contains(packageRels)) {
    auto rels = Relationships::parse(packageRels, zip.read(packageRels), "");
    if (const Relationship* main = rels.firstOfKind("officeDocument")) {
      if (!zip.contains(*main->part))
        throw FormatProblem("不是 Excel 工作簿（缺少部件 " + *main->part + "）");
      return *main->part;
    }
  }
  if (zip.contains("xl/workbook.xml")) return "xl/workbook.xml";
  throw FormatProblem("不是 Excel 工作簿（找不到 workbook 部件）");
}

// A related part that must be there when the workbook names it.
std::optional<std::string> relatedPart(ZipArchive& zip, const Relationships& rels,
                                       std::string_view kind) {
  const Relationship* r = rels.firstOfKind(kind);
  if (!r) return std::nullopt;
  if (!zip.contains(*r->part)) throw FormatProblem("缺少部件 " + *r->part);
  return r->part;
}

using RowsOf = std::function<int(const std::string& sheet)>;

// A sheet whose model lacks some of its cells, or whose part is too large to hold beside its new
// text, is copied as stored; writing it from the model would lose what it lacks.
std::string unwritable(const std::string& sheet, const SheetExtent& extent,
                       const ReadLimits& limits) {
  if (extent.unkept) {
    const auto [row, col] = *extent.unkept;
    const std::string rows = std::to_string(limits.keptRows);
    const std::string columns = columnName(limits.keptColumns);
    const std::string where =
        col > 0 ? " " + cellName(row, col) + " " : "第 " + std::to_string(row) + " 行";
    return "工作表“" + sheet + "”的" + where + "超出了程序读入的范围（第 " + rows + " 行、" +
           columns + " 列以内），改写这张表会丢掉那里的内容。请删去这张表第 " + rows +
           " 行以下和 " + columns + " 列以右的内容后重试";
  }
  if (extent.partBytes > limits.maxWholePartBytes)
    return "工作表“" + sheet + "”解压后超过 " + sizeText(limits.maxWholePartBytes) +
           "，太大，无法改写。请删去这张表中不需要的内容后重试";
  return "";
}

std::unique_ptr<host::MemoryWorkbook> readPackage(ZipArchive& zip, const ReadLimits& limits,
                                                  SourcePackage& source, const RowsOf* rowsOf) {
  const std::string main = mainPart(zip);
  // Counts are checked as the parts are parsed: a list of millions ends at its first one too many.
  WorkbookPart workbook = WorkbookPart::read(zip, main, limits.maxSheets);
  const std::string relsPart = relationshipsPartOf(main);
  if (!zip.contains(relsPart)) throw FormatProblem("缺少部件 " + relsPart);
  // A relationship names a part of the package, and the package has no more parts than entries.
  Relationships rels = Relationships::read(zip, relsPart, main, limits.maxEntries);

  Allowance text(limits.maxTextBytes,
                 "文字和公式共超过 " + sizeText(limits.maxTextBytes) + kLessAdvice);
  Allowance elements(limits.maxElements,
                     "XML 元素超过 " + std::to_string(limits.maxElements) + " 个" + kLessAdvice);
  std::vector<host::SharedText> strings;
  if (auto part = relatedPart(zip, rels, "sharedStrings"))
    strings = readSharedStrings(zip, *part, limits, text, elements);
  auto stylesPart = relatedPart(zip, rels, "styles");
  StyleSheet styles = stylesPart
                          ? StyleSheet::parse(*stylesPart, zip.read(*stylesPart), limits.maxStyles)
                          : StyleSheet::fresh();

  auto book = std::make_unique<host::MemoryWorkbook>();
  book->date1904 = workbook.date1904;
  SheetContext context{strings, styles, workbook.date1904, limits, text, elements};
  for (std::size_t i = 0; i < workbook.sheets.size(); ++i) {
    const SheetEntry& entry = workbook.sheets[i];
    const Relationship* r = rels.byId(entry.relationshipId);
    if (!r || !r->part) throw FormatProblem("工作表“" + entry.name + "”在工作簿中没有对应的部件");
    // Chart and dialog sheets have no cells; the model has no place for them, the file keeps them.
    if (r->kind != "worksheet") {
      book->sheetsWithoutCells.push_back(entry.name);
      continue;
    }
    if (!zip.contains(*r->part))
      throw FormatProblem("工作表“" + entry.name + "”的部件 " + *r->part + " 不存在");
    if (book->find(entry.name)) throw FormatProblem("工作表名称“" + entry.name + "”重复");
    host::MemorySheet& sheet = book->addSheet(entry.name);
    context.lastRow = rowsOf ? std::min((*rowsOf)(entry.name), host::kMaxRows) : host::kMaxRows;
    SheetExtent extent;
    if (context.lastRow > 0) extent = readSheet(zip, *r->part, sheet, context);
    if (entry.hidden) sheet.setVisible(host::SheetVisibility::Hidden);
    if (extent.rowsLeftOut) sheet.setRowsRead(limits.keptRows);
    sheet.markAsRead();
    source.sheets.push_back(SourcePackage::Sheet{*r->part, i, sheet.columnWidths(),
                                                 unwritable(entry.name, extent, limits)});
    if (i == workbook.activeTab) book->activeSheet = book->sheetCount() - 1;
  }

  source.activeSheet = book->activeSheet;
  if (auto part = relatedPart(zip, rels, "vbaProject")) book->vbaProject = zip.read(*part);
  return book;
}

// The file's bytes, read once: the package is parsed from them and kept with the workbook, so
// that a later save copies exactly what was read, even if the file changed meanwhile.
std::string fileBytes(const std::string& path, const ReadLimits& limits) {
  std::error_code ec;
  auto status = std::filesystem::status(path, ec);
  if (!std::filesystem::exists(status)) throw FormatProblem("文件不存在");
  if (std::filesystem::is_directory(status)) throw FormatProblem("这是一个文件夹，不是文件");
  if (!std::filesystem::is_regular_file(status)) throw FormatProblem("不是普通文件");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw FormatProblem(std::string("无法读取文件（") + std::strerror(errno) + "）");
  std::string bytes;
  // Room for the whole file at once: a package is read whole, and copying it as it grows costs
  // more than reading it.
  if (auto size = std::filesystem::file_size(path, ec); !ec)
    bytes.reserve(static_cast<std::size_t>(std::min<uintmax_t>(size, limits.maxFileBytes)));
  char buffer[1 << 16];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > limits.maxFileBytes) throw FormatProblem("文件过大");
  }
  if (in.bad()) throw FormatProblem(std::string("无法读取文件（") + std::strerror(errno) + "）");
  return bytes;
}

std::shared_ptr<SourcePackage> sourceOf(const std::string& path, const ReadLimits& limits) {
  auto source = std::make_shared<SourcePackage>();
  try {
    source->bytes = fileBytes(path, limits);
  } catch (const FormatProblem& e) {
    throw FileError::reading(path, e.what());
  } catch (const std::bad_alloc&) {
    throw FileError::reading(path, "内存不足");
  }
  return source;
}

std::unique_ptr<host::MemoryWorkbook> readReported(const std::string& name,
                                                   std::shared_ptr<SourcePackage> source,
                                                   const ReadLimits& limits,
                                                   const RowsOf* rowsOf = nullptr) {
  try {
    ZipArchive zip = ZipArchive::openMemory(source->bytes, limits);
    auto book = readPackage(zip, limits, *source, rowsOf);
    book->origin = std::move(source);
    return book;
  } catch (const FormatProblem& e) {
    throw FileError::reading(name, e.what());
  } catch (const Failure& e) {
    throw FileError::reading(name, e.what());
  } catch (const std::bad_alloc&) {
    throw FileError::reading(name, "内存不足");
  }
}

}  // namespace

std::unique_ptr<host::MemoryWorkbook> readWorkbook(const std::string& path,
                                                   const ReadLimits& limits) {
  auto source = sourceOf(path, limits);
  auto book = readReported(path, std::move(source), limits);
  std::error_code ec;
  auto absolute = std::filesystem::absolute(path, ec);
  book->setPath(ec ? path : absolute.lexically_normal().string());
  attachSaver(*book);
  return book;
}

std::unique_ptr<host::MemoryWorkbook> readWorkbookTop(const std::string& path, const RowsOf& rowsOf,
                                                      const ReadLimits& limits) {
  auto source = sourceOf(path, limits);
  auto book = readReported(path, std::move(source), limits, &rowsOf);
  book->origin.reset();  // never written back: most of its cells were not read
  return book;
}

std::unique_ptr<host::MemoryWorkbook> readWorkbookFromMemory(std::string_view bytes,
                                                             const std::string& name,
                                                             const ReadLimits& limits) {
  auto source = std::make_shared<SourcePackage>();
  source->bytes = bytes;
  return readReported(name, std::move(source), limits);
}

std::unique_ptr<host::MemoryWorkbook> readWorkbookStructure(std::string_view bytes,
                                                            const std::string& name,
                                                            const ReadLimits& limits) {
  auto source = std::make_shared<SourcePackage>();
  source->bytes = bytes;
  const RowsOf none = [](const std::string&) { return 0; };
  auto book = readReported(name, std::move(source), limits, &none);
  book->origin.reset();
  return book;
}

}  // namespace valdrex::io
