#include "host/worksheet.h"

#include <algorithm>

namespace valdrex::host {

Range between(int rowA, int colA, int rowB, int colB) {
  return Range{std::min(rowA, rowB), std::min(colA, colB), std::max(rowA, rowB), std::max(colA, colB)};
}

}  // namespace valdrex::host
