// Workbook files beside the teacher's: backups, and errors a teacher can act on.
#pragma once

#include <memory>
#include <string>

#include "valdrex/host/memory_workbook.h"

namespace valdrex {

// Copies `input` to the first free backup name beside it (output_paths.h), never replacing a
// file, and returns that name. Failing is an io::FileError.
std::string copyAsBackup(const std::string& input);

// The file layer's message, with advice added when it gives none.
std::string readProblem(const std::string& fileError);
std::string writeProblem(const std::string& fileError);

}  // namespace valdrex
