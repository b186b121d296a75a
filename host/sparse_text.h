// A text that nearly every cell leaves empty (its formula, its number format): one pointer wide,
// so that a sheet of a hundred thousand cells does not carry two empty strings in each.
// It reads and assigns like a std::string.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <string_view>

namespace valdrex::host {

class SparseText {
 public:
  SparseText() = default;
  SparseText(const char* text) { assign(text); }
  SparseText(std::string text) { assign(std::move(text)); }
  SparseText(const SparseText& other) { assign(other.str()); }
  SparseText(SparseText&&) noexcept = default;
  SparseText& operator=(const SparseText& other) {
    if (this != &other) assign(other.str());
    return *this;
  }
  SparseText& operator=(SparseText&&) noexcept = default;
  SparseText& operator=(std::string text) {
    assign(std::move(text));
    return *this;
  }
  SparseText& operator=(const char* text) {
    assign(text);
    return *this;
  }

  const std::string& str() const { return text_ ? *text_ : nothing(); }
  operator const std::string&() const { return str(); }
  const char* c_str() const { return str().c_str(); }
  bool empty() const { return !text_; }
  std::size_t size() const { return str().size(); }
  void clear() { text_.reset(); }

  friend bool operator==(const SparseText& a, const SparseText& b) {
    if (!a.text_ || !b.text_) return !a.text_ && !b.text_;  // only the empty text has no string
    return *a.text_ == *b.text_;
  }
  friend bool operator==(const SparseText& a, const std::string& b) { return a.str() == b; }
  friend bool operator==(const SparseText& a, std::string_view b) { return a.str() == b; }
  friend bool operator==(const SparseText& a, const char* b) { return a.str() == b; }
  friend std::ostream& operator<<(std::ostream& out, const SparseText& t) { return out << t.str(); }

 private:
  static const std::string& nothing() {
    static const std::string none;
    return none;
  }
  void assign(std::string text) {
    if (text.empty())
      text_.reset();
    else if (text_)
      *text_ = std::move(text);
    else
      text_ = std::make_unique<std::string>(std::move(text));
  }

  std::unique_ptr<std::string> text_;  // null for the empty text
};

}  // namespace valdrex::host
