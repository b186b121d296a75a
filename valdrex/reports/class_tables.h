// The base score tables: every student of every class with scores and ranks.
#pragma once

#include "valdrex/gradebook/grade_book.h"
#include "valdrex/host/worksheet.h"

namespace valdrex {

// Plain mode (detailed false): one column per subject and the total, then the total's class and
// school rank. Detailed mode: score, class rank and school rank per subject and total. Skips
// failing statements.
void writeClassTables(GradeBook& g, host::Worksheet& sh, bool detailed);

}  // namespace valdrex
