#pragma once

#include "services/notification_center.h"

#include <QDateTime>
#include <QHash>
#include <QTimer>

namespace inkwarden {

class Clock;
class WakeNotifier;

// Keeps the pending daily requests and fires them from an in-process timer
// while the program runs; requests without a trigger are delivered at once.
// A trigger fires once for each day's occurrence, when the clock reaches or
// crosses its minute; a minute slept through (or jumped over by more than a
// minute) is not fired late. A request delivered again within a few minutes
// (a daily reminder that the system's timer hands over as well) is shown
// only once. Main thread; owns its timer.
class LocalNotificationCenter final : public QObject, public NotificationCenter {
    Q_OBJECT
public:
    static constexpr qint64 kFiringWindowMilliseconds = 60'000;
    // Checks at least this often, so a changed clock is noticed in time.
    static constexpr int kLongestWaitMilliseconds = 20'000;
    static constexpr qint64 kRepeatWindowMilliseconds = 5 * 60'000;

    LocalNotificationCenter(const Clock& clock, NotificationDelivery& delivery,
                            WakeNotifier* wake = nullptr, QObject* parent = nullptr);

    void requestAuthorization(std::function<void(bool granted)> completion) override;
    void removePendingRequests(const QStringList& identifiers) override;
    void add(const NotificationRequest& request) override;

    QList<NotificationRequest> pendingRequests() const;
    // Delivers what has fallen due since the last check and re-arms the timer.
    void checkDueTriggers();

private:
    struct Pending {
        NotificationRequest request;
        QDateTime addedAt; // an occurrence before this is not its own
        QDateTime lastFiredOccurrence;
    };

    void rearm(const QDateTime& now);
    void deliverOnce(const NotificationRequest& request, const QDateTime& now);

    const Clock& m_clock;
    NotificationDelivery& m_delivery;
    QList<Pending> m_pending;
    QHash<QString, QDateTime> m_lastDelivered; // by identifier, within the repeat window
    QDateTime m_lastCheck;
    QTimer m_timer;
};

} // namespace inkwarden
