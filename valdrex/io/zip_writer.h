// A new package built in memory: parts copied from another package as they are stored, and new
// parts compressed here, a large one on another core while the next is being made.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "valdrex/io/part_buffer.h"
#include "valdrex/io/zip_archive.h"

namespace valdrex::io {

// Every failure is a FormatProblem saying what went wrong (the caller adds the file), or
// std::bad_alloc.
class ZipWriter {
 public:
  ZipWriter();
  ~ZipWriter();
  ZipWriter(const ZipWriter&) = delete;
  ZipWriter& operator=(const ZipWriter&) = delete;

  // The part's compressed bytes copied as they are, never inflated: what the package had stays
  // exactly what it was.
  void copy(ZipArchive& from, std::string_view part);
  // The part compressed here.
  void add(std::string_view part, std::string_view bytes);
  // The part compressed on another core when there is one; `bytes` comes back empty, with
  // memory to write the next part into.
  void add(std::string_view part, PartBuffer& bytes);
  // The archive: every part copied or added, in `order` (which names each once). The writer is
  // used up.
  PartBuffer finish(const std::vector<std::string>& order);

 private:
  struct Entry {
    std::size_t offset = 0, length = 0;  // of its stored bytes in stored_
    uint16_t method = 0;
    uint16_t time = 0, date = (1 << 5) | 1;  // MS-DOS local time; 1980-01-01 when unknown
    uint32_t crc = 0;
    uint64_t size = 0;
  };

  struct Deflater;  // one thread's compressor and its output

  Entry& entry(std::string_view part);  // a new entry; lock_ held
  void compress(std::string_view part, std::string_view bytes, Deflater& deflater);
  void helperLoop();
  void waitForHelper(std::unique_lock<std::mutex>& lock);

  std::mutex lock_;  // entries_, stored_ and the hand-over to the helper
  std::map<std::string, Entry> entries_;
  PartBuffer stored_;  // every part's bytes as stored, in the order they were made
  std::unique_ptr<Deflater> mine_, helpers_;

  std::thread helper_;
  bool helperTried_ = false;
  std::condition_variable changed_;
  PartBuffer handed_;  // the part the helper compresses
  std::string handedName_;
  bool busy_ = false, stop_ = false;
  std::exception_ptr failure_;
};

}  // namespace valdrex::io
