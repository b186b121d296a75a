// Dialogs and the clock of the host: the only way logic code talks to the user or learns the date.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "valdrex/export.h"
#include "valdrex/host/date.h"

namespace valdrex::host {

// The message boxes the library shows. The spreadsheet's numeric style codes (0, 16, 36, 64, 128)
// belong to the automation edge (automation/object_model_codes.h).
enum class MessageStyle {
  plain,               // OK only
  critical,            // OK, with the stop sign
  yesNoQuestion,       // Yes and No, Yes the default, with the question mark
  information,         // OK, with the information sign
  plainSecondDefault,  // OK only, asked with a second button as the default
};
enum class Button { ok, yes, no };

inline bool asksYesNo(MessageStyle style) { return style == MessageStyle::yesNoQuestion; }

class VALDREX_API Ui {
 public:
  virtual ~Ui() = default;
  // Shows a message and waits; returns the button pressed.
  virtual Button messageBox(const std::string& prompt, MessageStyle style,
                            const std::string& title) = 0;
  // Asks for a text; nullopt when the user cancels.
  virtual std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                              const std::string& defaultText) = 0;
};

class VALDREX_API Clock {
 public:
  virtual ~Clock() = default;
  virtual CivilDate today() = 0;
};

// Starts a program of the user's desktop with a command line (program, then its arguments);
// a program that cannot be started fails with Failure(HostError).
class VALDREX_API Launcher {
 public:
  virtual ~Launcher() = default;
  virtual void start(const std::vector<std::string>& command) = 0;
};

}  // namespace valdrex::host
