#include "gradebook/limits_message.h"
#include "host/failure.h"

namespace valdrex {

void showLimitsMessage(host::Ui& ui) { ui.messageBox(kLimitsMessage, host::kCritical, kMessageTitle); }

}  // namespace valdrex
