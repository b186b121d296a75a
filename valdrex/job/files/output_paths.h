// Where results and backups go: new files beside the workbook, never the workbook itself.
#pragma once

#include <string>

namespace valdrex {

// "<folder>/<stem>-统计结果<ext>"; a macro workbook (.xlsm) keeps its extension, anything else
// becomes .xlsx because that is what is written.
std::string resultPath(const std::string& input);

// "<folder>/<stem>-备份<ext>", the extension kept as it is; the n-th (n > 1) is
// "<stem>-备份-n<ext>".
std::string backupPath(const std::string& input, int n = 1);
// The first backup name that is free now.
std::string freeBackupPath(const std::string& input);

// Why a result may not be written to `path` (empty, a folder, a device, …), as a whole sentence
// with advice; empty when fine.
std::string outputProblem(const std::string& path);

// Whether two paths name the same file (an existing file through links too).
bool sameFile(const std::string& a, const std::string& b);

// The name shown for a workbook in messages: its file name.
std::string displayName(const std::string& path);

}  // namespace valdrex
