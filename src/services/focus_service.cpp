#include "services/focus_service.h"

namespace inkwarden {

void FocusService::begin() {}

void FocusService::end() {}

} // namespace inkwarden
