#pragma once

#include "services/notification_center.h"

#include <QDBusConnection>
#include <QSet>

namespace inkwarden {

// Shows notifications through org.freedesktop.Notifications on the session
// bus and reports a click on one of ours. Every call is asynchronous and
// every failure is dropped silently. Main thread.
class FreedesktopNotifications final : public NotificationDelivery {
    Q_OBJECT
public:
    explicit FreedesktopNotifications(QDBusConnection bus = QDBusConnection::sessionBus(),
                                      QObject* parent = nullptr);

    // Available means a notification server answers GetServerInformation.
    void checkAvailable(std::function<void(bool available)> answer) override;
    void deliver(const NotificationRequest& request) override;

private:
    Q_SLOT void actionInvoked(uint id, const QString& actionKey);
    Q_SLOT void notificationClosed(uint id, uint reason);

    QDBusConnection m_bus;
    QSet<uint> m_shown; // server ids of our notifications still on screen
};

} // namespace inkwarden
