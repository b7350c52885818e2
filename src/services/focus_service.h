#pragma once

#include "store/store_services.h"

namespace inkwarden {

// Keeps the writer window in front, full screen, during a session and pauses
// music. Main thread. The window-system and music backends are not wired in
// yet, so both operations change nothing for now.
class FocusService final : public FocusControl {
public:
    void begin() override;
    void end() override;
};

} // namespace inkwarden
