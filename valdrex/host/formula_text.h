// A cell's formula (without the leading "="). A file fills one formula down thousands of cells
// by storing it once ("shared formula"); each of those cells holds the leader's text and its own
// distance from the leader, and its text is worked out only when asked for, and not kept, so
// that the cells cost what the file costs. One pointer wide; copies share.
#pragma once

#include <atomic>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>

namespace valdrex::host {

class FormulaText {
 public:
  // The formula as it reads dRow rows and dCol columns further on.
  using Move = std::string (*)(std::string_view formula, int dRow, int dCol);

  FormulaText() = default;
  FormulaText(std::string text);
  FormulaText(const char* text) : FormulaText(std::string(text)) {}
  // The leader's formula as `move` moves it by (dRow, dCol); the leader's text is shared.
  static FormulaText moved(const FormulaText& leader, int dRow, int dCol, Move move);

  FormulaText(const FormulaText& other) noexcept;
  FormulaText(FormulaText&& other) noexcept : block_(std::exchange(other.block_, nullptr)) {}
  FormulaText& operator=(FormulaText other) noexcept {
    std::swap(block_, other.block_);
    return *this;
  }
  FormulaText& operator=(const char* text) { return *this = FormulaText(text); }
  ~FormulaText();

  bool empty() const { return !block_; }
  void clear() { *this = FormulaText(); }
  // The text, worked out afresh each time for a moved formula.
  std::string str() const;
  operator std::string() const { return str(); }
  // The text of its own, or the leader's text a moved formula moves: that, without the work of
  // moving it, with references only a few characters longer or shorter.
  const std::string& unmoved() const;

  friend bool operator==(const FormulaText& a, const FormulaText& b);
  friend bool operator==(const FormulaText& a, std::string_view b) { return a.str() == b; }
  friend bool operator==(const FormulaText& a, const char* b) { return a.str() == b; }
  friend bool operator==(const FormulaText& a, const std::string& b) { return a.str() == b; }
  friend std::ostream& operator<<(std::ostream& out, const FormulaText& f) {
    return out << f.str();
  }

 private:
  struct Block;
  Block* block_ = nullptr;
};

struct FormulaText::Block {
  std::atomic<std::size_t> holders;
  const std::string text;    // a formula of its own
  const FormulaText leader;  // or the leader's, moved by `move`
  const Move move;
  const int dRow, dCol;
};

inline FormulaText::FormulaText(std::string text) {
  if (!text.empty()) block_ = new Block{{1}, std::move(text), FormulaText(), nullptr, 0, 0};
}

inline FormulaText FormulaText::moved(const FormulaText& leader, int dRow, int dCol, Move move) {
  if (leader.empty() || (dRow == 0 && dCol == 0)) return leader;
  FormulaText out;
  out.block_ = new Block{{1},  {},   leader.block_->move ? FormulaText(leader.str()) : leader,
                         move, dRow, dCol};
  return out;
}

inline FormulaText::FormulaText(const FormulaText& other) noexcept : block_(other.block_) {
  if (block_) block_->holders.fetch_add(1, std::memory_order_relaxed);
}

inline FormulaText::~FormulaText() {
  if (block_ && block_->holders.fetch_sub(1, std::memory_order_acq_rel) == 1) delete block_;
}

inline std::string FormulaText::str() const {
  if (!block_) return {};
  if (!block_->move) return block_->text;
  return block_->move(block_->leader.block_->text, block_->dRow, block_->dCol);
}

inline const std::string& FormulaText::unmoved() const {
  static const std::string none;
  if (!block_) return none;
  return block_->move ? block_->leader.block_->text : block_->text;
}

inline bool operator==(const FormulaText& a, const FormulaText& b) {
  if (a.block_ == b.block_) return true;
  if (!a.block_ || !b.block_) return false;
  const FormulaText::Block &x = *a.block_, &y = *b.block_;
  if (x.move && x.move == y.move && x.leader.block_ == y.leader.block_ && x.dRow == y.dRow &&
      x.dCol == y.dCol)
    return true;
  return a.str() == b.str();
}

}  // namespace valdrex::host
