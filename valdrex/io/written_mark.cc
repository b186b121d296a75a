#include "valdrex/io/written_mark.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>

#include "valdrex/io/format_problem.h"
#include "valdrex/io/part_names.h"
#include "valdrex/io/relationships.h"
#include "valdrex/io/xml_outline.h"
#include "valdrex/io/xml_tag.h"

namespace valdrex::io {
namespace {

constexpr std::string_view kPropertiesNs =
    "http://schemas.openxmlformats.org/officeDocument/2006/custom-properties";
constexpr std::string_view kTypesNs =
    "http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes";
constexpr std::string_view kUserDefined = "{D5CDD505-2E9C-101B-9397-08002B2CF9AE}";

// FNV-1a: the checksums already stand for the bytes, this only folds them into one value.
void fold(uint64_t& hash, const void* data, std::size_t n) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  for (std::size_t i = 0; i < n; ++i) hash = (hash ^ bytes[i]) * 0x100000001b3ULL;
}

std::string property(std::string_view prefix, std::string_view pid, const std::string& digest) {
  const std::string p(prefix);
  return "<" + p + "property fmtid=\"" + std::string(kUserDefined) + "\" pid=\"" +
         std::string(pid) + "\" name=\"" + std::string(kWrittenMarkName) +
         "\"><vt:lpwstr xmlns:vt=\"" + std::string(kTypesNs) + "\">" + digest + "</vt:lpwstr></" +
         p + "property>";
}

}  // namespace

std::string partsDigest(std::vector<PartSum> parts, std::string_view excluded) {
  const std::string skip = partKey(excluded);
  for (PartSum& p : parts) p.name = partKey(p.name);
  std::erase_if(parts, [&](const PartSum& p) { return p.name == skip; });
  std::sort(parts.begin(), parts.end(),
            [](const PartSum& a, const PartSum& b) { return a.name < b.name; });
  uint64_t hash = 0xcbf29ce484222325ULL;
  for (const PartSum& p : parts) {
    fold(hash, p.name.data(), p.name.size() + 1);  // with its terminating zero
    fold(hash, &p.crc, sizeof p.crc);
    fold(hash, &p.size, sizeof p.size);
  }
  char text[24];
  std::snprintf(text, sizeof text, "1-%016llx", static_cast<unsigned long long>(hash));
  return text + std::string("-") + std::to_string(parts.size());
}

std::string withWrittenMark(const std::string& xml, const std::string& digest) {
  if (xml.empty())
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<Properties xmlns=\"" +
           std::string(kPropertiesNs) + "\">" + property("", "2", digest) + "</Properties>";
  std::vector<XmlElement> spans = outlineXml("docProps/custom.xml", xml, 1);
  const XmlElement& root = spans.front();
  const std::string prefix(tagPrefix(std::string_view(xml).substr(root.begin, root.startEnd)));
  int nextPid = 2;
  for (const XmlElement& s : spans) {
    if (s.depth != 1 || s.name != "property") continue;
    const std::string_view tag = std::string_view(xml).substr(s.begin, s.startEnd - s.begin);
    const auto pid = attributeValue(tag, "pid");
    if (attributeValue(tag, "name") == kWrittenMarkName) {
      std::string out = xml;
      return out.replace(s.begin, s.end - s.begin,
                         property(prefix, pid ? *pid : std::to_string(nextPid), digest));
    }
    if (pid) nextPid = std::max(nextPid, std::atoi(std::string(*pid).c_str()) + 1);
  }
  if (root.end == root.startEnd) {  // "<Properties .../>"
    std::string start = xml.substr(root.begin, root.end - root.begin);
    start.erase(start.rfind('/'), 1);
    return xml.substr(0, root.begin) + start + property(prefix, std::to_string(nextPid), digest) +
           "</" + prefix + "Properties>" + xml.substr(root.end);
  }
  std::string out = xml;
  return out.insert(root.closeBegin, property(prefix, std::to_string(nextPid), digest));
}

bool unchangedResult(const std::string& path) {
  try {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ZipArchive zip = ZipArchive::openMemory(bytes, ReadLimits{});
    const std::string rootRels = relationshipsPartOf("");
    if (!zip.contains(rootRels)) return false;
    const Relationships rels = Relationships::parse(rootRels, zip.read(rootRels), "");
    const Relationship* custom = rels.firstOfKind("custom-properties");
    if (!custom || !custom->part || !zip.contains(*custom->part)) return false;
    const std::string xml = zip.read(*custom->part);
    for (const XmlElement& s : outlineXml(*custom->part, xml, 2)) {
      if (s.depth != 1 || s.name != "property") continue;
      const std::string_view tag = std::string_view(xml).substr(s.begin, s.startEnd - s.begin);
      if (attributeValue(tag, "name") != kWrittenMarkName) continue;
      std::string value = xml.substr(s.startEnd, s.closeBegin - s.startEnd);
      // The value's element: <vt:lpwstr ...>digest</vt:lpwstr>
      const std::size_t open = value.find('>'), close = value.rfind("</");
      if (open == std::string::npos || close == std::string::npos || close < open) return false;
      return value.substr(open + 1, close - open - 1) == partsDigest(zip.sums(), *custom->part);
    }
    return false;
  } catch (const FormatProblem&) {
    return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace valdrex::io
