// Class names as the teachers write them, and the class rows of "属性表" that go with them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace valdrex {

// The same for class names that differ only by spaces (anywhere, full-width too), full-width
// against half-width characters (brackets too), or letter case: «２班», «2 班» and «2班» give one
// key, and so do «高一（1）班» and «高一(1)班».
std::string classNameKey(std::string_view name);

// Which class row each class takes. A class takes the row of its own name: an equal name first,
// else the first row not taken whose name has its key. The classes left over take the rows left
// over in order, so a list whose names match none of the classes pairs them by position.
struct ClassRowPairing {
  std::vector<int> rowOf;        // per class: the row's index, -1 when the rows ran out
  std::vector<bool> byPosition;  // per class: the row is a leftover, not its name
};
ClassRowPairing pairClassRows(const std::vector<std::string>& classes,
                              const std::vector<std::string>& rowNames);

}  // namespace valdrex
