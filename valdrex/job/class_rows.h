// The class rows of "属性表" (from row 18: the class name in column A, then each subject's
// teacher and the head teacher) kept with their class when `classes` rewrites the class list.
#pragma once

#include <string>
#include <vector>

#include "valdrex/host/memory_workbook.h"
#include "valdrex/job/outcome/job_outcome.h"

namespace valdrex {

// The rows as they are, up to the first empty class name.
std::vector<ClassRow> readClassRows(const host::MemorySheet& sx);

// Once column A lists `classes`: each old row's cells go to the row of its class as the run pairs
// them (pairClassRows: by name, the leftovers in order), so no teacher is lost to a renamed
// class; a class without any row gets empty cells within the old list and keeps what its row
// holds below it; rows no class takes are taken out of the list and returned.
ClassRowMoves placeClassRows(host::MemorySheet& sx, std::vector<ClassRow> old,
                             const std::vector<std::string>& classes);

// `countClasses` run on the score sheet, its classes written into column A of the property sheet
// from row 18 with their teacher rows (placeClassRows). When the loading shows a message, the list
// it wrote is partial and the teacher rows were not moved: the workbook must not be kept then.
struct ClassListing {
  std::vector<std::string> classes;
  ClassRowMoves moves;
  std::vector<std::string> messages;  // "【title】text"
};
ClassListing listClasses(host::MemoryWorkbook& wb, host::MemorySheet& scoreSheet,
                         host::MemorySheet& propertySheet);

// Names joined with "、".
std::string listedNames(const std::vector<std::string>& names);
// Where the class names go, for the teacher: "“属性表”第 18 行起的 A 列".
std::string classListPlace();
// What the teacher is told of the moves, one line each; `original` names where the earlier
// property sheet can still be found.
std::vector<std::string> classMoveLines(const ClassRowMoves& moves, const std::string& original);

}  // namespace valdrex
