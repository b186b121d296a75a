#include "valdrex/io/relationships.h"

#include "valdrex/io/format_problem.h"
#include "valdrex/io/part_names.h"
#include "valdrex/io/xml_parser.h"

namespace valdrex::io {
namespace {

class RelsHandler : public XmlHandler {
 public:
  RelsHandler(std::string_view source, std::vector<Relationship>& out, std::size_t most)
      : source_(source), out_(out), most_(most) {}

  void startElement(std::string_view name, const XmlAttributes& a) override {
    if (name != "Relationship") return;
    if (out_.size() == most_)
      throw FormatProblem("部件之间的关联超过 " + std::to_string(most_) + " 个");
    Relationship r;
    r.id = a.get("Id");
    std::string_view type = a.get("Type");
    std::size_t slash = type.rfind('/');
    r.kind = slash == std::string_view::npos ? type : type.substr(slash + 1);
    if (a.get("TargetMode") != "External") r.part = resolvePart(source_, a.get("Target"));
    out_.push_back(std::move(r));
  }
  void endElement(std::string_view) override {}

 private:
  std::string_view source_;
  std::vector<Relationship>& out_;
  std::size_t most_;
};

}  // namespace

Relationships Relationships::parse(const std::string& relsPart, std::string_view xml,
                                   std::string_view source, std::size_t most) {
  Relationships result;
  RelsHandler handler(source, result.items_, most);
  parseXml(relsPart, xml, handler);
  return result;
}

Relationships Relationships::read(ZipArchive& zip, const std::string& relsPart,
                                  std::string_view source, std::size_t most) {
  Relationships result;
  RelsHandler handler(source, result.items_, most);
  XmlParser parser(relsPart, handler);
  zip.stream(relsPart, [&](std::string_view chunk) { parser.feed(chunk); });
  parser.finish();
  return result;
}

const Relationship* Relationships::byId(std::string_view id) const {
  for (const Relationship& r : items_)
    if (r.id == id) return &r;
  return nullptr;
}

const Relationship* Relationships::firstOfKind(std::string_view kind) const {
  for (const Relationship& r : items_)
    if (r.kind == kind && r.part) return &r;
  return nullptr;
}

}  // namespace valdrex::io
