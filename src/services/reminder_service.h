#pragma once

#include "store/store_services.h"

#include <QObject>
#include <optional>
#include <utility>

namespace inkwarden {

class NotificationCenter;
class SystemReminderTimers;
struct NotificationRequest;

// The two repeating daily reminders around the writing time ("writing-soon"
// ten minutes before, "writing-start" at it) and the one-off follow-up.
// Main thread; uses, never owns, the notification centre and the system's timers.
class ReminderService final : public QObject, public ReminderControl {
    Q_OBJECT
public:
    static inline const QString kSoonIdentifier = QStringLiteral("writing-soon");
    static inline const QString kStartIdentifier = QStringLiteral("writing-start");
    static inline const QString kFollowupPrefix = QStringLiteral("writing-incomplete-");
    static inline const QString kCompletionIdentifier = QStringLiteral("session-complete");

    explicit ReminderService(NotificationCenter& center,
                             SystemReminderTimers* systemTimers = nullptr,
                             QObject* parent = nullptr);

    // The daily reminder by its short name ("soon", "start"), to be shown at once.
    static std::optional<NotificationRequest> dailyReminder(const QString& name);

    // Asks for permission each time; once granted, replaces the daily reminders.
    void configure(qint64 hour, qint64 minute) override;
    void remindIfIncomplete() override;
    // Configures again with the last time given, for when the desktop can
    // show notifications again.
    void reconfigure();
    // Shows a daily reminder that the system's timer handed over; the centre
    // shows it once however many times it arrives.
    void deliverDailyReminder(const QString& name);
    // Withdraws the daily reminders, here and with the system.
    void removeDailyReminders();
    // "Session complete. 5 days in a row.", or without the streak for a first day.
    void announceCompletion(int daysInARow);

private:
    void schedule(qint64 hour, qint64 minute);

    NotificationCenter& m_center;
    SystemReminderTimers* m_systemTimers;
    std::optional<std::pair<qint64, qint64>> m_lastTime; // hour, minute
};

} // namespace inkwarden
