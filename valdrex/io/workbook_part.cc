#include "valdrex/io/workbook_part.h"

#include <charconv>

#include "valdrex/io/format_problem.h"
#include "valdrex/io/xml_parser.h"

namespace valdrex::io {
namespace {

bool isTrue(std::string_view v) { return v == "1" || v == "true"; }

class WorkbookHandler : public XmlHandler {
 public:
  WorkbookHandler(WorkbookPart& out, std::size_t maxSheets) : out_(out), maxSheets_(maxSheets) {}

  void startElement(std::string_view name, const XmlAttributes& a) override {
    if (!seenRoot_) {
      seenRoot_ = true;
      // A Word or PowerPoint package has an office document too, of another kind.
      if (name == "document" || name == "presentation")
        throw FormatProblem("不是 Excel 工作簿（是其他类型的 Office 文档）");
      if (name != "workbook")
        throw FormatProblem(
            "文件已损坏：工作簿的主部件里是“" + std::string(name) +
            "”，不是工作簿。请找回它的备份，或用电子表格程序打开修复后另存为 .xlsx");
    }
    if (name == "workbookPr") {
      out_.date1904 = isTrue(a.get("date1904"));
    } else if (name == "workbookView" && !seenView_) {
      seenView_ = true;
      std::string_view tab = a.get("activeTab");
      std::size_t index = 0;
      auto [end, ec] = std::from_chars(tab.data(), tab.data() + tab.size(), index);
      if (ec == std::errc() && end == tab.data() + tab.size()) out_.activeTab = index;
    } else if (name == "sheet" && inSheets_) {
      SheetEntry entry;
      entry.name = a.get("name");
      entry.relationshipId = a.get("id");
      std::string_view state = a.get("state");
      entry.hidden = state == "hidden" || state == "veryHidden";
      if (entry.name.empty()) throw FormatProblem("工作簿中有一张没有名字的工作表");
      if (out_.sheets.size() == maxSheets_)
        throw FormatProblem("工作表超过 " + std::to_string(maxSheets_) + " 张");
      out_.sheets.push_back(std::move(entry));
    } else if (name == "sheets") {
      inSheets_ = true;
    }
  }
  void endElement(std::string_view name) override {
    if (name == "sheets") inSheets_ = false;
  }

 private:
  WorkbookPart& out_;
  std::size_t maxSheets_;
  bool inSheets_ = false;
  bool seenView_ = false;
  bool seenRoot_ = false;
};

}  // namespace

WorkbookPart WorkbookPart::parse(const std::string& part, std::string_view xml,
                                 std::size_t maxSheets) {
  WorkbookPart result;
  WorkbookHandler handler(result, maxSheets);
  parseXml(part, xml, handler);
  return result;
}

WorkbookPart WorkbookPart::read(ZipArchive& zip, const std::string& part, std::size_t maxSheets) {
  WorkbookPart result;
  WorkbookHandler handler(result, maxSheets);
  XmlParser parser(part, handler);
  zip.stream(part, [&](std::string_view chunk) { parser.feed(chunk); });
  parser.finish();
  return result;
}

}  // namespace valdrex::io
