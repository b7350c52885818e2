#pragma once

#include "services/notification_center.h"

namespace inkwarden::testing {

// The desktop's notifications: records what would have been shown; whether
// it can show any is the test's to set.
struct FakeDelivery final : NotificationDelivery {
    bool available = true;
    QList<NotificationRequest> shown;

    void checkAvailable(std::function<void(bool)> answer) override { answer(available); }
    void deliver(const NotificationRequest& request) override { shown.append(request); }
};

} // namespace inkwarden::testing
