#include "valdrex/job/session/live_workbook.h"

namespace valdrex {

using host::Range;

class MirroredWorkbook::Sheet final : public host::Worksheet {
 public:
  Sheet(host::Worksheet& copy, host::Worksheet& live) : copy_(copy), live_(live) {}
  std::string name() const override { return copy_.name(); }
  Variant cell(int row, int col) const override { return copy_.cell(row, col); }
  host::Range usedRange() const override { return copy_.usedRange(); }
  // The copy first: what it refuses never reaches the live sheet.
  void setCell(int row, int col, const Variant& value) override {
    copy_.setCell(row, col, value);
    live_.setCell(row, col, value);
  }
  void clear(const Range& block) override {
    both([&](Worksheet& s) { s.clear(block); });
  }
  void clearContents(const Range& block) override {
    both([&](Worksheet& s) { s.clearContents(block); });
  }
  void deleteCells(const Range& block) override {
    both([&](Worksheet& s) { s.deleteCells(block); });
  }
  void insertRow(int row) override {
    both([&](Worksheet& s) { s.insertRow(row); });
  }
  void copy(const Range& block) override {
    both([&](Worksheet& s) { s.copy(block); });
  }
  void pasteSpecial(int row, int col) override {
    both([&](Worksheet& s) { s.pasteSpecial(row, col); });
  }
  void sort(const Range& block, std::span<const host::SortKey> keys, bool header) override {
    both([&](Worksheet& s) { s.sort(block, keys, header); });
  }
  void merge(const Range& block) override {
    both([&](Worksheet& s) { s.merge(block); });
  }
  void setHorizontalAlignment(const Range& block, host::HAlign alignment) override {
    both([&](Worksheet& s) { s.setHorizontalAlignment(block, alignment); });
  }
  void setBorder(const Range& block, host::BorderSide side, host::LineStyle style) override {
    both([&](Worksheet& s) { s.setBorder(block, side, style); });
  }
  void setNumberFormat(const Range& block, const std::string& code) override {
    both([&](Worksheet& s) { s.setNumberFormat(block, code); });
  }
  void activate() override {
    both([&](Worksheet& s) { s.activate(); });
  }
  void selectCell(int row, int col) override {
    both([&](Worksheet& s) { s.selectCell(row, col); });
  }
  void setVisible(host::SheetVisibility visibility) override {
    both([&](Worksheet& s) { s.setVisible(visibility); });
  }

 private:
  template <class Change>
  void both(const Change& change) {
    change(copy_);
    change(live_);
  }
  host::Worksheet& copy_;
  host::Worksheet& live_;
};

MirroredWorkbook::MirroredWorkbook(host::MemoryWorkbook& copy, LiveWorkbook& live)
    : copy_(copy), live_(live) {}
MirroredWorkbook::~MirroredWorkbook() = default;

host::Worksheet& MirroredWorkbook::sheet(std::string_view name) {
  host::Worksheet& copy = copy_.sheet(name);  // fails for a missing name, as the copy does
  for (auto& s : sheets_)
    if (s->name() == copy.name()) return *s;
  if (!live_.hasSheet(copy.name())) live_.addSheet(copy.name());
  sheets_.push_back(std::make_unique<Sheet>(copy, live_.sheet(copy.name())));
  return *sheets_.back();
}

}  // namespace valdrex
