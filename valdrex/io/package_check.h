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

// A part the writer made, before it goes into the package: an XML part must be well-formed.
void requireWellFormed(std::string_view part, std::string_view bytes);

// The package made, before it replaces anything: its structure must read back as a workbook. The
// writer adds to what was read, so the reader's limits on counts are doubled for it.
void requireReadable(std::string_view package);

}  // namespace valdrex::io
