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
constexpr qint64 kSoonSecondsBefore = 600;

DailyTrigger triggerAt(const QDateTime& moment) {
    const QTime time = moment.toLocalTime().time();
    return {time.hour(), time.minute()};
}

} // namespace

ReminderService::ReminderService(NotificationCenter& center, QObject* parent)
    : QObject(parent)
    , m_center(center) {}

void ReminderService::configure(qint64 hour, qint64 minute) {
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
    m_center.add(
        {kSoonIdentifier, kTitle, kSoonBody, true, triggerAt(base.addSecs(-kSoonSecondsBefore))});
    m_center.add({kStartIdentifier, kTitle, kStartBody, true, triggerAt(base)});
}

void ReminderService::remindIfIncomplete() {
    const QString uuid = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    m_center.add({kFollowupPrefix + uuid, kTitle, kFollowupBody, true, std::nullopt});
}

} // namespace inkwarden
