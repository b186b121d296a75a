#include "valdrex/io/part_names.h"

#include <algorithm>
#include <vector>

namespace valdrex::io {
namespace {

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::string> percentDecoded(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '%') {
      out += s[i];
      continue;
    }
    if (i + 2 >= s.size()) return std::nullopt;
    int hi = hexDigit(s[i + 1]), lo = hexDigit(s[i + 2]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  return out;
}

}  // namespace

std::optional<std::string> resolvePart(std::string_view source, std::string_view target) {
  if (target.empty() || target.find_first_of("?#\\") != std::string_view::npos) return std::nullopt;
  if (target.find("://") != std::string_view::npos) return std::nullopt;
  auto decoded = percentDecoded(target);
  if (!decoded) return std::nullopt;

  std::string joined;
  if (decoded->front() == '/') {
    joined = decoded->substr(1);
  } else {
    std::size_t slash = source.rfind('/');
    joined =
        slash == std::string_view::npos ? std::string() : std::string(source.substr(0, slash + 1));
    joined += *decoded;
  }

  std::vector<std::string_view> segments;
  std::string_view rest = joined;
  while (!rest.empty()) {
    std::size_t slash = rest.find('/');
    std::string_view segment = rest.substr(0, slash);
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    if (segment.empty() || segment == ".") continue;
    if (segment == "..") {
      if (segments.empty()) return std::nullopt;
      segments.pop_back();
      continue;
    }
    if (segment.find('\0') != std::string_view::npos) return std::nullopt;
    segments.push_back(segment);
  }
  if (segments.empty()) return std::nullopt;

  std::string part;
  for (std::string_view segment : segments) {
    if (!part.empty()) part += '/';
    part += segment;
  }
  return part;
}

std::string relationshipsPartOf(std::string_view part) {
  std::size_t slash = part.rfind('/');
  if (slash == std::string_view::npos) return "_rels/" + std::string(part) + ".rels";
  return std::string(part.substr(0, slash + 1)) + "_rels/" + std::string(part.substr(slash + 1)) +
         ".rels";
}

std::string partKey(std::string_view part) {
  std::string key(part);
  std::transform(key.begin(), key.end(), key.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return key;
}

}  // namespace valdrex::io
