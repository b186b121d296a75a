// Row storage hands out blocks from shared regions and reuses freed ones: blocks must never
// overlap, whatever the mix of sizes, the order of freeing, the thread that frees them or the
// threads that ended before.
#include "valdrex/host/row_storage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

namespace valdrex::host {
namespace {

struct Block {
  unsigned char* p;
  std::size_t size;
  unsigned char mark;
};

void churn(unsigned seed, int rounds) {
  std::mt19937 random(seed);
  std::vector<Block> live;
  for (int i = 0; i < rounds; ++i) {
    if (live.empty() || random() % 3 != 0) {
      // Sizes of rows of one cell up to rows past the largest pooled block.
      const std::size_t size = 1 + random() % (20 * 1024);
      auto* p = static_cast<unsigned char*>(allocateRowStorage(size));
      ASSERT_EQ(reinterpret_cast<std::uintptr_t>(p) % alignof(std::max_align_t), 0u);
      const auto mark = static_cast<unsigned char>(random());
      std::memset(p, mark, size);
      live.push_back({p, size, mark});
    } else {
      const std::size_t k = random() % live.size();
      const Block b = live[k];
      for (std::size_t j = 0; j < b.size; ++j) ASSERT_EQ(b.p[j], b.mark) << "block overwritten";
      releaseRowStorage(b.p, b.size);
      live[k] = live.back();
      live.pop_back();
    }
  }
  for (const Block& b : live) {
    for (std::size_t j = 0; j < b.size; ++j) ASSERT_EQ(b.p[j], b.mark) << "block overwritten";
    releaseRowStorage(b.p, b.size);
  }
}

TEST(RowStorage, BlocksNeverOverlapAcrossSizesReuseAndThreads) {
  churn(1, 4000);
  std::thread other(churn, 2u, 4000);
  churn(3, 4000);
  other.join();

  // Blocks made by a thread that has ended are freed here, while a new thread starts with what
  // the ended one left.
  std::vector<void*> made;
  std::thread maker([&made] {
    for (std::size_t i = 0; i < 500; ++i) made.push_back(allocateRowStorage(64 + i * 8));
  });
  maker.join();
  for (std::size_t i = 0; i < 500; ++i) releaseRowStorage(made[i], 64 + i * 8);
  std::thread next(churn, 4u, 4000);
  churn(5, 4000);
  next.join();
}

}  // namespace
}  // namespace valdrex::host
