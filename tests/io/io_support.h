// Shared helpers of the file tests: a temporary folder per test, packages built part by part,
// and the Python side (fixtures made and files checked by an independent reader).
#pragma once

#include <gtest/gtest.h>
#include <zip.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "support/scratch_folder.h"
#include "valdrex/host/memory_workbook.h"

namespace valdrex::io::testing {

namespace fs = std::filesystem;

using valdrex::testing::ScratchFolder;
using valdrex::testing::slurp;

using Parts = std::map<std::string, std::string>;

// A zip archive holding the parts (deflated).
inline std::string zipOf(const Parts& parts) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
  zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
  zip_source_keep(buffer);
  for (const auto& [name, data] : parts)
    zip_file_add(archive, name.c_str(), zip_source_buffer(archive, data.data(), data.size(), 0),
                 ZIP_FL_ENC_UTF_8);
  zip_close(archive);
  zip_source_open(buffer);
  zip_source_seek(buffer, 0, SEEK_END);
  zip_int64_t size = zip_source_tell(buffer);
  zip_source_seek(buffer, 0, SEEK_SET);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  zip_source_read(buffer, bytes.data(), static_cast<zip_uint64_t>(size));
  zip_source_close(buffer);
  zip_source_free(buffer);
  zip_error_fini(&error);
  return bytes;
}

// The parts of a zip archive, inflated (or as stored).
inline Parts partsOf(const std::string& bytes, bool stored = false) {
  Parts parts;
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
  zip_t* archive = zip_open_from_source(source, ZIP_RDONLY, &error);
  EXPECT_NE(archive, nullptr);
  if (!archive) return parts;
  for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
    zip_stat_t st;
    zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &st);
    std::string data(static_cast<std::size_t>(stored ? st.comp_size : st.size), '\0');
    zip_file_t* f =
        zip_fopen_index(archive, static_cast<zip_uint64_t>(i), stored ? ZIP_FL_COMPRESSED : 0);
    zip_fread(f, data.data(), data.size());
    zip_fclose(f);
    parts[st.name] = data;
  }
  zip_discard(archive);
  return parts;
}

// A print layout by its first fields, the rest left as they are by default.
inline host::PrintLayout printLayout(bool landscape, bool fit, int repeatFirst, int repeatLast) {
  host::PrintLayout layout;
  layout.landscape = landscape;
  layout.fitToPageWidth = fit;
  layout.repeatFirstRow = repeatFirst;
  layout.repeatLastRow = repeatLast;
  return layout;
}

inline const char* kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
inline const char* kRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

inline std::string sheetXml(const std::string& body) {
  return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?><worksheet xmlns=\"") + kMain +
         "\" xmlns:r=\"" + kRel + "\">" + body + "</worksheet>";
}

// A well-formed package: sheets named Sheet1.. with the given worksheet XML, and optional shared
// strings, styles and workbook properties.
struct PackageSpec {
  std::vector<std::pair<std::string, std::string>> sheets;  // name, worksheet xml
  std::string sharedStrings;                                // <sst> body, "" for none
  std::string styles;                                       // whole styles part, "" for none
  std::string workbookPr;                                   // e.g. "<workbookPr date1904=\"1\"/>"
};

inline Parts packageParts(const PackageSpec& spec) {
  Parts parts;
  parts["[Content_Types].xml"] =
      "<?xml version=\"1.0\"?><Types "
      "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>";
  parts["_rels/.rels"] =
      std::string(
          "<?xml version=\"1.0\"?><Relationships "
          "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
          "<Relationship Id=\"rId1\" Type=\"") +
      kRel + "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>";
  std::string sheets, rels;
  for (std::size_t i = 0; i < spec.sheets.size(); ++i) {
    std::string n = std::to_string(i + 1);
    sheets += "<sheet name=\"" + spec.sheets[i].first + "\" sheetId=\"" + n + "\" r:id=\"rId" + n +
              "\"/>";
    rels += "<Relationship Id=\"rId" + n + "\" Type=\"" + kRel +
            "/worksheet\" Target=\"worksheets/sheet" + n + ".xml\"/>";
    parts["xl/worksheets/sheet" + n + ".xml"] = spec.sheets[i].second;
  }
  if (!spec.sharedStrings.empty()) {
    rels += std::string("<Relationship Id=\"rS\" Type=\"") + kRel +
            "/sharedStrings\" Target=\"sharedStrings.xml\"/>";
    parts["xl/sharedStrings.xml"] =
        std::string("<sst xmlns=\"") + kMain + "\">" + spec.sharedStrings + "</sst>";
  }
  if (!spec.styles.empty()) {
    rels +=
        std::string("<Relationship Id=\"rT\" Type=\"") + kRel + "/styles\" Target=\"styles.xml\"/>";
    parts["xl/styles.xml"] = spec.styles;
  }
  parts["xl/workbook.xml"] = std::string("<?xml version=\"1.0\"?><workbook xmlns=\"") + kMain +
                             "\" xmlns:r=\"" + kRel + "\">" + spec.workbookPr + "<sheets>" +
                             sheets + "</sheets></workbook>";
  parts["xl/_rels/workbook.xml.rels"] =
      "<?xml version=\"1.0\"?><Relationships "
      "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">" +
      rels + "</Relationships>";
  return parts;
}

inline std::string packageOf(const PackageSpec& spec) { return zipOf(packageParts(spec)); }

// The Python helper beside this file, with openpyxl; empty when either is missing.
inline std::string pythonHelper() {
  if (std::system("/usr/bin/python3 -c 'import openpyxl' >/dev/null 2>&1") != 0) return "";
  fs::path script = fs::path(__FILE__).parent_path() / "fixtures.py";
  return fs::exists(script) ? script.string() : "";
}

// Runs the helper with the arguments; its standard output, or a failed assertion.
inline std::string runHelper(const std::string& script, const std::string& args) {
  std::string command = "/usr/bin/python3 '" + script + "' " + args;
  FILE* pipe = ::popen(command.c_str(), "r");
  std::string out;
  char buffer[4096];
  while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
  int status = ::pclose(pipe);
  EXPECT_EQ(status, 0) << command << "\n" << out;
  return out;
}

inline constexpr uint8_t kBox =
    host::kEdgeLeft | host::kEdgeRight | host::kEdgeTop | host::kEdgeBottom;

inline void put(host::MemorySheet& s, int row, int col, Variant v, host::CellFormat f = {},
                std::string formula = "") {
  host::Cell& c = s.at(row, col);
  c.value = std::move(v);
  c.format = std::move(f);
  c.formula = std::move(formula);
}

// A workbook with a bit of everything a run writes, for the writer and for the other reader.
inline std::unique_ptr<host::MemoryWorkbook> sampleBook() {
  auto book = std::make_unique<host::MemoryWorkbook>();
  auto& scores = book->addSheet("成绩表");
  put(scores, 1, 1, Variant("两率一分"), {kBox, host::HAlign::Center, ""});
  put(scores, 1, 2, Variant(), {kBox, host::HAlign::General, ""});
  put(scores, 1, 3, Variant(), {kBox, host::HAlign::General, ""});
  scores.addMerge({1, 1, 1, 3});
  put(scores, 1, 5, Variant::date(45352));
  put(scores, 1, 6, Variant::date(45352.25), {0, host::HAlign::Right, "yyyy-mm-dd hh:mm"});
  put(scores, 2, 1, Variant::number(87.5), {host::kEdgeBottom, host::HAlign::Left, "0.00"});
  put(scores, 2, 2, Variant(" 20以下"));
  put(scores, 2, 3, Variant::boolean(true));
  put(scores, 2, 4, Variant::boolean(false));
  put(scores, 2, 5, Variant::error("#N/A"));
  put(scores, 2, 6, Variant::number(123456789012345.0));
  put(scores, 2, 7, Variant::number(1e-7));
  put(scores, 3, 1, Variant::number(175), {}, "A2*2");
  put(scores, 3, 2, Variant("优秀"), {}, "IF(A2>80,\"优秀\",\"\")");
  put(scores, 3, 3, Variant(), {}, "SUM(A2:A3)");
  put(scores, 3, 4, Variant::error("#DIV/0!"), {}, "1/0");
  put(scores, 3, 5, Variant::date(45000), {}, "TODAY()");
  scores.setRowFormat(2, host::CellFormat{host::kEdgeTop, host::HAlign::General, ""});
  scores.setRowFormat(5, host::CellFormat{0, host::HAlign::Center, ""});
  scores.setColumnWidth(1, 12.5);
  scores.setColumnWidth(2, 12.5);
  scores.setColumnWidth(4, 4.43);
  scores.setColumnWidth(7, 0.5);

  auto& hidden = book->addSheet("属性表");
  put(hidden, 3, 4, Variant::number(150));
  hidden.setVisible(host::SheetVisibility::Hidden);
  book->addSheet("Sheet3");
  book->activeSheet = 2;
  return book;
}

}  // namespace valdrex::io::testing
