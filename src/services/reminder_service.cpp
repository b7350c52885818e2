#include "services/reminder_service.h"

#include "services/notification_center.h"
#include "store/daily_schedule.h"

#include <QPointer>
#include <QUuid>

namespace inkwarden {
namespace {

const QString kTitle = QStringLiteral("Inkwarden");
const QString kSoonBody = QStringLiteral("Writing starts in 10 minutes.");
const QString kStartBody = QStringLiteral("It\u2019s time for your writing session.");
const QString kFollowupBody = QStringLiteral(
    "Your writing block is still unfinished. You can return when you\u2019re ready.");

struct DailyReminder {
    QString identifier;
    QString name; // what the system's timer hands back
    QString body;
    qint64 secondsBefore;
};

QList<DailyReminder> dailyReminders() {
    return {{ReminderService::kSoonIdentifier, QStringLiteral("soon"), kSoonBody, 600},
            {ReminderService::kStartIdentifier, QStringLiteral("start"), kStartBody, 0}};
}

DailyTrigger triggerAt(const QDateTime& moment) {
    const QTime time = moment.toLocalTime().time();
    return {time.hour(), time.minute()};
}

} // namespace

ReminderService::ReminderService(NotificationCenter& center, SystemReminderTimers* systemTimers,
                                 QObject* parent)
    : QObject(parent)
    , m_center(center)
    , m_systemTimers(systemTimers) {}

std::optional<NotificationRequest> ReminderService::dailyReminder(const QString& name) {
    for (const DailyReminder& daily : dailyReminders())
        if (daily.name == name)
            return NotificationRequest{daily.identifier, kTitle, daily.body, true, std::nullopt};
    return std::nullopt;
}

void ReminderService::configure(qint64 hour, qint64 minute) {
    m_lastTime = {hour, minute};
    QPointer<ReminderService> self(this);
    // The centre answers later, on the main thread; the service may be gone by then.
    m_center.requestAuthorization([self, hour, minute](bool granted) {
        if (granted && self)
            self->schedule(hour, minute);
    });
}

// Only the hour and minute of the two times matter; a fixed winter day keeps
// daylight-saving changes out of them, and a daily time shortly after
// midnight puts the early reminder late on the day before.
void ReminderService::schedule(qint64 hour, qint64 minute) {
    m_center.removePendingRequests({kSoonIdentifier, kStartIdentifier});
    QDateTime base = scheduledTimeOn(QDate(2001, 1, 2), hour, minute);
    if (!base.isValid())
        base = QDateTime::currentDateTime();
    QList<SystemReminderTimers::Reminder> kept;
    for (const DailyReminder& daily : dailyReminders()) {
        const DailyTrigger trigger = triggerAt(base.addSecs(-daily.secondsBefore));
        m_center.add({daily.identifier, kTitle, daily.body, true, trigger});
        kept.append({daily.name, trigger});
    }
    if (m_systemTimers)
        m_systemTimers->keep(kept);
}

void ReminderService::reconfigure() {
    if (m_lastTime)
        configure(m_lastTime->first, m_lastTime->second);
}

void ReminderService::deliverDailyReminder(const QString& name) {
    if (const std::optional<NotificationRequest> request = dailyReminder(name))
        m_center.add(*request);
}

void ReminderService::removeDailyReminders() {
    m_lastTime.reset();
    m_center.removePendingRequests({kSoonIdentifier, kStartIdentifier});
    if (m_systemTimers)
        m_systemTimers->removeAll();
}

void ReminderService::announceCompletion(int daysInARow) {
    const QString body = daysInARow > 1 ? tr("Session complete. %1 days in a row.").arg(daysInARow)
                                        : tr("Session complete.");
    m_center.add({kCompletionIdentifier, kTitle, body, true, std::nullopt});
}

void ReminderService::remindIfIncomplete() {
    const QString uuid = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    m_center.add({kFollowupPrefix + uuid, kTitle, kFollowupBody, true, std::nullopt});
}

} // namespace inkwarden
