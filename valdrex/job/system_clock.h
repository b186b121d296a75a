// Today's date from the system clock, in the local time zone.
#pragma once

#include "valdrex/host/ui.h"

namespace valdrex {

class SystemClock final : public host::Clock {
 public:
  CivilDate today() override;
};

}  // namespace valdrex
