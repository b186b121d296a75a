// `valdrex members`: the member table of ValdrexCls, for those who call it by name.
#pragma once

#include <iosfwd>

namespace valdrex::cli {

// One line per member in interface order: kind, name, parameters with types, result.
void membersCommand(std::ostream& out);

}  // namespace valdrex::cli
