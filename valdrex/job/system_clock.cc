#include "valdrex/job/system_clock.h"

#include <ctime>

namespace valdrex {

CivilDate SystemClock::today() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return CivilDate{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

}  // namespace valdrex
