// The lock files spreadsheet programs keep beside a workbook they have open: writing over such a
// workbook loses either the program's unsaved edits or ours.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace valdrex::io {

// The names a lock of `workbook` may have, each in the workbook's folder: LibreOffice's
// ".~lock.NAME#", and the owner file of Excel and WPS, "~$NAME" — which, by Word's rule that
// some programs apply to every document, loses the name's first character when the name without
// its extension is 7 characters long, and its first two when it is longer.
std::vector<std::string> lockFileNames(const std::string& workbook);

// The first of those that exists, when one does.
std::optional<std::string> lockFileBeside(const std::string& workbook);

}  // namespace valdrex::io
