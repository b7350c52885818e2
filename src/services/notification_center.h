#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace inkwarden {

// A trigger that fires every day at a local hour and minute.
struct DailyTrigger {
    int hour = 0;
    int minute = 0;
    friend bool operator==(const DailyTrigger&, const DailyTrigger&) = default;
};

struct NotificationRequest {
    QString identifier;
    QString title;
    QString body;
    bool defaultSound = true;
    std::optional<DailyTrigger> trigger; // none: deliver at once
    friend bool operator==(const NotificationRequest&, const NotificationRequest&) = default;
};

// What the reminder service needs from a notification centre: permission,
// pending requests by identifier, and adding a request. Main thread.
class NotificationCenter {
public:
    virtual ~NotificationCenter() = default;
    // Answers later, on the main thread, whether notifications can be shown.
    virtual void requestAuthorization(std::function<void(bool granted)> completion) = 0;
    virtual void removePendingRequests(const QStringList& identifiers) = 0;
    virtual void add(const NotificationRequest& request) = 0;
};

// Shows one notification on the desktop. Main thread.
class NotificationDelivery : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // Answers later, on the main thread, whether a notification server answers.
    virtual void checkAvailable(std::function<void(bool available)> answer) = 0;
    virtual void deliver(const NotificationRequest& request) = 0;

Q_SIGNALS:
    // The person clicked one of our notifications; with the desktop's token
    // for bringing a window to the front when it sent one (Wayland), else empty.
    void activated(const QString& activationToken);
};

// Keeps the daily reminders with the operating system as well, so that they
// come while the program is closed. Each reminder has a short name ("soon",
// "start") by which the system hands it back to the program. Main thread.
class SystemReminderTimers {
public:
    struct Reminder {
        QString name;
        DailyTrigger trigger;
    };

    virtual ~SystemReminderTimers() = default;
    // Replaces the kept reminders with these.
    virtual void keep(const QList<Reminder>& reminders) = 0;
    // Leaves nothing of ours with the system.
    virtual void removeAll() = 0;
};

} // namespace inkwarden
