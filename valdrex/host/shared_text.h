// An immutable text that copies share: one entry of a file's shared string table or one number
// format may stand in thousands of cells, and must take its memory once, not once a cell.
// One pointer wide; the empty text holds nothing. Workbooks are processed on several threads at
// once: the count of holders is atomic, so that a value passed between them stays safe.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

namespace valdrex::host {

class SharedText {
 public:
  SharedText() = default;
  explicit SharedText(std::string text) {
    if (!text.empty()) block_ = new Block{{1}, std::move(text)};
  }
  SharedText(const SharedText& other) noexcept : block_(other.block_) {
    if (block_) block_->holders.fetch_add(1, std::memory_order_relaxed);
  }
  SharedText(SharedText&& other) noexcept : block_(std::exchange(other.block_, nullptr)) {}
  SharedText& operator=(SharedText other) noexcept {
    std::swap(block_, other.block_);
    return *this;
  }
  ~SharedText() { release(); }

  const std::string& str() const { return block_ ? block_->text : nothing(); }
  bool empty() const { return !block_; }

  friend bool operator==(const SharedText& a, const SharedText& b) {
    return a.block_ == b.block_ || a.str() == b.str();
  }

 private:
  struct Block {
    std::atomic<std::size_t> holders;
    const std::string text;
  };
  static const std::string& nothing() {
    static const std::string none;
    return none;
  }
  void release() noexcept {
    if (block_ && block_->holders.fetch_sub(1, std::memory_order_acq_rel) == 1) delete block_;
  }

  Block* block_ = nullptr;
};

}  // namespace valdrex::host
