#include "valdrex/io/package_check.h"

#include <expat.h>

#include <memory>

#include "valdrex/io/format_problem.h"
#include "valdrex/io/io_error.h"
#include "valdrex/io/xlsx_reader.h"

namespace valdrex::io {
namespace {

bool isXml(std::string_view part) {
  for (std::string_view suffix : {".xml", ".rels", ".vml"})
    if (part.size() >= suffix.size() && part.substr(part.size() - suffix.size()) == suffix)
      return true;
  return false;
}

struct ParserFree {
  void operator()(XML_Parser p) const { XML_ParserFree(p); }
};

}  // namespace

void requireWellFormed(std::string_view part, std::string_view bytes) {
  if (!isXml(part)) return;
  // No handlers: expat only tokenizes, which is all well-formedness needs.
  std::unique_ptr<XML_ParserStruct, ParserFree> parser(XML_ParserCreate("UTF-8"));
  if (!parser) throw std::bad_alloc();
  constexpr std::size_t kChunk = 1 << 30;
  bool ok = true;
  while (ok && bytes.size() > kChunk) {
    ok =
        XML_Parse(parser.get(), bytes.data(), static_cast<int>(kChunk), XML_FALSE) == XML_STATUS_OK;
    bytes.remove_prefix(kChunk);
  }
  if (ok)
    ok = XML_Parse(parser.get(), bytes.data(), static_cast<int>(bytes.size()), XML_TRUE) ==
         XML_STATUS_OK;
  if (!ok)
    throw WrittenPackageFault("写出的部件 " + std::string(part) + " 不是完好的 XML（第 " +
                              std::to_string(XML_GetCurrentLineNumber(parser.get())) + " 行：" +
                              XML_ErrorString(XML_GetErrorCode(parser.get())) + "）");
}

void requireReadable(std::string_view package) {
  ReadLimits limits;
  limits.maxStyles *= 2;
  limits.maxSharedStrings *= 2;
  limits.maxTextBytes *= 2;
  limits.maxElements *= 2;
  limits.maxTotalBytes *= 2;
  limits.maxPartBytes *= 2;
  limits.maxWholePartBytes *= 2;
  try {
    readWorkbookStructure(package, "", limits);
  } catch (const FileError& e) {
    throw WrittenPackageFault(std::string("写出的文件读不回来：") + e.what());
  }
}

}  // namespace valdrex::io
