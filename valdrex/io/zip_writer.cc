#include "valdrex/io/zip_writer.h"

#include <zip.h>

#include "valdrex/io/format_problem.h"

namespace valdrex::io {
namespace {

[[noreturn]] void fail(const std::string& what, zip_error_t* error) {
  throw FormatProblem(what + "（" + zip_error_strerror(error) + "）");
}

}  // namespace

ZipWriter::ZipWriter() {
  zip_error_t error;
  zip_error_init(&error);
  buffer_ = zip_source_buffer_create(nullptr, 0, 0, &error);
  if (!buffer_) fail("无法创建压缩包", &error);
  // The source outlives the archive: finish() reads the written bytes out of it.
  zip_source_keep(buffer_);
  archive_ = zip_open_from_source(buffer_, ZIP_TRUNCATE, &error);
  if (!archive_) {
    zip_source_free(buffer_);
    buffer_ = nullptr;
    fail("无法创建压缩包", &error);
  }
  zip_error_fini(&error);
}

ZipWriter::~ZipWriter() {
  if (archive_) zip_discard(archive_);
  if (buffer_) zip_source_free(buffer_);
}

void ZipWriter::added(std::string_view part, int64_t index) {
  if (index < 0) fail("无法写入部件 " + std::string(part), zip_get_error(archive_));
}

void ZipWriter::copy(ZipArchive& from, std::string_view part) {
  int64_t at = from.locate(part);
  if (at < 0) throw FormatProblem("缺少部件 " + std::string(part));
  // Whole entries are taken without inflating them (start 0, length -1).
  zip_source_t* source =
      zip_source_zip(archive_, from.archive_, static_cast<zip_uint64_t>(at), 0, 0, -1);
  if (!source) fail("无法复制部件 " + std::string(part), zip_get_error(archive_));
  std::string name(part);
  zip_int64_t index = zip_file_add(archive_, name.c_str(), source, ZIP_FL_ENC_UTF_8);
  if (index < 0) zip_source_free(source);
  added(part, index);
}

void ZipWriter::add(std::string_view part, std::string bytes) {
  const std::string& kept = contents_.emplace_back(std::move(bytes));
  zip_source_t* source = zip_source_buffer(archive_, kept.data(), kept.size(), 0);
  if (!source) fail("无法写入部件 " + std::string(part), zip_get_error(archive_));
  std::string name(part);
  zip_int64_t index = zip_file_add(archive_, name.c_str(), source, ZIP_FL_ENC_UTF_8);
  if (index < 0) zip_source_free(source);
  added(part, index);
  zip_set_file_compression(archive_, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 6);
}

std::string ZipWriter::finish() {
  if (zip_close(archive_) != 0) fail("无法写入压缩包", zip_get_error(archive_));
  archive_ = nullptr;
  contents_.clear();
  zip_stat_t st;
  zip_stat_init(&st);
  if (zip_source_stat(buffer_, &st) != 0 || zip_source_open(buffer_) != 0)
    fail("无法读出压缩包", zip_source_error(buffer_));
  std::string bytes(static_cast<std::size_t>(st.size), '\0');
  zip_int64_t n = zip_source_read(buffer_, bytes.data(), bytes.size());
  zip_source_close(buffer_);
  if (n < 0 || static_cast<std::size_t>(n) != bytes.size())
    fail("无法读出压缩包", zip_source_error(buffer_));
  return bytes;
}

}  // namespace valdrex::io
