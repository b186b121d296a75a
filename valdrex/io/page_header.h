// The page header and footer Valdrex writes on a report sheet, as the codes of a header/footer
// element: a reader tells them from a teacher's own by the footer.
#pragma once

#include <string>
#include <string_view>

namespace valdrex::io {

// "第 N 页，共 M 页" in the centre.
inline constexpr std::string_view kPageFooter = "&C第 &P 页，共 &N 页";

// The title bold in the centre and the date on the right; "&" in either printed as itself.
std::string pageHeader(std::string_view title, std::string_view date);

}  // namespace valdrex::io
