// The package of a workbook: a zip archive whose parts are read by name, with every inflated byte
// counted against the reader's limits.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "valdrex/io/read_limits.h"

struct zip;

namespace valdrex::io {

struct PartSum {
  std::string name;
  uint32_t crc = 0;
  uint64_t size = 0;
};

// Every failure is a FormatProblem whose text says what is wrong (the caller adds the file).
class ZipArchive {
 public:
  // The bytes must outlive the archive.
  static ZipArchive openMemory(std::string_view bytes, const ReadLimits& limits);
  ZipArchive(ZipArchive&& other) noexcept;
  ZipArchive& operator=(ZipArchive&&) = delete;
  ~ZipArchive();

  // Part names are compared ignoring case, as the package format says.
  bool contains(std::string_view part) const;
  // The whole part, up to ReadLimits::maxWholePartBytes; a missing part is a FormatProblem naming
  // it.
  std::string read(std::string_view part);
  // The part as far as the first chunk that holds `marker` (the whole part when none does).
  std::string readUntil(std::string_view part, std::string_view marker);
  // The part's inflated bytes, in chunks, as they come out of the decompressor.
  void stream(std::string_view part, const std::function<void(std::string_view)>& sink);
  // Every entry's name, in the order the archive stores them.
  std::vector<std::string> names() const;
  // Every entry's name with the checksum and size of its inflated bytes, as the archive lists
  // them: nothing is inflated.
  std::vector<PartSum> sums() const;

 private:
  friend class ZipWriter;
  ZipArchive(struct zip* archive, const ReadLimits& limits);
  int64_t locate(std::string_view part) const;
  // A FormatProblem when `bytes` of the part are more than a part held whole may have.
  void holdWhole(std::string_view part, uint64_t bytes) const;

  struct zip* archive_;
  ReadLimits limits_;
  uint64_t inflated_ = 0;
};

}  // namespace valdrex::io
