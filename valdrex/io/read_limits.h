// Bounds on what a workbook file may make the reader inflate, parse and allocate.
#pragma once

#include <cstddef>
#include <cstdint>

namespace valdrex::io {

// A school's workbook is a few megabytes; these are far above that and far below what would
// exhaust the machine, so that a zip bomb or a hostile file ends in an error, not a hang.
struct ReadLimits {
  uint64_t maxTotalBytes = uint64_t{1} << 30;   // inflated bytes of every part read, counted
  uint64_t maxPartBytes = uint64_t{256} << 20;  // inflated bytes of one part
  uint64_t maxEntries = 65536;                  // zip entries in the package
  std::size_t maxSheets = 1024;
  std::size_t maxCells = 5'000'000;  // cells and column widths kept, over all sheets
  std::size_t maxMerges = 200'000;   // merged ranges, over all sheets
  std::size_t maxSharedStrings = 5'000'000;
};

}  // namespace valdrex::io
