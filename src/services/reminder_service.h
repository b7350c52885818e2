#pragma once

#include "store/store_services.h"

namespace inkwarden {

// The daily reminders ("writing-soon", "writing-start") and the follow-up.
// Main thread. Delivery through the desktop's notification server is not
// wired in yet, so both operations change nothing for now.
class ReminderService final : public ReminderControl {
public:
    void configure(qint64 hour, qint64 minute) override;
    void remindIfIncomplete() override;
};

} // namespace inkwarden
