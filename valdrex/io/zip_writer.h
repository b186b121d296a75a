// A new package built in memory: parts copied from another package as they are stored, and new
// parts compressed here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "valdrex/io/zip_archive.h"

namespace valdrex::io {

struct ZipEntry;

// Every failure is a FormatProblem saying what went wrong (the caller adds the file).
class ZipWriter {
 public:
  ZipWriter();
  ~ZipWriter();
  ZipWriter(const ZipWriter&) = delete;
  ZipWriter& operator=(const ZipWriter&) = delete;

  // The part's compressed bytes copied as they are, never inflated: what the package had stays
  // exactly what it was.
  void copy(ZipArchive& from, std::string_view part);
  void add(std::string_view part, std::string bytes);
  // The archive's bytes; the writer is used up. New parts are compressed on every core when
  // they are big enough to gain from it.
  std::string finish();

 private:
  std::vector<ZipEntry> entries_;
  uint16_t time_, date_;  // when the new parts were made
};

}  // namespace valdrex::io
