#include "valdrex/job/outcome/check_finding.h"

namespace valdrex {

namespace {

// Where the cell's name starts in "sheet!D7", or npos when the place is a sheet (or a file).
std::size_t cellStart(const std::string& place) {
  const std::size_t bang = place.rfind('!');
  if (bang == std::string::npos) return bang;
  std::size_t i = bang + 1;
  while (i < place.size() && place[i] >= 'A' && place[i] <= 'Z') ++i;
  const std::size_t letters = i - bang - 1;
  while (i < place.size() && place[i] >= '0' && place[i] <= '9') ++i;
  const bool cell = letters > 0 && i > bang + 1 + letters && i == place.size();
  return cell ? bang + 1 : std::string::npos;
}

}  // namespace

std::string Finding::sheet() const {
  const std::size_t start = cellStart(place);
  return start == std::string::npos ? place : place.substr(0, start - 1);
}

std::string Finding::cell() const {
  const std::size_t start = cellStart(place);
  return start == std::string::npos ? "" : place.substr(start);
}

}  // namespace valdrex
