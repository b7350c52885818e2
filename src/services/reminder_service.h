#pragma once

#include "store/store_services.h"

#include <QObject>

namespace inkwarden {

class NotificationCenter;

// The two repeating daily reminders around the writing time ("writing-soon"
// ten minutes before, "writing-start" at it) and the one-off follow-up.
// Main thread; uses, never owns, the notification centre.
class ReminderService final : public QObject, public ReminderControl {
    Q_OBJECT
public:
    static inline const QString kSoonIdentifier = QStringLiteral("writing-soon");
    static inline const QString kStartIdentifier = QStringLiteral("writing-start");
    static inline const QString kFollowupPrefix = QStringLiteral("writing-incomplete-");

    explicit ReminderService(NotificationCenter& center, QObject* parent = nullptr);

    // Asks for permission each time; once granted, replaces the daily reminders.
    void configure(qint64 hour, qint64 minute) override;
    void remindIfIncomplete() override;

private:
    void schedule(qint64 hour, qint64 minute);

    NotificationCenter& m_center;
};

} // namespace inkwarden
