// A package written by the zip writer: copied parts keep their stored bytes, new parts of every
// kind read back as they were given.
#include "valdrex/io/zip_writer.h"

#include <gtest/gtest.h>

#include <random>

#include "io_support.h"
#include "valdrex/io/zip_archive.h"

namespace valdrex::io {
namespace {

using namespace testing;

// The bytes a part is stored as, not inflated.
std::string storedBytes(const std::string& package, const std::string& part) {
  zip_source_t* source = zip_source_buffer_create(package.data(), package.size(), 0, nullptr);
  zip_t* archive = zip_open_from_source(source, ZIP_RDONLY, nullptr);
  zip_stat_t st;
  zip_stat(archive, part.c_str(), 0, &st);
  std::string data(static_cast<std::size_t>(st.comp_size), '\0');
  zip_file_t* f = zip_fopen(archive, part.c_str(), ZIP_FL_COMPRESSED);
  zip_fread(f, data.data(), data.size());
  zip_fclose(f);
  zip_discard(archive);
  return data;
}

TEST(ZipWriterTest, CopiedAndNewPartsReadBack) {
  const Parts old = {{"xl/styles.xml", "<styleSheet/>"},
                     {"customXml/项目1.xml", std::string(5000, 'x')}};
  const std::string source = zipOf(old);
  std::string noise(70000, '\0');
  std::mt19937 random(7);
  for (char& c : noise) c = static_cast<char>(random());
  std::string large;
  for (int i = 0; large.size() < 600000; ++i)
    large += "<c r=\"A" + std::to_string(i) + "\"><v>" + std::to_string(i * 0.25) + "</v></c>";
  const Parts added = {{"xl/worksheets/sheet1.xml", large},  // deflated, beside the others
                       {"xl/media/噪声.bin", noise},         // stored: deflate cannot shrink it
                       {"xl/empty.xml", ""},
                       {"xl/worksheets/sheet2.xml", large.substr(0, 300000)}};

  ZipArchive from = ZipArchive::openMemory(source, ReadLimits{});
  ZipWriter writer;
  for (const auto& [name, data] : old) writer.copy(from, name);
  for (const auto& [name, data] : added) writer.add(name, data);
  const std::string package = writer.finish();

  ZipArchive back = ZipArchive::openMemory(package, ReadLimits{});
  std::vector<std::string> order;
  for (const auto& [name, data] : old) order.push_back(name);
  for (const auto& [name, data] : added) order.push_back(name);
  EXPECT_EQ(back.names(), order);
  for (const Parts* parts : {&old, &added})
    for (const auto& [name, data] : *parts) EXPECT_EQ(back.read(name), data) << name;
  for (const auto& [name, data] : old)
    EXPECT_EQ(storedBytes(package, name), storedBytes(source, name)) << name;
  EXPECT_LT(package.size(), large.size() / 3);
}

}  // namespace
}  // namespace valdrex::io
