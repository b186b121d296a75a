#include "valdrex/host/application.h"

namespace valdrex::host {

Application::~Application() = default;

}  // namespace valdrex::host
