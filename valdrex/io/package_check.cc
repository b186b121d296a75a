#include "valdrex/io/package_check.h"

#include "valdrex/io/format_problem.h"
#include "valdrex/io/io_error.h"
#include "valdrex/io/xlsx_reader.h"
#include "valdrex/io/xml_parser.h"
#include "valdrex/io/zip_archive.h"

namespace valdrex::io {
namespace {

class WellFormedOnly final : public XmlHandler {
 public:
  void startElement(std::string_view, const XmlAttributes&) override {}
  void endElement(std::string_view) override {}
};

bool isXml(std::string_view part) {
  for (std::string_view suffix : {".xml", ".rels", ".vml"})
    if (part.size() >= suffix.size() && part.substr(part.size() - suffix.size()) == suffix)
      return true;
  return false;
}

}  // namespace

void checkWrittenPackage(std::string_view package, const std::vector<std::string>& written) {
  try {
    ZipArchive zip = ZipArchive::openMemory(package, ReadLimits{});
    for (const std::string& part : written) {
      if (!isXml(part)) continue;
      WellFormedOnly handler;
      XmlParser parser(part, handler);
      zip.stream(part, [&](std::string_view chunk) { parser.feed(chunk); });
      parser.finish();
    }
    // The sheets' cells were parsed above; what the reader adds is the structure.
    readWorkbookStructure(package, "");
  } catch (const FormatProblem& e) {
    throw WrittenPackageFault(std::string("写出的文件读不回来：") + e.what());
  } catch (const FileError& e) {
    throw WrittenPackageFault(std::string("写出的文件读不回来：") + e.what());
  }
}

}  // namespace valdrex::io
