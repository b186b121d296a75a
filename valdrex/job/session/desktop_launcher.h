// Starts a desktop program (the opener of a web page or a file) with a command line, no shell.
#pragma once

#include <string>
#include <vector>

#include "valdrex/host/ui.h"

namespace valdrex {

class DesktopLauncher final : public host::Launcher {
 public:
  // Runs the program found on PATH with the arguments as they are, and waits for it: openers
  // such as xdg-open hand the address to the desktop and return. A program that cannot be
  // started, or that reports failure, fails with Failure(HostError).
  void start(const std::vector<std::string>& command) override;
};

}  // namespace valdrex
