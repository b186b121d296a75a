#include "valdrex/io/shared_strings.h"

#include "valdrex/io/format_problem.h"
#include "valdrex/io/string_item.h"
#include "valdrex/io/xml_parser.h"

namespace valdrex::io {
namespace {

class SharedStringsHandler : public XmlHandler {
 public:
  SharedStringsHandler(std::vector<host::SharedText>& out, std::size_t limit, Allowance& text,
                       Allowance& elements)
      : out_(out), limit_(limit), text_(text), elements_(elements), item_(text) {}

  void startElement(std::string_view name, const XmlAttributes&) override {
    elements_.take(1);
    if (name == "si") {
      inItem_ = true;
      item_.reset();
    } else if (inItem_) {
      item_.start(name);
    }
  }
  void endElement(std::string_view name) override {
    if (name == "si") {
      if (out_.size() >= limit_)
        throw FormatProblem("共享字符串超过 " + std::to_string(limit_) + " 个" + kLessAdvice);
      text_.take(item_.size());
      out_.emplace_back(item_.text());
      inItem_ = false;
    } else if (inItem_) {
      item_.end(name);
    }
  }
  void characters(std::string_view s) override {
    if (inItem_) item_.characters(s);
  }

 private:
  std::vector<host::SharedText>& out_;
  std::size_t limit_;
  Allowance& text_;
  Allowance& elements_;
  StringItem item_;
  bool inItem_ = false;
};

}  // namespace

std::vector<host::SharedText> readSharedStrings(ZipArchive& zip, const std::string& part,
                                                const ReadLimits& limits, Allowance& text,
                                                Allowance& elements) {
  std::vector<host::SharedText> strings;
  SharedStringsHandler handler(strings, limits.maxSharedStrings, text, elements);
  XmlParser parser(part, handler);
  zip.stream(part, [&](std::string_view chunk) { parser.feed(chunk); });
  parser.finish();
  return strings;
}

}  // namespace valdrex::io
