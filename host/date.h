// Calendar dates and the spreadsheet's day serial numbers (1900 system).
#pragma once

#include <string>

namespace valdrex {

struct CivilDate {
  int year = 1899;
  int month = 12;
  int day = 30;
  friend bool operator==(const CivilDate&, const CivilDate&) = default;
};

// Serial 1 is 1900-01-01; serial 60 is the spreadsheet's phantom 1900-02-29, kept for
// compatibility with files that rely on it.
double dateSerial(const CivilDate& d);
CivilDate civilDate(double serial);
// yyyy/m/d
std::string dateText(double serial);

}  // namespace valdrex
