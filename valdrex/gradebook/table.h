// Fixed-size tables whose every index is checked: an index outside the table is a Failure.
#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "valdrex/host/failure.h"

namespace valdrex {

namespace detail {
// Kept out of line, so that the check itself stays small enough to inline in every lookup.
[[noreturn, gnu::noinline, gnu::cold]] inline void indexOutOfRange(long i, std::size_t size) {
  throw Failure(FailureKind::IndexOutOfRange,
                "下标越界: " + std::to_string(i) + " (0.." + std::to_string(size - 1) + ")");
}
inline std::size_t checkedIndex(long i, std::size_t size) {
  if (i < 0 || static_cast<std::size_t>(i) >= size) [[unlikely]]
    indexOutOfRange(i, size);
  return static_cast<std::size_t>(i);
}
}  // namespace detail

template <class T, std::size_t N>
class Table1 {
 public:
  T& operator()(long i) { return cells_[detail::checkedIndex(i, N)]; }
  const T& operator()(long i) const { return cells_[detail::checkedIndex(i, N)]; }
  void fill(const T& v) { cells_.fill(v); }

 private:
  std::array<T, N> cells_{};
};

template <class T, std::size_t N, std::size_t M>
class Table2 {
 public:
  T& operator()(long i, long j) {
    return cells_[detail::checkedIndex(i, N) * M + detail::checkedIndex(j, M)];
  }
  const T& operator()(long i, long j) const {
    return cells_[detail::checkedIndex(i, N) * M + detail::checkedIndex(j, M)];
  }
  void fill(const T& v) { cells_.fill(v); }

 private:
  std::array<T, N * M> cells_{};
};

template <class T, std::size_t N, std::size_t M, std::size_t K>
class Table3 {
 public:
  T& operator()(long i, long j, long k) {
    return cells_[(detail::checkedIndex(i, N) * M + detail::checkedIndex(j, M)) * K +
                  detail::checkedIndex(k, K)];
  }
  const T& operator()(long i, long j, long k) const {
    return cells_[(detail::checkedIndex(i, N) * M + detail::checkedIndex(j, M)) * K +
                  detail::checkedIndex(k, K)];
  }
  void fill(const T& v) { cells_.fill(v); }

 private:
  std::array<T, N * M * K> cells_{};
};

}  // namespace valdrex
