// Memory for the cells of sheet rows. The tables of a large grade take many megabytes in blocks
// of a few kilobytes; they are carved from 2 MB regions that the system may map as huge pages,
// which it maps far faster than the same memory page by page. Freed blocks are kept for reuse,
// by each thread for itself: threads working on different workbooks take no common lock.
#pragma once

#include <cstddef>
#include <new>

#include "valdrex/export.h"

namespace valdrex::host {

VALDREX_API void* allocateRowStorage(std::size_t bytes);
VALDREX_API void releaseRowStorage(void* p, std::size_t bytes) noexcept;

template <class T>
struct RowAllocator {
  using value_type = T;
  RowAllocator() = default;
  template <class U>
  RowAllocator(const RowAllocator<U>&) noexcept {}
  T* allocate(std::size_t n) { return static_cast<T*>(allocateRowStorage(n * sizeof(T))); }
  void deallocate(T* p, std::size_t n) noexcept { releaseRowStorage(p, n * sizeof(T)); }
  friend bool operator==(const RowAllocator&, const RowAllocator&) { return true; }
};

}  // namespace valdrex::host
