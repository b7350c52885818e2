#include "services/local_notification_center.h"

#include "store/clock.h"
#include "store/daily_schedule.h"
#include "store/store_services.h"

#include <QPointer>

namespace inkwarden {
namespace {

// A little past the minute, so the check that the timer runs sees it as due.
constexpr qint64 kLateByMilliseconds = 5;

} // namespace

LocalNotificationCenter::LocalNotificationCenter(const Clock& clock, NotificationDelivery& delivery,
                                                 WakeNotifier* wake, QObject* parent)
    : QObject(parent)
    , m_clock(clock)
    , m_delivery(delivery)
    , m_lastCheck(clock.now())
    , m_timer(this) {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &LocalNotificationCenter::checkDueTriggers);
    if (wake)
        connect(wake, &WakeNotifier::didWake, this, &LocalNotificationCenter::checkDueTriggers,
                Qt::QueuedConnection);
}

void LocalNotificationCenter::requestAuthorization(std::function<void(bool)> completion) {
    QPointer<LocalNotificationCenter> self(this);
    m_delivery.checkAvailable([self, completion = std::move(completion)](bool available) {
        if (self && completion)
            completion(available);
    });
}

void LocalNotificationCenter::removePendingRequests(const QStringList& identifiers) {
    m_pending.removeIf(
        [&](const Pending& pending) { return identifiers.contains(pending.request.identifier); });
    rearm(m_clock.now());
}

void LocalNotificationCenter::add(const NotificationRequest& request) {
    if (!request.trigger) {
        deliverOnce(request, m_clock.now());
        return;
    }
    removePendingRequests({request.identifier});
    m_pending.append({request, m_clock.now(), {}});
    rearm(m_clock.now());
}

QList<NotificationRequest> LocalNotificationCenter::pendingRequests() const {
    QList<NotificationRequest> requests;
    for (const Pending& pending : m_pending)
        requests.append(pending.request);
    return requests;
}

void LocalNotificationCenter::checkDueTriggers() {
    const QDateTime now = m_clock.now();
    QList<NotificationRequest> due;
    for (Pending& pending : m_pending) {
        const DailyTrigger& trigger = *pending.request.trigger;
        const QDateTime occurrence = mostRecentScheduledTime(now, trigger.hour, trigger.minute);
        const bool crossedSinceLastCheck = occurrence > qMax(m_lastCheck, pending.addedAt);
        const bool stillItsMinute = occurrence.msecsTo(now) < kFiringWindowMilliseconds;
        if (crossedSinceLastCheck && stillItsMinute && occurrence != pending.lastFiredOccurrence) {
            pending.lastFiredOccurrence = occurrence;
            due.append(pending.request);
        }
    }
    // A clock set back makes "since the last check" start again from now.
    m_lastCheck = now;
    rearm(now);
    for (const NotificationRequest& request : std::as_const(due))
        deliverOnce(request, now);
}

void LocalNotificationCenter::deliverOnce(const NotificationRequest& request,
                                          const QDateTime& now) {
    const auto recent = [&](const QDateTime& delivered) {
        return qAbs(delivered.msecsTo(now)) < kRepeatWindowMilliseconds;
    };
    m_lastDelivered.removeIf(
        [&](QHash<QString, QDateTime>::iterator each) { return !recent(each.value()); });
    if (m_lastDelivered.contains(request.identifier))
        return;
    m_lastDelivered.insert(request.identifier, now);
    m_delivery.deliver(request);
}

void LocalNotificationCenter::rearm(const QDateTime& now) {
    if (m_pending.isEmpty()) {
        m_timer.stop();
        return;
    }
    qint64 wait = kLongestWaitMilliseconds;
    for (const Pending& pending : std::as_const(m_pending)) {
        const DailyTrigger& trigger = *pending.request.trigger;
        QDateTime next = scheduledTime(now, trigger.hour, trigger.minute);
        if (next <= now)
            next =
                scheduledTimeOn(now.toLocalTime().date().addDays(1), trigger.hour, trigger.minute);
        if (next.isValid())
            wait = qMin(wait, now.msecsTo(next) + kLateByMilliseconds);
    }
    m_timer.start(int(qMax<qint64>(wait, 0)));
}

} // namespace inkwarden
