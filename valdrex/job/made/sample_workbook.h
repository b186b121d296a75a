// A realistic grade workbook made up from a seed, for trying the program and for tests.
#pragma once

#include <cstdint>
#include <memory>

#include "valdrex/export.h"
#include "valdrex/host/memory_workbook.h"

namespace valdrex {

struct SampleOptions {
  int classes = 4;    // 1..20
  int students = 40;  // per class, 1..100
  int subjects = 6;   // 1..12
  uint32_t seed = 1;
};

// "成绩表" with a title, the raw full marks and the header in rows 1-3 and the classes' students
// together from row 4 (a few absent in a subject), a filled "属性表" and every report sheet,
// empty; every sheet ready to print. The same options give the same workbook. Options outside
// their ranges fail with std::invalid_argument.
VALDREX_API std::unique_ptr<host::MemoryWorkbook> sampleWorkbook(const SampleOptions& options);

}  // namespace valdrex
