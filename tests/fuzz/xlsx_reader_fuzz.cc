// Fuzz entry point of the workbook reader: any bytes either read as a workbook or end in a
// FileError; anything else (a crash, a leak, another exception) is a fault.
// An input that starts with '<' is taken as a worksheet's XML and packed into a workbook with
// shared strings and styles first, so that the fuzzer reaches the XML readers directly instead
// of fighting the zip checksums.
#include <zip.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "valdrex/io/xlsx_reader.h"

namespace {

const char* kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const char* kRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

std::string packageAround(std::string_view sheet) {
  const std::string rels =
      std::string("<Relationships xmlns=\"x\">") + "<Relationship Id=\"r1\" Type=\"" + kRel +
      "/worksheet\" Target=\"sheet.xml\"/><Relationship Id=\"r2\" Type=\"" + kRel +
      "/sharedStrings\" Target=\"s.xml\"/><Relationship Id=\"r3\" Type=\"" + kRel +
      "/styles\" Target=\"st.xml\"/></Relationships>";
  const std::string parts[][2] = {
      {"xl/workbook.xml", std::string("<workbook xmlns=\"") + kMain + "\" xmlns:r=\"" + kRel +
                              "\"><sheets><sheet name=\"s\" r:id=\"r1\"/></sheets></workbook>"},
      {"xl/_rels/workbook.xml.rels", rels},
      {"xl/s.xml", "<sst><si><t>a</t></si><si><r><t>b</t></r></si><si><t/></si></sst>"},
      {"xl/st.xml",
       "<styleSheet><numFmts><numFmt numFmtId=\"164\" formatCode=\"yyyy/m/d\"/></numFmts>"
       "<borders><border/><border><left style=\"thin\"/></border></borders><cellXfs><xf/>"
       "<xf numFmtId=\"164\" borderId=\"1\"><alignment horizontal=\"center\"/></xf>"
       "<xf numFmtId=\"14\"/></cellXfs></styleSheet>"},
      {"xl/sheet.xml", std::string(sheet)},
  };
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
  zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
  zip_source_keep(buffer);
  for (const auto& part : parts) {
    zip_source_t* s = zip_source_buffer(archive, part[1].data(), part[1].size(), 0);
    zip_int64_t index = zip_file_add(archive, part[0].c_str(), s, 0);
    zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
  }
  zip_close(archive);
  std::string bytes;
  if (zip_source_open(buffer) == 0) {
    char chunk[65536];
    zip_int64_t n;
    while ((n = zip_source_read(buffer, chunk, sizeof chunk)) > 0)
      bytes.append(chunk, static_cast<std::size_t>(n));
    zip_source_close(buffer);
  }
  zip_source_free(buffer);
  zip_error_fini(&error);
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  // Smaller than the real limits, so that the fuzzer spends its time on parsing, not inflating.
  valdrex::io::ReadLimits limits;
  limits.maxTotalBytes = 32u << 20;
  limits.maxPartBytes = 8u << 20;
  limits.maxCells = 200'000;
  limits.maxMerges = 10'000;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string packed;
  if (!input.empty() && input.front() == '<') {
    packed = packageAround(input);
    input = packed;
  }
  try {
    auto book = valdrex::io::readWorkbookFromMemory(input, "fuzz.xlsx", limits);
  } catch (const valdrex::io::FileError&) {
  }
  return 0;
}
