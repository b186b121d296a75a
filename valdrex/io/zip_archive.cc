#include "valdrex/io/zip_archive.h"

#include <zip.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "valdrex/io/format_problem.h"

namespace valdrex::io {
namespace {

constexpr std::size_t kChunk = 64 * 1024;

// Teachers often pick an old .xls by mistake; it (like an encrypted workbook) is an OLE file.
std::string notZipProblem(std::string_view head) {
  static constexpr unsigned char kOle[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  if (head.size() >= sizeof kOle && std::memcmp(head.data(), kOle, sizeof kOle) == 0)
    return "不是 xlsx 文件（是旧版 Excel 97-2003 .xls 文件或加了密码的工作簿，请在 Excel 中另存为"
           " .xlsx）";
  // A zip begins with a local header; without its directory at the end it was cut short.
  if (head.substr(0, 4) == std::string_view("PK\x03\x04", 4))
    return "文件不完整或已损坏（zip 压缩包的目录缺失，文件可能被截断）";
  return "不是 xlsx 文件（不是 zip 压缩包）";
}

std::string openProblem(int code, int systemError, std::string_view head) {
  switch (code) {
    case ZIP_ER_NOZIP:
      return notZipProblem(head);
    case ZIP_ER_NOENT:
      return "文件不存在";
    case ZIP_ER_OPEN:
    case ZIP_ER_READ:
      return std::string("无法读取文件（") + std::strerror(systemError) + "）";
    case ZIP_ER_MEMORY:
      return "内存不足";
    case ZIP_ER_MULTIDISK:
      return "不支持分卷 zip 压缩包";
    case ZIP_ER_INCONS:
    case ZIP_ER_EOF:
    case ZIP_ER_SEEK:
    case ZIP_ER_CRC:
    default:
      break;
  }
  zip_error_t error;
  zip_error_init_with_code(&error, code);
  std::string detail = zip_error_strerror(&error);
  zip_error_fini(&error);
  return "文件不完整或已损坏（zip 压缩包结构错误：" + detail + "）";
}

struct FileCloser {
  void operator()(zip_file_t* f) const { zip_fclose(f); }
};

}  // namespace

ZipArchive::ZipArchive(struct zip* archive, const ReadLimits& limits)
    : archive_(archive), limits_(limits) {
  zip_int64_t entries = zip_get_num_entries(archive_, 0);
  if (entries < 0 || static_cast<uint64_t>(entries) > limits_.maxEntries) {
    zip_discard(archive_);
    archive_ = nullptr;
    throw FormatProblem("zip 压缩包中的文件数超过上限 " + std::to_string(limits.maxEntries));
  }
}

ZipArchive::ZipArchive(ZipArchive&& other) noexcept
    : archive_(other.archive_), limits_(other.limits_), inflated_(other.inflated_) {
  other.archive_ = nullptr;
}

ZipArchive::~ZipArchive() {
  if (archive_) zip_discard(archive_);
}

ZipArchive ZipArchive::openMemory(std::string_view bytes, const ReadLimits& limits) {
  if (bytes.empty()) throw FormatProblem("文件是空的");
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
  if (!source) {
    zip_error_fini(&error);
    throw FormatProblem("内存不足");
  }
  struct zip* archive = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
  if (!archive) {
    zip_source_free(source);
    int code = zip_error_code_zip(&error);
    zip_error_fini(&error);
    throw FormatProblem(openProblem(code, 0, bytes.substr(0, 8)));
  }
  zip_error_fini(&error);
  return ZipArchive(archive, limits);
}

int64_t ZipArchive::locate(std::string_view part) const {
  std::string name(part);
  return zip_name_locate(archive_, name.c_str(), ZIP_FL_NOCASE);
}

std::vector<std::string> ZipArchive::names() const {
  std::vector<std::string> out;
  zip_int64_t entries = zip_get_num_entries(archive_, 0);
  for (zip_int64_t i = 0; i < entries; ++i)
    if (const char* name = zip_get_name(archive_, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW))
      out.emplace_back(name);
  return out;
}

std::vector<PartSum> ZipArchive::sums() const {
  std::vector<PartSum> out;
  zip_int64_t entries = zip_get_num_entries(archive_, 0);
  for (zip_int64_t i = 0; i < entries; ++i) {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(archive_, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW, &st) != 0 ||
        !(st.valid & ZIP_STAT_NAME) || !(st.valid & ZIP_STAT_CRC) || !(st.valid & ZIP_STAT_SIZE))
      throw FormatProblem("压缩包的目录无法读取");
    out.push_back({st.name, st.crc, st.size});
  }
  return out;
}

bool ZipArchive::contains(std::string_view part) const { return locate(part) >= 0; }

void ZipArchive::holdWhole(std::string_view part, uint64_t bytes) const {
  if (bytes > limits_.maxWholePartBytes)
    throw FormatProblem("部件 " + std::string(part) + " 解压后超过 " +
                        sizeText(limits_.maxWholePartBytes) + "，无法整个读入" + kLessAdvice);
}

std::string ZipArchive::readUntil(std::string_view part, std::string_view marker) {
  struct Found {};
  std::string bytes;
  try {
    stream(part, [&](std::string_view chunk) {
      holdWhole(part, bytes.size() + chunk.size());
      const std::size_t from = bytes.size() < marker.size() ? 0 : bytes.size() - marker.size();
      bytes.append(chunk);
      if (bytes.find(marker, from) != std::string::npos) throw Found{};
    });
  } catch (const Found&) {
  }
  return bytes;
}

std::string ZipArchive::read(std::string_view part) {
  std::string bytes;
  // Room for the size the archive declares, within the limit: the text is not copied as it grows.
  zip_stat_t st;
  zip_stat_init(&st);
  if (int64_t at = locate(part);
      at >= 0 && zip_stat_index(archive_, static_cast<zip_uint64_t>(at), 0, &st) == 0 &&
      (st.valid & ZIP_STAT_SIZE))
    bytes.reserve(static_cast<std::size_t>(std::min<uint64_t>(st.size, limits_.maxWholePartBytes)));
  stream(part, [&](std::string_view chunk) {
    holdWhole(part, bytes.size() + chunk.size());
    bytes.append(chunk);
  });
  return bytes;
}

void ZipArchive::stream(std::string_view part, const std::function<void(std::string_view)>& sink) {
  int64_t index = locate(part);
  if (index < 0) throw FormatProblem("缺少部件 " + std::string(part));
  std::unique_ptr<zip_file_t, FileCloser> file(
      zip_fopen_index(archive_, static_cast<zip_uint64_t>(index), 0));
  if (!file) {
    int code = zip_error_code_zip(zip_get_error(archive_));
    if (code == ZIP_ER_NOPASSWD || code == ZIP_ER_WRONGPASSWD || code == ZIP_ER_ENCRNOTSUPP)
      throw FormatProblem("部件 " + std::string(part) + " 已加密");
    if (code == ZIP_ER_COMPNOTSUPP)
      throw FormatProblem("部件 " + std::string(part) + " 使用了不支持的压缩方式");
    throw FormatProblem("部件 " + std::string(part) + " 无法打开（" +
                        zip_error_strerror(zip_get_error(archive_)) + "）");
  }

  // Sizes declared in the archive are not trusted: the bytes are counted as they come out.
  auto buffer = std::make_unique<char[]>(kChunk);
  uint64_t partBytes = 0;
  for (;;) {
    zip_int64_t n = zip_fread(file.get(), buffer.get(), kChunk);
    if (n < 0) {
      throw FormatProblem("部件 " + std::string(part) + " 已损坏（" +
                          zip_error_strerror(zip_file_get_error(file.get())) + "）");
    }
    if (n == 0) break;
    partBytes += static_cast<uint64_t>(n);
    inflated_ += static_cast<uint64_t>(n);
    if (partBytes > limits_.maxPartBytes)
      throw FormatProblem("部件 " + std::string(part) + " 解压后超过 " +
                          sizeText(limits_.maxPartBytes) + "（文件异常，可能是 zip 炸弹）" +
                          kLessAdvice);
    if (inflated_ > limits_.maxTotalBytes)
      throw FormatProblem("解压后的内容超过 " + sizeText(limits_.maxTotalBytes) +
                          "（文件异常，可能是 zip 炸弹）" + kLessAdvice);
    sink(std::string_view(buffer.get(), static_cast<std::size_t>(n)));
  }
}

}  // namespace valdrex::io
