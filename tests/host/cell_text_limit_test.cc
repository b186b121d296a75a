// A text longer than a cell holds keeps its first 32,767 UTF-16 code units, never half a
// character, so that every written workbook can be saved.
#include <gtest/gtest.h>

#include "valdrex/host/memory_workbook.h"

namespace valdrex::host {
namespace {

std::string repeat(const std::string& piece, int times) {
  std::string s;
  for (int i = 0; i < times; ++i) s += piece;
  return s;
}

TEST(CellTextLimit, LongerTextsKeepTheirFirst32767CodeUnits) {
  const std::string emoji = "\xF0\x9F\x98\x80";  // one character, two UTF-16 code units
  struct {
    const char* what;
    std::string written;
    std::string stored;
  } cases[] = {
      {"at the limit", repeat("a", 32767), repeat("a", 32767)},
      {"one over", repeat("a", 32768), repeat("a", 32767)},
      {"Chinese", repeat("科", 32767) + "分数", repeat("科", 32767)},
      {"a pair that would straddle the limit", repeat("a", 32766) + emoji, repeat("a", 32766)},
      {"pairs that fit", repeat("a", 32765) + emoji + "b", repeat("a", 32765) + emoji},
  };
  MemoryWorkbook book;
  MemorySheet& s = book.addSheet("Sheet1");
  for (const auto& c : cases) {
    s.setCell(1, 1, Variant::text(c.written));
    EXPECT_EQ(s.cell(1, 1).text(), c.stored) << c.what;
  }
}

}  // namespace
}  // namespace valdrex::host
