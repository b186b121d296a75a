// `valdrex classes`: lists the score sheet's classes into the property sheet and saves.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

namespace valdrex::cli {

// Writes the class names into column 1 of "属性表" from row 18 and saves the workbook in place,
// atomically. Nothing is saved when the loading reported a problem (status 1) or the workbook
// has no "属性表" (status 1).
int classesCommand(const std::string& path, const std::optional<std::string>& sheet,
                   std::ostream& out, std::ostream& err);

}  // namespace valdrex::cli
