// The bytes of a part or a package being made. A large sheet's XML is megabytes: it is written
// into 2 MB regions that the system may map as huge pages, far faster than the same memory page
// by page, with room reserved to grow without copying; one buffer serves part after part.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

namespace valdrex::io {

class PartBuffer {
 public:
  PartBuffer() = default;
  ~PartBuffer();
  PartBuffer(PartBuffer&& other) noexcept;
  PartBuffer& operator=(PartBuffer&& other) noexcept;
  PartBuffer(const PartBuffer&) = delete;
  PartBuffer& operator=(const PartBuffer&) = delete;

  std::string_view view() const { return {data_, size_}; }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  void clear() { size_ = 0; }  // the memory stays for the next part

  // Room for n more bytes, to be written at the returned place and then kept with advance().
  // These are called for every few bytes of a sheet: they are always inlined.
  [[gnu::always_inline]] char* room(std::size_t n) {
    if (capacity_ - size_ < n) [[unlikely]]
      grow(n);
    return data_ + size_;
  }
  [[gnu::always_inline]] void advance(std::size_t n) { size_ += n; }

  [[gnu::always_inline]] void append(std::string_view s) {
    if (s.empty()) return;  // an empty view may have no data, and memcpy takes no null pointer
    std::memcpy(room(s.size()), s.data(), s.size());
    size_ += s.size();
  }
  [[gnu::always_inline]] void push_back(char c) {
    *room(1) = c;
    ++size_;
  }
  [[gnu::always_inline]] PartBuffer& operator+=(std::string_view s) {
    append(s);
    return *this;
  }
  [[gnu::always_inline]] PartBuffer& operator+=(char c) {
    push_back(c);
    return *this;
  }

 private:
  void grow(std::size_t n);  // throws std::bad_alloc
  void release() noexcept;

  char* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace valdrex::io
