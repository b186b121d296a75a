// Dialogs and the clock of the host: the only way logic code talks to the user or learns the date.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "valdrex/host/date.h"

namespace valdrex::host {

// Message box styles and buttons in use.
inline constexpr int kOkOnly = 0;
inline constexpr int kCritical = 16;
inline constexpr int kYesNoQuestion = 36;
inline constexpr int kInformation = 64;
inline constexpr int kOkDefaultButton2 = 128;
inline constexpr int kButtonOk = 1;
inline constexpr int kButtonYes = 6;
inline constexpr int kButtonNo = 7;

class Ui {
 public:
  virtual ~Ui() = default;
  // Shows a message and waits; returns the button pressed.
  virtual int messageBox(const std::string& prompt, int style, const std::string& title) = 0;
  // Asks for a text; nullopt when the user cancels.
  virtual std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                              const std::string& defaultText) = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual CivilDate today() = 0;
};

// Starts a program of the user's desktop with a command line (program, then its arguments);
// a program that cannot be started fails with Failure(HostError).
class Launcher {
 public:
  virtual ~Launcher() = default;
  virtual void start(const std::vector<std::string>& command) = 0;
};

}  // namespace valdrex::host
