#include "valdrex/job/session/loading_session.h"

namespace valdrex {

LoadingSession::LoadingSession(host::MemoryWorkbook& wb)
    : clock_({2026, 12, 6}),
      application_(dialogs_, clock_, launcher_, &wb),
      valdrex_(application_) {}

}  // namespace valdrex
