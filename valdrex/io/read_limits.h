// Bounds on what a workbook file may make the reader inflate, parse and allocate.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "valdrex/io/format_problem.h"

namespace valdrex::io {

// A school's workbook is a few megabytes; these are far above that, and together they keep a
// read within a quarter of a gigabyte and a few seconds, so that a zip bomb or a hostile file
// ends in an error, not in exhausted memory or a hang. What the reader does not parse (pictures,
// charts) is not counted: it is copied as stored.
struct ReadLimits {
  uint64_t maxFileBytes = uint64_t{1} << 30;  // the file itself, held in memory
  // Inflated bytes of every part parsed, counted as they come out of the decompressor, and of
  // one part: parsing them takes about three seconds.
  uint64_t maxTotalBytes = uint64_t{160} << 20;
  uint64_t maxPartBytes = uint64_t{160} << 20;
  // A part held whole (the styles part, the package's relationships, the macro project), and a
  // sheet that may be rewritten: saving holds its original text beside the new one.
  uint64_t maxWholePartBytes = uint64_t{32} << 20;
  uint64_t maxEntries = 65536;           // zip entries in the package
  std::size_t maxElements = 12'000'000;  // XML elements parsed, over all parts
  std::size_t maxSheets = 1024;
  std::size_t maxCells = 1'000'000;  // cells, row formats and column widths kept, over all sheets
  std::size_t maxMerges = 200'000;   // merged ranges, over all sheets
  std::size_t maxSharedStrings = 500'000;
  uint64_t maxTextBytes = uint64_t{16} << 20;  // texts and formulas kept, over the workbook
  // Entries of each list of the styles part (cell formats, fonts, borders, number formats):
  // twice what Excel itself allows of cell formats.
  std::size_t maxStyles = 131'072;
  // A sheet's cells beyond these are not kept: the statistics can use none of them (a list of
  // students reaching row 32767 is beyond what the loading counts; the widest report is about a
  // hundred columns), and the sheet, copied as stored, keeps them. Such a sheet is not rewritten.
  int keptRows = 32768;
  int keptColumns = 1024;
};

// "32 MB", or bytes below a megabyte.
inline std::string sizeText(uint64_t bytes) {
  if (bytes >= (uint64_t{1} << 20)) return std::to_string(bytes >> 20) + " MB";
  return std::to_string(bytes) + " 字节";
}

// What a refusal for a limit advises: a real workbook that meets one holds far more than grades.
inline constexpr const char* kLessAdvice = "。请删去工作簿中不需要的工作表或内容后重试";

// What a read may still use of one of the limits, shared by every part it parses: the first
// use beyond it is a FormatProblem that says which limit.
class Allowance {
 public:
  Allowance(uint64_t most, std::string problem) : left_(most), problem_(std::move(problem)) {}
  uint64_t left() const { return left_; }
  void take(uint64_t amount) {
    if (amount > left_) refuse();
    left_ -= amount;
  }
  [[noreturn]] void refuse() const { throw FormatProblem(problem_); }

 private:
  uint64_t left_;
  std::string problem_;
};

}  // namespace valdrex::io
