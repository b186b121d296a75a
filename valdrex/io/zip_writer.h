// A new package built in memory: parts copied from another package as they are stored, and new
// parts compressed here, large ones on the other cores while the next is being made.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
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

  // Called with every part added, before it is compressed and in the thread that compresses it;
  // what it throws ends the writing as any failure does.
  void checkEach(std::function<void(std::string_view part, std::string_view bytes)> check) {
    check_ = std::move(check);
  }

  // The part's compressed bytes copied as they are, never inflated: what the package had stays
  // exactly what it was.
  void copy(ZipArchive& from, std::string_view part);
  // The part compressed here.
  void add(std::string_view part, std::string_view bytes);
  // The part compressed on another core when one is free, else here; `bytes` comes back empty,
  // with memory to write the next part into.
  void add(std::string_view part, PartBuffer& bytes);
  // Every part copied or added so far, with the checksum and size of its bytes; waits for the
  // parts being compressed on other cores.
  std::vector<PartSum> sums();
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
  struct Handed {
    std::string name;
    PartBuffer bytes;
  };

  Entry& entry(std::string_view part);  // a new entry; lock_ held
  void compress(std::string_view part, std::string_view bytes, Deflater& deflater);
  void helperLoop();

  std::unique_ptr<Deflater> mine_;  // this thread's
  std::function<void(std::string_view, std::string_view)> check_;

  std::mutex lock_;  // what follows
  std::map<std::string, Entry> entries_;
  PartBuffer stored_;  // every part's bytes as stored, in the order they were made

  std::condition_variable changed_;
  std::vector<std::thread> helpers_;
  std::size_t idle_ = 0;           // helpers without a part
  std::deque<Handed> handed_;      // parts no helper has taken yet
  std::vector<PartBuffer> spare_;  // buffers of compressed parts, for the next parts
  bool stop_ = false;
  std::exception_ptr failure_;  // the first a helper met
};

}  // namespace valdrex::io
