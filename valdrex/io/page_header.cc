#include "valdrex/io/page_header.h"

namespace valdrex::io {
namespace {

// A lone "&" starts a code in a header.
std::string literal(std::string_view text) {
  std::string out;
  for (char c : text) {
    out.push_back(c);
    if (c == '&') out.push_back('&');
  }
  return out;
}

}  // namespace

std::string pageHeader(std::string_view title, std::string_view date) {
  std::string out = "&C&\"-,Bold\"" + literal(title);
  if (!date.empty()) out += "&R" + literal(date);
  return out;
}

}  // namespace valdrex::io
