#include "valdrex/host/date.h"

#include <cmath>

#include "valdrex/host/number_text.h"

namespace valdrex {

namespace {

// Days from 1970-01-01 to a proleptic Gregorian date, and back (Howard Hinnant's algorithms).
constexpr long daysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  long era = (y >= 0 ? y : y - 399) / 400;
  long yoe = y - era * 400;
  long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

CivilDate civilFromDays(long z) {
  z += 719468;
  long era = (z >= 0 ? z : z - 146096) / 146097;
  long doe = z - era * 146097;
  long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  long mp = (5 * doy + 2) / 153;
  int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  int y = static_cast<int>(yoe + era * 400 + (m <= 2));
  return {y, m, d};
}

constexpr long kEpoch = daysFromCivil(1899, 12, 30);  // serial 0 for dates from 1900-03-01 on
constexpr double kFirstDate = static_cast<double>(daysFromCivil(100, 1, 1) - kEpoch);
constexpr double kLastDate = static_cast<double>(daysFromCivil(9999, 12, 31) - kEpoch);

bool inLanguageRange(double serial) { return serial >= kFirstDate && serial < kLastDate + 1; }

}  // namespace

bool isCalendarDate(const CivilDate& d) {
  if (d.year < 1900 || d.year > 9999 || d.month < 1 || d.month > 12 || d.day < 1) return false;
  static constexpr int kDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (d.year % 4 == 0 && d.year % 100 != 0) || d.year % 400 == 0;
  return d.day <= kDays[d.month - 1] && !(d.month == 2 && d.day == 29 && !leap);
}

double dateSerial(const CivilDate& d) {
  long serial = daysFromCivil(d.year, d.month, d.day) - kEpoch;
  // Before 1900-03-01 the spreadsheet counts its phantom 1900-02-29 one day late.
  if (serial < 61) serial -= 1;
  if (d.year == 1900 && d.month == 2 && d.day == 29) serial = 60;
  return static_cast<double>(serial);
}

CivilDate civilDate(double serial) {
  // Clamped before the conversion: a double beyond the range of long cannot be converted.
  if (!inLanguageRange(serial)) serial = serial > 0 ? kLastDate : kFirstDate;
  long n = static_cast<long>(std::floor(serial));
  if (n == 60) return {1900, 2, 29};
  if (n < 60) n += 1;
  return civilFromDays(kEpoch + n);
}

std::string dateText(double serial) {
  if (!inLanguageRange(serial)) return doubleText(serial);
  CivilDate d = civilDate(serial);
  return std::to_string(d.year) + "/" + std::to_string(d.month) + "/" + std::to_string(d.day);
}

bool isSheetDate(double serial) { return serial >= 0 && serial < kLastDate + 1; }

}  // namespace valdrex
