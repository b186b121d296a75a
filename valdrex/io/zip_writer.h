// A new package built in memory: parts copied from another package as they are stored, and new
// parts compressed here.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "valdrex/io/zip_archive.h"

struct zip;
struct zip_source;

namespace valdrex::io {

// Every failure is a FormatProblem saying what went wrong (the caller adds the file).
class ZipWriter {
 public:
  ZipWriter();
  ~ZipWriter();
  ZipWriter(const ZipWriter&) = delete;
  ZipWriter& operator=(const ZipWriter&) = delete;

  // The part's compressed bytes copied as they are, never inflated: what the package had stays
  // exactly what it was. `from` must outlive finish().
  void copy(ZipArchive& from, std::string_view part);
  void add(std::string_view part, std::string bytes);
  // The archive's bytes; the writer is used up.
  std::string finish();

 private:
  void added(std::string_view part, int64_t index);

  struct zip* archive_ = nullptr;
  struct zip_source* buffer_ = nullptr;
  std::deque<std::string> contents_;  // kept until finish(), which compresses them
};

}  // namespace valdrex::io
