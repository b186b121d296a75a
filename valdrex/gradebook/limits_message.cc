#include "valdrex/gradebook/limits_message.h"

#include "valdrex/host/failure.h"

namespace valdrex {

void showLimitsMessage(host::Ui& ui) {
  ui.messageBox(kLimitsMessage, host::MessageStyle::critical, messageTitle());
}

}  // namespace valdrex
