// A workbook open in a spreadsheet program, following a run made on the job's copy of it: the
// statistics read the copy (fast, and exactly what the checks saw) and every change they make
// is made to the open workbook as well.
#pragma once

#include <string>
#include <string_view>

#include "valdrex/host/memory_workbook.h"

namespace valdrex {

class LiveWorkbook : public host::Workbook {
 public:
  virtual bool hasSheet(std::string_view name) = 0;
  // A new empty sheet after the last one.
  virtual void addSheet(const std::string& name) = 0;
  // Puts a value as a cell of the copy holds it, without reading text as typed input ("001"
  // stays a text).
  virtual void putStored(std::string_view sheet, int row, int col, const Variant& stored) = 0;
  // Makes the changes it still holds back.
  virtual void flush() = 0;
};

// The copy's sheets with every change also made to the live workbook's sheet of the same name.
class MirroredWorkbook final : public host::Workbook {
 public:
  MirroredWorkbook(host::MemoryWorkbook& copy, LiveWorkbook& live);
  ~MirroredWorkbook();
  MirroredWorkbook(const MirroredWorkbook&) = delete;
  MirroredWorkbook& operator=(const MirroredWorkbook&) = delete;
  host::Worksheet& sheet(std::string_view name) override;
  std::string folderPath() const override { return live_.folderPath(); }
  void save() override { live_.save(); }

 private:
  class Sheet;
  host::MemoryWorkbook& copy_;
  LiveWorkbook& live_;
  std::vector<std::unique_ptr<Sheet>> sheets_;
};

}  // namespace valdrex
