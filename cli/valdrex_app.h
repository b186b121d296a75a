// The valdrex command line: subcommands, options, and one exit status for everything.
#pragma once

#include <iosfwd>

namespace valdrex::cli {

// Parses the arguments and runs the subcommand. `interactive`: standard input is a terminal,
// so questions may be asked on it. Returns the exit status (exit_codes.h).
int runValdrex(int argc, const char* const* argv, std::istream& in, std::ostream& out,
               std::ostream& err, bool interactive);

}  // namespace valdrex::cli
