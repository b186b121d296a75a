// The base score tables: every student of every class with scores and ranks.
#pragma once

#include "valdrex/gradebook/grade_book.h"
#include "valdrex/gradebook/levels.h"
#include "valdrex/host/worksheet.h"

namespace valdrex {

// What the student lists show beside the scores.
struct RankShown {
  const StudentLevels* levels = nullptr;  // a level beside each rank
  bool hidden = false;                    // every rank cell empty: a list that may be handed out
  bool hasLevels() const { return levels != nullptr; }
};

// Plain mode (detailed false): one column per subject and the total, then the total's class and
// school rank (and its level). Detailed mode: score, class rank and school rank (and level) per
// subject and total. Skips failing statements.
void writeClassTables(GradeBook& g, host::Worksheet& sh, bool detailed,
                      const RankShown& shown = {});

}  // namespace valdrex
