// Lists typed on the command line by teachers, who often type with a Chinese input method.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace valdrex {

// The items of a list separated by ',' or the full-width '，' or '、', each with its surrounding
// spaces (ASCII, tab or the full-width U+3000) removed. "语文，数学" gives two items; an empty
// text gives one empty item.
std::vector<std::string> splitItems(std::string_view text);

// The text without surrounding ASCII and full-width spaces.
std::string trimSpaces(std::string_view text);

}  // namespace valdrex
