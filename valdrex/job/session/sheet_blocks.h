// What a run changed on a sheet of the job's copy, as a spreadsheet program writes it at once: the
// blocks to empty, the values in rectangles and the formats in ranges. A program takes a handful
// of calls per sheet this way, where replaying the run's every sort, insert and paste took
// hundreds.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "valdrex/host/memory_workbook.h"

namespace valdrex {

// The values a sheet held, in row order, then column order.
class SheetValues {
 public:
  SheetValues() = default;  // a sheet with no values
  explicit SheetValues(const host::MemorySheet& sheet);
  using Cells = std::vector<std::pair<std::pair<int, int>, Variant>>;
  const Cells& cells() const { return cells_; }

 private:
  Cells cells_;
};

struct ValueBlock {
  host::Range range;
  std::vector<Variant> values;  // row by row; an empty one empties its cell
};

// A format's part over a block; whole rows reach the last column.
template <class T>
struct FormatBlock {
  host::Range range;
  T value;
};

// In the order a host applies them: emptied blocks (values, formats and merges), values, then
// the formats (whole rows first, so that cells' own formats come over them), then the merges.
// Formats are those the run set: a cell left at a default keeps what the program shows there.
struct SheetBlocks {
  std::vector<host::Range> cleared;
  std::vector<ValueBlock> values;
  std::vector<FormatBlock<uint8_t>> borders;  // host::kEdge* bits
  std::vector<FormatBlock<host::HAlign>> alignments;
  std::vector<FormatBlock<std::string>> numberFormats;
  std::vector<host::Range> bold;
  std::vector<host::Range> merges;
  bool empty() const {
    return cleared.empty() && values.empty() && borders.empty() && alignments.empty() &&
           numberFormats.empty() && bold.empty() && merges.empty();
  }
};

// `after` as blocks over the sheet that held `before`'s values and none of its formats: what the
// run removed is emptied as one block, every cell there with a value and every cell whose value
// changed elsewhere is written, and a date with no number format of its own shows as yyyy/m/d.
SheetBlocks sheetBlocks(const SheetValues& before, const host::MemorySheet& after);

}  // namespace valdrex
