#include "valdrex/io/part_buffer.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <utility>

namespace valdrex::io {
namespace {

constexpr std::size_t kRegion = 2 * 1024 * 1024;  // one huge page
// Smaller parts live in ordinary memory: a region would be cleared whole on first use.
constexpr std::size_t kSmall = 64 * 1024;
// Address space costs nothing until it is written: a large part is given room to grow in without
// moving.
constexpr std::size_t kReserve = 256 * 1024 * 1024;

// `bytes` (a multiple of the region) starting on a region boundary, so that the system can map
// each region as one page; nullptr when there is no such room.
char* mapRegions(std::size_t bytes) {
  void* raw = mmap(nullptr, bytes + kRegion, PROT_READ | PROT_WRITE,
                   MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  const auto start = reinterpret_cast<std::uintptr_t>(raw);
  const auto aligned = (start + kRegion - 1) / kRegion * kRegion;
  if (aligned > start) munmap(raw, aligned - start);
  munmap(reinterpret_cast<void*>(aligned + bytes), start + kRegion - aligned);
  madvise(reinterpret_cast<void*>(aligned), bytes, MADV_HUGEPAGE);
  return reinterpret_cast<char*>(aligned);
}

}  // namespace

// Without large pages every part lives in ordinary memory.
constexpr bool kMapped = VALDREX_LARGE_PAGES;

void PartBuffer::release() noexcept {
  if (!data_) return;
  if (kMapped && capacity_ > kSmall)
    munmap(data_, capacity_);
  else
    std::free(data_);
}

PartBuffer::~PartBuffer() { release(); }

PartBuffer::PartBuffer(PartBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

PartBuffer& PartBuffer::operator=(PartBuffer&& other) noexcept {
  if (this != &other) {
    release();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
  }
  return *this;
}

void PartBuffer::grow(std::size_t n) {
  if (n > SIZE_MAX / 4 - size_) throw std::bad_alloc();
  const std::size_t needed = size_ + n;
  std::size_t wanted = std::max({capacity_ * 2, needed, std::size_t{4096}});
  char* bigger = nullptr;
  if (!kMapped || wanted <= kSmall) {
    bigger = static_cast<char*>(std::realloc(data_, wanted));
    if (!bigger) throw std::bad_alloc();
    data_ = bigger;
    capacity_ = wanted;
    return;
  }
  wanted = (std::max(wanted, kReserve) + kRegion - 1) / kRegion * kRegion;
  bigger = mapRegions(wanted);
  if (!bigger) {
    wanted = (needed + kRegion - 1) / kRegion * kRegion;
    bigger = mapRegions(wanted);
  }
  if (!bigger) throw std::bad_alloc();
  if (data_) std::memcpy(bigger, data_, size_);
  release();
  data_ = bigger;
  capacity_ = wanted;
}

}  // namespace valdrex::io
