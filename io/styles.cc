#include "io/styles.h"

#include <charconv>
#include <map>

#include "io/number_formats.h"
#include "io/xml_parser.h"

namespace valdrex::io {
namespace {

int number(std::string_view text, int fallback = 0) {
  int value = fallback;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() ? value : fallback;
}

host::HAlign alignment(std::string_view horizontal) {
  if (horizontal == "left") return host::HAlign::Left;
  if (horizontal == "center" || horizontal == "centerContinuous") return host::HAlign::Center;
  if (horizontal == "right") return host::HAlign::Right;
  return host::HAlign::General;
}

struct RawXf {
  int numFmtId = 0;
  int borderId = 0;
  host::HAlign align = host::HAlign::General;
};

class StylesHandler : public XmlHandler {
 public:
  void startElement(std::string_view name, const XmlAttributes& a) override {
    if (name == "numFmts") {
      inNumFmts_ = true;
    } else if (name == "numFmt" && inNumFmts_) {
      formats_[number(a.get("numFmtId"), -1)] = std::string(a.get("formatCode"));
    } else if (name == "borders") {
      inBorders_ = true;
    } else if (name == "border" && inBorders_) {
      borders_.push_back(0);
    } else if (inBorders_ && !borders_.empty() &&
               (name == "left" || name == "right" || name == "top" || name == "bottom" ||
                name == "start" || name == "end")) {
      // The model keeps thin continuous lines; any drawn line is kept as one.
      std::string_view style = a.get("style");
      if (!style.empty() && style != "none") borders_.back() |= edge(name);
    } else if (name == "cellXfs") {
      inCellXfs_ = true;
    } else if (name == "xf" && inCellXfs_) {
      xfs_.push_back(RawXf{number(a.get("numFmtId")), number(a.get("borderId")),
                           host::HAlign::General});
    } else if (name == "alignment" && inCellXfs_ && !xfs_.empty()) {
      xfs_.back().align = alignment(a.get("horizontal"));
    }
  }

  void endElement(std::string_view name) override {
    if (name == "numFmts") inNumFmts_ = false;
    else if (name == "borders") inBorders_ = false;
    else if (name == "cellXfs") inCellXfs_ = false;
  }

  std::vector<CellStyle> styles() const {
    std::vector<CellStyle> out;
    out.reserve(xfs_.size());
    for (const RawXf& xf : xfs_) {
      CellStyle style;
      style.format.style = static_cast<uint32_t>(out.size());
      if (xf.borderId >= 0 && static_cast<std::size_t>(xf.borderId) < borders_.size())
        style.format.borders = borders_[static_cast<std::size_t>(xf.borderId)];
      style.format.align = xf.align;
      auto custom = formats_.find(xf.numFmtId);
      if (custom != formats_.end()) {
        style.format.numberFormat = custom->second == "General" ? "" : custom->second;
        style.date = isDateFormatCode(custom->second);
      } else {
        style.format.numberFormat = builtinFormatCode(xf.numFmtId);
        style.date = isBuiltinDateFormat(xf.numFmtId);
      }
      out.push_back(std::move(style));
    }
    return out;
  }

 private:
  static uint8_t edge(std::string_view side) {
    if (side == "left" || side == "start") return host::kEdgeLeft;
    if (side == "right" || side == "end") return host::kEdgeRight;
    if (side == "top") return host::kEdgeTop;
    return host::kEdgeBottom;
  }

  bool inNumFmts_ = false, inBorders_ = false, inCellXfs_ = false;
  std::map<int, std::string> formats_;
  std::vector<uint8_t> borders_;
  std::vector<RawXf> xfs_;
};

}  // namespace

StyleTable StyleTable::parse(const std::string& part, std::string_view xml) {
  StylesHandler handler;
  parseXml(part, xml, handler);
  StyleTable table;
  table.styles_ = handler.styles();
  return table;
}

}  // namespace valdrex::io
