// A text that nearly every cell leaves empty (its number format): one pointer wide, so that a
// sheet of a hundred thousand cells does not carry an empty string in each. Copies share the
// text, so that one format of a style costs its memory once however many cells have it.
// It reads and assigns like a std::string.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "valdrex/host/shared_text.h"

namespace valdrex::host {

class SparseText {
 public:
  SparseText() = default;
  SparseText(const char* text) : text_(std::string(text)) {}
  SparseText(std::string text) : text_(std::move(text)) {}
  SparseText& operator=(std::string text) {
    text_ = SharedText(std::move(text));
    return *this;
  }
  SparseText& operator=(const char* text) { return *this = std::string(text); }

  const std::string& str() const { return text_.str(); }
  operator const std::string&() const { return str(); }
  const char* c_str() const { return str().c_str(); }
  bool empty() const { return text_.empty(); }
  std::size_t size() const { return str().size(); }
  void clear() { text_ = SharedText(); }

  friend bool operator==(const SparseText& a, const SparseText& b) { return a.text_ == b.text_; }
  friend bool operator==(const SparseText& a, const std::string& b) { return a.str() == b; }
  friend bool operator==(const SparseText& a, std::string_view b) { return a.str() == b; }
  friend bool operator==(const SparseText& a, const char* b) { return a.str() == b; }
  friend std::ostream& operator<<(std::ostream& out, const SparseText& t) { return out << t.str(); }

 private:
  SharedText text_;
};

}  // namespace valdrex::host
