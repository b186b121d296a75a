// The text of a string item (<si> of the shared strings, <is> of an inline string): plain or
// rich text runs joined, phonetic guides left out, _xHHHH_ escapes decoded.
#pragma once

#include <string>
#include <string_view>

namespace valdrex::io {

// Fed the elements and characters inside one item; text() is the item's text.
class StringItem {
 public:
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
    if (inT_) text_.append(s);
  }
  std::string text() const;

 private:
  std::string text_;
  bool inT_ = false;
  int phonetic_ = 0;
};

// "_x000D_" -> carriage return, "_x005F_" -> "_"; anything else unchanged.
std::string decodeEscapes(std::string_view s);

}  // namespace valdrex::io
