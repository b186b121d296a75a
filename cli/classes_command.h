// `valdrex classes`: lists the score sheet's classes into the property sheet and saves.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

namespace valdrex::cli {

// Writes the class names into column 1 of "属性表" from row 18, each class's teacher row moving
// with it (rows of classes no longer there are dropped and told on `out`), and saves the workbook
// atomically: to `output` when given (the workbook stays as it was), else in place after copying
// it to the next free backup name. Nothing is saved when the loading reported a problem
// (status 1) or the workbook has no "属性表" (status 1).
int classesCommand(const std::string& path, const std::optional<std::string>& sheet,
                   const std::optional<std::string>& output, bool force, std::ostream& out,
                   std::ostream& err);

}  // namespace valdrex::cli
