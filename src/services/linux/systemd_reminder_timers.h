#pragma once

#include "services/notification_center.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <functional>

namespace inkwarden {

// The daily reminders as systemd user timers: for each, NAME.timer and
// NAME.service in $XDG_CONFIG_HOME/systemd/user, NAME being kUnitPrefix and
// the reminder's name, running `PROGRAM --remind NAME` at its minute. Units
// are written only where a systemd user manager owns its name on the bus,
// and are loaded, enabled and started through its D-Bus API, one call after
// another. Failures are dropped: the in-process timers remain. Main thread.
class SystemdReminderTimers final : public QObject, public SystemReminderTimers {
    Q_OBJECT
public:
    static inline const QString kUnitPrefix = QStringLiteral("inkwarden-reminder-");

    // `executablePath` is the absolute path of the installed program.
    explicit SystemdReminderTimers(QString executablePath,
                                   QDBusConnection bus = QDBusConnection::sessionBus(),
                                   QObject* parent = nullptr);

    // Follows XDG_CONFIG_HOME at each call; empty when there is no config folder.
    static QString unitFolder();

    void keep(const QList<Reminder>& reminders) override;
    void removeAll() override;

private:
    struct Step {
        QDBusMessage call;
        std::function<void(const QDBusMessage& reply)> then; // on an error reply too
    };

    void writeAndStart(const QList<Reminder>& reminders);
    void removeUnitFiles();
    // Steps run in order, each once the previous one has been answered.
    void enqueue(const QList<Step>& steps, bool first);
    void sendNext();

    QString m_executablePath;
    QDBusConnection m_bus;
    QList<Step> m_steps;
    bool m_sending = false;
};

} // namespace inkwarden
