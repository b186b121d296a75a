#include "valdrex/gradebook/score_text.h"

#include <algorithm>

#include "valdrex/host/number_text.h"

namespace valdrex {

bool isAbsenceWord(std::string_view trimmed) {
  constexpr std::string_view kWords[] = {"缺考", "缺", "缺席", "请假", "免考"};
  return std::find(std::begin(kWords), std::end(kWords), trimmed) != std::end(kWords);
}

std::string scoreText(std::string_view cellText) {
  std::string t = halfWidthNumberText(cellText);
  if (isAbsenceWord(t)) t.clear();
  return t;
}

}  // namespace valdrex
