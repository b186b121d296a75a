// The last look at a package before it replaces anything: a fault of the writer must never reach
// a teacher as a file no program can open.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace valdrex::io {

// A package the writer made that is not sound: a fault of the program, not of the input.
class WrittenPackageFault : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

// Every XML part of `written` (names of parts of `package`) must be well-formed, and the package's
// structure must read back as a workbook; else WrittenPackageFault says which part and what is
// wrong.
void checkWrittenPackage(std::string_view package, const std::vector<std::string>& written);

}  // namespace valdrex::io
