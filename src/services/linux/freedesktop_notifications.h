#pragma once

#include "services/notification_center.h"

#include <QDBusConnection>
#include <QSet>

namespace inkwarden {

// Shows notifications through org.freedesktop.Notifications on the session
// bus, reports a click on one of ours and a notification server appearing.
// Every call but closeShown() is asynchronous and every failure is dropped
// silently. Main thread.
class FreedesktopNotifications final : public NotificationDelivery {
    Q_OBJECT
public:
    explicit FreedesktopNotifications(QDBusConnection bus = QDBusConnection::sessionBus(),
                                      QObject* parent = nullptr);

    // Available means a notification server answers GetServerInformation.
    void checkAvailable(std::function<void(bool available)> answer) override;
    void deliver(const NotificationRequest& request) override;
    // Takes our notifications off the screen; waits for the server, for a
    // program about to end.
    void closeShown();

Q_SIGNALS:
    // One of ours left the screen without a click, or could not be shown.
    void closed();
    // A notification server took the name where none had it.
    void serverAppeared();

private:
    Q_SLOT void activationTokenSent(uint id, const QString& token);
    Q_SLOT void actionInvoked(uint id, const QString& actionKey);
    Q_SLOT void notificationClosed(uint id, uint reason);

    QDBusConnection m_bus;
    QSet<uint> m_shown;        // server ids of our notifications still on screen
    QString m_activationToken; // sent just before the click it belongs to
};

} // namespace inkwarden
