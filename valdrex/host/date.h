// Calendar dates and the spreadsheet's day serial numbers (1900 system).
#pragma once

#include <string>
#include <string_view>

#include "valdrex/export.h"

namespace valdrex {

struct CivilDate {
  int year = 1899;
  int month = 12;
  int day = 30;
  friend bool operator==(const CivilDate&, const CivilDate&) = default;
};

// A day of the calendar from 1900-01-01 to 9999-12-31.
VALDREX_API bool isCalendarDate(const CivilDate& d);

// Serial 1 is 1900-01-01; serial 60 is the spreadsheet's phantom 1900-02-29, kept for
// compatibility with files that rely on it.
VALDREX_API double dateSerial(const CivilDate& d);
// The date of a serial from 100-01-01 to 9999-12-31, the language's range of dates; a serial
// outside it (or not finite) gives the nearer end of the range.
VALDREX_API CivilDate civilDate(double serial);
// yyyy/m/d; a serial outside the language's range of dates as the number it is.
VALDREX_API std::string dateText(double serial);
// The number format a date the run writes shows with, in every host: as dateText() writes it.
inline constexpr std::string_view kDateFormatCode = "yyyy/m/d";
// Whether a spreadsheet shows the serial as a date: 1900-01-01 (0 counts as its eve) up to
// 9999-12-31, finite. A file's number outside that is a number, whatever its format.
VALDREX_API bool isSheetDate(double serial);

}  // namespace valdrex
