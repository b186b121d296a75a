// Texts between the library (UTF-8) and the office (UTF-16 OUString).
#pragma once

#include <rtl/ustring.hxx>
#include <string>
#include <string_view>

namespace valdrex::calc {

using rtl::OString;
using rtl::OUString;

inline OUString ustr(std::string_view s) {
  return OUString(s.data(), static_cast<sal_Int32>(s.size()), RTL_TEXTENCODING_UTF8);
}

inline std::string utf8(const OUString& s) {
  OString o = OUStringToOString(s, RTL_TEXTENCODING_UTF8);
  return std::string(o.getStr(), static_cast<std::size_t>(o.getLength()));
}

}  // namespace valdrex::calc
