// Texts between the library (UTF-8) and the office (UTF-16 OUString), both ways by the library's
// codec: broken UTF-8 reaches the office as U+FFFD, and so does a lone surrogate coming back.
#pragma once

#include <osl/file.hxx>
#include <rtl/character.hxx>
#include <rtl/ustrbuf.hxx>
#include <rtl/ustring.hxx>
#include <string>
#include <string_view>

#include "valdrex/host/utf8.h"

namespace valdrex::calc {

using rtl::OString;
using rtl::OUString;

inline OUString ustr(std::string_view s) {
  rtl::OUStringBuffer out(static_cast<sal_Int32>(s.size()));
  for (std::size_t i = 0; i < s.size();) {
    const valdrex::utf8::Char ch = valdrex::utf8::decode(s, i);
    out.appendUtf32(static_cast<sal_uInt32>(ch.cp));
    i += ch.size;
  }
  return out.makeStringAndClear();
}

inline std::string utf8(const OUString& s) {
  std::string out;
  out.reserve(static_cast<std::size_t>(s.getLength()));
  for (sal_Int32 i = 0; i < s.getLength(); ++i) {
    char32_t cp = s[i];
    if (rtl::isHighSurrogate(cp) && i + 1 < s.getLength() && rtl::isLowSurrogate(s[i + 1]))
      cp = rtl::combineSurrogates(cp, s[++i]);
    valdrex::utf8::append(out, cp);
  }
  return out;
}

// The file a file: URL names, "" for any other URL.
inline std::string systemPath(const OUString& url) {
  OUString path;
  if (osl::FileBase::getSystemPathFromFileURL(url, path) != osl::FileBase::E_None) return "";
  return utf8(path);
}

}  // namespace valdrex::calc
