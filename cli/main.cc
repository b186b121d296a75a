// The valdrex command.
#include <unistd.h>

#include <iostream>

#include "cli/valdrex_app.h"
#include "valdrex/io/atomic_file.h"

int main(int argc, char** argv) {
  // Ctrl-C or a kill must not leave half-written temporary files beside a teacher's workbook.
  valdrex::io::removeTempFilesOnSignals();
  return valdrex::cli::runValdrex(argc, argv, std::cin, std::cout, std::cerr,
                                  isatty(STDIN_FILENO) == 1);
}
