#pragma once

#include "services/notification_center.h"

#include <QCoreApplication>

namespace inkwarden::testing {

// A notification centre that keeps requests as the reminder service leaves
// them and answers permission with `granted`, later, as a real one does.
class FakeNotificationCenter final : public NotificationCenter {
public:
    bool granted = true;
    QList<NotificationRequest> pending;
    QList<NotificationRequest> delivered;

    void requestAuthorization(std::function<void(bool)> completion) override {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [completion, answer = granted] { completion(answer); },
            Qt::QueuedConnection);
    }
    void removePendingRequests(const QStringList& identifiers) override {
        pending.removeIf(
            [&](const NotificationRequest& r) { return identifiers.contains(r.identifier); });
    }
    void add(const NotificationRequest& request) override {
        if (!request.trigger) {
            delivered.append(request);
            return;
        }
        removePendingRequests({request.identifier});
        pending.append(request);
    }
};

// Records what would have been shown; availability is the test's to set.
class FakeDelivery final : public NotificationDelivery {
public:
    bool available = true;
    QList<NotificationRequest> shown;

    void checkAvailable(std::function<void(bool)> answer) override { answer(available); }
    void deliver(const NotificationRequest& request) override { shown.append(request); }
};

} // namespace inkwarden::testing
