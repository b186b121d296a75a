// The text of a string item (<si> of the shared strings, <is> of an inline string): plain or
// rich text runs joined, phonetic guides left out, _xHHHH_ escapes decoded.
#pragma once

#include <string>
#include <string_view>

#include "valdrex/io/read_limits.h"

namespace valdrex::io {

// Fed the elements and characters inside one item; text() is the item's text. The text may grow
// no longer than what is left of the allowance, which stops a single huge text as it is read.
class StringItem {
 public:
  explicit StringItem(const Allowance& text) : allowance_(text) {}
  void reset() {
    text_.clear();
    inT_ = false;
    phonetic_ = 0;
  }
  void start(std::string_view name) {
    if (name == "rPh")
      ++phonetic_;
    else if (name == "t" && phonetic_ == 0)
      inT_ = true;
  }
  void end(std::string_view name) {
    if (name == "rPh")
      --phonetic_;
    else if (name == "t")
      inT_ = false;
  }
  void characters(std::string_view s) {
    if (!inT_) return;
    if (text_.size() + s.size() > allowance_.left()) allowance_.refuse();
    text_.append(s);
  }
  std::string text() const;
  std::size_t size() const { return text_.size(); }

 private:
  const Allowance& allowance_;
  std::string text_;
  bool inT_ = false;
  int phonetic_ = 0;
};

// "_x000D_" -> carriage return, "_x005F_" -> "_"; anything else unchanged.
std::string decodeEscapes(std::string_view s);

}  // namespace valdrex::io
