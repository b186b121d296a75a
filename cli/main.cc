// The valdrex command.
#include <unistd.h>

#include <iostream>

#include "cli/valdrex_app.h"

int main(int argc, char** argv) {
  return valdrex::cli::runValdrex(argc, argv, std::cin, std::cout, std::cerr,
                                  isatty(STDIN_FILENO) == 1);
}
