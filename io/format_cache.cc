#include "io/format_cache.h"

#include <xlsxwriter.h>

namespace valdrex::io {
namespace {

// The library keeps a number format in a fixed buffer of this size; a longer code would be cut
// into an invalid one.
constexpr std::size_t kMaxNumberFormat = LXW_FORMAT_FIELD_LEN - 1;

}  // namespace

lxw_format* FormatCache::plain() {
  if (!plain_) plain_ = workbook_add_format(workbook_);
  return plain_;
}

lxw_format* FormatCache::get(const host::CellFormat& format, bool date) {
  if (last_ && date == lastDate_ && format == lastFormat_) return last_;
  std::string numberFormat = format.numberFormat;
  if (numberFormat.size() > kMaxNumberFormat) numberFormat.clear();
  if (date && numberFormat.empty()) numberFormat = kDefaultDateFormat;
  if (format.borders == 0 && format.align == host::HAlign::General && numberFormat.empty())
    return nullptr;

  std::string key;
  key.reserve(2 + numberFormat.size());
  key += static_cast<char>(format.borders);
  key += static_cast<char>(format.align);
  key += numberFormat;
  lxw_format*& made = formats_[key];
  if (!made) {
    made = workbook_add_format(workbook_);
    if (format.borders & host::kEdgeLeft) format_set_left(made, LXW_BORDER_THIN);
    if (format.borders & host::kEdgeRight) format_set_right(made, LXW_BORDER_THIN);
    if (format.borders & host::kEdgeTop) format_set_top(made, LXW_BORDER_THIN);
    if (format.borders & host::kEdgeBottom) format_set_bottom(made, LXW_BORDER_THIN);
    switch (format.align) {
      case host::HAlign::Left: format_set_align(made, LXW_ALIGN_LEFT); break;
      case host::HAlign::Center: format_set_align(made, LXW_ALIGN_CENTER); break;
      case host::HAlign::Right: format_set_align(made, LXW_ALIGN_RIGHT); break;
      case host::HAlign::General: break;
    }
    if (!numberFormat.empty()) format_set_num_format(made, numberFormat.c_str());
  }
  lastFormat_ = format;
  lastDate_ = date;
  last_ = made;
  return made;
}

}  // namespace valdrex::io
