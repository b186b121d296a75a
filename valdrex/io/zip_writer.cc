#include "valdrex/io/zip_writer.h"

#include <libdeflate.h>
#include <zip.h>

#include <algorithm>
#include <ctime>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <utility>

#include "valdrex/io/format_problem.h"

namespace valdrex::io {
namespace {

// Level 1 compresses a report several times faster than zlib's usual level 6, for a file about a
// tenth larger; the levels between gain little size for much more time.
constexpr int kLevel = 1;

constexpr uint16_t kStored = 0, kDeflated = 8;
constexpr uint16_t kUtf8Name = 1 << 11;
constexpr uint64_t kMax32 = 0xFFFFFFFF;
constexpr uint16_t kFirstDosDate = (1 << 5) | 1;  // 1980-01-01, the earliest a zip entry can say

struct DosTime {
  uint16_t time = 0, date = kFirstDosDate;
};

DosTime dosTime(std::time_t when) {
  std::tm t{};
  if (!localtime_r(&when, &t) || t.tm_year < 80 || t.tm_year > 207) return {};
  return {static_cast<uint16_t>((t.tm_hour << 11) | (t.tm_min << 5) | (t.tm_sec / 2)),
          static_cast<uint16_t>(((t.tm_year - 80) << 9) | ((t.tm_mon + 1) << 5) | t.tm_mday)};
}

// What a reader must support to inflate an entry stored with `method`.
uint16_t versionNeeded(uint16_t method) {
  switch (method) {
    case kStored:
    case kDeflated:
      return 20;
    case 9:  // deflate64
      return 21;
    case 12:  // bzip2
      return 46;
    default:
      return 63;
  }
}

void put16(PartBuffer& out, uint16_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>(v >> 8));
}

void put32(PartBuffer& out, uint32_t v) {
  put16(out, static_cast<uint16_t>(v & 0xFFFF));
  put16(out, static_cast<uint16_t>(v >> 16));
}

struct CompressorFree {
  void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};

struct FileCloser {
  void operator()(zip_file_t* f) const { zip_fclose(f); }
};

}  // namespace

struct ZipWriter::Deflater {
  std::unique_ptr<libdeflate_compressor, CompressorFree> compressor{
      libdeflate_alloc_compressor(kLevel)};
  PartBuffer out;
};

ZipWriter::ZipWriter() = default;

ZipWriter::~ZipWriter() {
  {
    std::lock_guard lock(lock_);
    handed_.clear();
    stop_ = true;
  }
  changed_.notify_all();
  for (std::thread& helper : helpers_) helper.join();
}

ZipWriter::Entry& ZipWriter::entry(std::string_view part) {
  auto [at, isNew] = entries_.try_emplace(std::string(part));
  if (!isNew) throw FormatProblem("部件 " + std::string(part) + " 重复");
  return at->second;
}

void ZipWriter::copy(ZipArchive& from, std::string_view part) {
  const int64_t at = from.locate(part);
  if (at < 0) throw FormatProblem("缺少部件 " + std::string(part));
  const auto index = static_cast<zip_uint64_t>(at);
  zip_stat_t st;
  zip_stat_init(&st);
  constexpr zip_uint64_t kNeeded =
      ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_CRC | ZIP_STAT_COMP_METHOD;
  if (zip_stat_index(from.archive_, index, 0, &st) != 0 || (st.valid & kNeeded) != kNeeded ||
      st.comp_size > kMax32 || st.size > kMax32)
    throw FormatProblem("无法复制部件 " + std::string(part));
  if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE)
    throw FormatProblem("部件 " + std::string(part) + " 已加密");
  std::unique_ptr<zip_file_t, FileCloser> file(
      zip_fopen_index(from.archive_, index, ZIP_FL_COMPRESSED));
  if (!file) throw FormatProblem("无法复制部件 " + std::string(part));

  std::lock_guard lock(lock_);
  Entry& e = entry(part);
  e.method = st.comp_method;
  e.crc = st.crc;
  e.size = st.size;
  if (st.valid & ZIP_STAT_MTIME) {
    const DosTime when = dosTime(st.mtime);
    e.time = when.time;
    e.date = when.date;
  }
  e.offset = stored_.size();
  e.length = static_cast<std::size_t>(st.comp_size);
  if (zip_fread(file.get(), stored_.room(e.length), e.length) != static_cast<zip_int64_t>(e.length))
    throw FormatProblem("无法复制部件 " + std::string(part));
  stored_.advance(e.length);
}

void ZipWriter::compress(std::string_view part, std::string_view bytes, Deflater& deflater) {
  if (bytes.size() > kMax32) throw FormatProblem("部件 " + std::string(part) + " 超过 4 GB");
  if (!deflater.compressor) throw std::bad_alloc();
  if (check_) check_(part, bytes);
  const uint32_t crc = libdeflate_crc32(0, bytes.data(), bytes.size());
  deflater.out.clear();
  const std::size_t bound =
      libdeflate_deflate_compress_bound(deflater.compressor.get(), bytes.size());
  const std::size_t n = libdeflate_deflate_compress(deflater.compressor.get(), bytes.data(),
                                                    bytes.size(), deflater.out.room(bound), bound);
  // Stored as it is when compressing would not make it smaller.
  const bool deflated = n > 0 && n < bytes.size();
  deflater.out.advance(deflated ? n : 0);
  const std::string_view data = deflated ? deflater.out.view() : bytes;
  const DosTime now = dosTime(std::time(nullptr));

  std::lock_guard lock(lock_);
  Entry& e = entry(part);
  e.method = deflated ? kDeflated : kStored;
  e.crc = crc;
  e.size = bytes.size();
  e.time = now.time;
  e.date = now.date;
  e.offset = stored_.size();
  e.length = data.size();
  stored_.append(data);
}

void ZipWriter::add(std::string_view part, std::string_view bytes) {
  if (!mine_) mine_ = std::make_unique<Deflater>();
  compress(part, bytes, *mine_);
}

void ZipWriter::add(std::string_view part, PartBuffer& bytes) {
  static const std::size_t cores =
      VALDREX_THREADS ? std::max(1u, std::thread::hardware_concurrency()) : 1;
  std::unique_lock lock(lock_);
  if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
  // The part goes to an idle helper, or to a new one while there are fewer helpers than other
  // cores. Otherwise this thread compresses it: no thread waits for another.
  if (idle_ == handed_.size() && helpers_.size() + 1 < cores) {
    try {
      helpers_.emplace_back([this] { helperLoop(); });
      ++idle_;
    } catch (const std::system_error&) {
      // Fewer threads only take longer.
    }
  }
  if (idle_ > handed_.size()) {
    handed_.push_back({std::string(part), std::move(bytes)});
    bytes = PartBuffer();
    if (!spare_.empty()) {
      bytes = std::move(spare_.back());
      spare_.pop_back();
    }
    lock.unlock();
    changed_.notify_all();
    return;
  }
  lock.unlock();
  add(part, bytes.view());
  bytes.clear();
}

void ZipWriter::helperLoop() {
  Deflater deflater;
  std::unique_lock lock(lock_);
  for (;;) {
    changed_.wait(lock, [&] { return !handed_.empty() || stop_; });
    if (handed_.empty()) return;
    Handed job = std::move(handed_.front());
    handed_.pop_front();
    --idle_;
    lock.unlock();
    std::exception_ptr failure;
    try {
      compress(job.name, job.bytes.view(), deflater);
    } catch (...) {
      failure = std::current_exception();
    }
    job.bytes.clear();
    lock.lock();
    if (failure && !failure_) failure_ = failure;
    try {
      spare_.push_back(std::move(job.bytes));
    } catch (const std::bad_alloc&) {
      // The buffer is only not reused.
    }
    ++idle_;
    changed_.notify_all();
  }
}

std::vector<PartSum> ZipWriter::sums() {
  std::unique_lock lock(lock_);
  changed_.wait(lock, [&] { return handed_.empty() && idle_ == helpers_.size(); });
  if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
  std::vector<PartSum> out;
  for (const auto& [name, e] : entries_) out.push_back({name, e.crc, e.size});
  return out;
}

PartBuffer ZipWriter::finish(const std::vector<std::string>& order) {
  {
    std::unique_lock lock(lock_);
    changed_.wait(lock, [&] { return handed_.empty() && idle_ == helpers_.size(); });
    stop_ = true;
  }
  changed_.notify_all();
  for (std::thread& helper : helpers_) helper.join();
  helpers_.clear();
  if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
  if (order.size() != entries_.size() || order.size() > 0xFFFF)
    throw FormatProblem(order.size() > 0xFFFF ? "部件过多，无法写成 xlsx 文件" : "部件不全");
  std::vector<const Entry*> listed;
  for (const std::string& name : order) {
    auto it = entries_.find(name);
    if (it == entries_.end()) throw FormatProblem("缺少部件 " + name);
    listed.push_back(&it->second);
  }

  std::size_t total = 22;
  for (std::size_t i = 0; i < order.size(); ++i)
    total += 30 + 46 + 2 * order[i].size() + listed[i]->length;
  if (total > kMax32) throw FormatProblem("文件超过 4 GB，无法写成 xlsx 文件");
  PartBuffer out;
  out.room(total);
  std::vector<uint32_t> offsets;
  auto header = [&](const std::string& name, const Entry& e, bool central) {
    const bool ascii = std::all_of(name.begin(), name.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (central) put16(out, 20);  // made by: MS-DOS attributes, version 2.0
    put16(out, versionNeeded(e.method));
    put16(out, ascii ? 0 : kUtf8Name);
    put16(out, e.method);
    put16(out, e.time);
    put16(out, e.date);
    put32(out, e.crc);
    put32(out, static_cast<uint32_t>(e.length));
    put32(out, static_cast<uint32_t>(e.size));
    put16(out, static_cast<uint16_t>(name.size()));
    put16(out, 0);  // no extra field
  };
  for (std::size_t i = 0; i < order.size(); ++i) {
    offsets.push_back(static_cast<uint32_t>(out.size()));
    put32(out, 0x04034b50);
    header(order[i], *listed[i], false);
    out += order[i];
    out += stored_.view().substr(listed[i]->offset, listed[i]->length);
  }
  const auto directory = static_cast<uint32_t>(out.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    put32(out, 0x02014b50);
    header(order[i], *listed[i], true);
    put16(out, 0);  // comment
    put16(out, 0);  // disk
    put16(out, 0);  // internal attributes
    put32(out, 0);  // external attributes
    put32(out, offsets[i]);
    out += order[i];
  }
  const auto count = static_cast<uint16_t>(order.size());
  const auto directorySize = static_cast<uint32_t>(out.size() - directory);
  put32(out, 0x06054b50);
  put16(out, 0);
  put16(out, 0);
  put16(out, count);
  put16(out, count);
  put32(out, directorySize);
  put32(out, directory);
  put16(out, 0);
  entries_.clear();
  stored_ = PartBuffer();
  return out;
}

}  // namespace valdrex::io
