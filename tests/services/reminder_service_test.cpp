#include "fakes/fake_notifications.h"
#include "fakes/manual_clock.h"
#include "fakes/recording_services.h"
#include "services/local_notification_center.h"
#include "services/reminder_service.h"
#include "support/qt_printers.h"

#include <QCoreApplication>
#include <QTimer>
#include <gtest/gtest.h>

namespace inkwarden {
namespace {

const QString kSoon = QStringLiteral("Writing starts in 10 minutes.");
const QString kStart = QStringLiteral("It\u2019s time for your writing session.");

QDateTime at(int day, int hour, int minute, int second = 0) {
    return QDateTime(QDate(2026, 12, day), QTime(hour, minute, second));
}

// The reminders as the person meets them: the reminder service on the
// in-process centre, a clock the test moves, and the desktop recording what
// it shows ("silent" for one without its sound).
class Reminders : public ::testing::Test {
protected:
    QStringList shown() {
        QStringList bodies;
        for (const NotificationRequest& request : std::exchange(delivery.shown, {}))
            bodies.append(request.defaultSound ? request.body : QStringLiteral("silent"));
        return bodies;
    }
    QStringList shownAt(const QDateTime& moment) {
        clock.set(moment);
        center.checkDueTriggers();
        return shown();
    }

    testing::ManualClock clock{at(1, 6, 0)};
    testing::FakeDelivery delivery;
    testing::ManualWakeNotifier wake;
    LocalNotificationCenter center{clock, delivery, &wake};
    ReminderService reminders{center};
};

// Ten minutes before and at the time, once each, every day; around midnight
// the early one falls on the day before. The system's timer hands each over
// as well, a little early or late: it is still shown once.
TEST_F(Reminders, ComeTenMinutesBeforeAndAtTheTimeEveryDay) {
    const QList<std::tuple<int, int, QDateTime, QDateTime>> rows = {
        {9, 0, at(1, 8, 50), at(1, 9, 0)},        {0, 5, at(4, 23, 55), at(5, 0, 5)},
        {0, 0, at(7, 23, 50), at(8, 0, 0)},       {0, 10, at(10, 0, 0), at(10, 0, 10)},
        {23, 59, at(13, 23, 49), at(13, 23, 59)},
    };
    for (const auto& [hour, minute, soon, start] : rows) {
        SCOPED_TRACE(start.toString().toStdString());
        clock.set(soon.addSecs(-3600));
        reminders.configure(hour, minute);
        for (const QDateTime& day : {soon, soon.addDays(1)}) {
            EXPECT_EQ(shownAt(day.addSecs(-1)), QStringList());
            reminders.deliverDailyReminder(QStringLiteral("soon"));
            EXPECT_EQ(shownAt(day), QStringList{kSoon});
            EXPECT_EQ(shownAt(start.addSecs(soon.secsTo(day))), QStringList{kStart});
            reminders.deliverDailyReminder(QStringLiteral("start"));
            EXPECT_EQ(shown(), QStringList());
        }
    }
}

// Set inside its own minute, a reminder waits for tomorrow; one missed while
// asleep is not shown late; one the clock jumps into is shown once, even when
// the clock is set back over it. Refused permission keeps the time; the time
// control sets the hour, then the minute.
TEST_F(Reminders, FollowTheClockAndTheChosenTime) {
    clock.set(at(1, 9, 0, 20));
    reminders.configure(9, 0);
    delivery.available = false;
    reminders.configure(15, 0);
    delivery.available = true;
    const QList<std::pair<QDateTime, QStringList>> walk = {
        {at(1, 9, 0, 30), {}},       {at(2, 8, 40), {}},  {at(2, 9, 30), {}},
        {at(3, 8, 50, 40), {kSoon}}, {at(3, 8, 49), {}},  {at(3, 8, 50, 10), {}},
        {at(3, 9, 0), {kStart}},     {at(3, 14, 50), {}}, {at(4, 0, 0), {}},
        {at(4, 9, 0), {}},           {at(4, 13, 50), {}}, {at(4, 14, 20), {kSoon}},
        {at(4, 14, 30), {kStart}},
    };
    for (const auto& [moment, bodies] : walk) {
        if (moment == at(4, 0, 0)) { // the person picks 14:30
            reminders.configure(14, 0);
            reminders.configure(14, 30);
        }
        EXPECT_EQ(shownAt(moment), bodies) << moment.toString().toStdString();
    }
}

// The timer wakes the centre at the minute, and waking from sleep checks at once.
TEST_F(Reminders, AreCheckedByTheTimerAndOnWaking) {
    auto* timer = center.findChild<QTimer*>();
    clock.set(at(1, 8, 59, 58));
    reminders.configure(9, 0);
    ASSERT_TRUE(timer && timer->isActive());
    EXPECT_NEAR(timer->remainingTime(), 2000, 100);
    clock.set(at(1, 9, 0, 1));
    QMetaObject::invokeMethod(timer, "timeout");
    EXPECT_EQ(shown(), QStringList{kStart});
    EXPECT_LE(timer->remainingTime(), LocalNotificationCenter::kLongestWaitMilliseconds);
    clock.set(at(2, 8, 50, 10));
    wake.wake();
    QCoreApplication::processEvents();
    EXPECT_EQ(shown(), QStringList{kSoon});
}

TEST_F(Reminders, AnUnfinishedBlockIsRemindedAtOnce) {
    reminders.remindIfIncomplete();
    EXPECT_EQ(shown(), QStringList{QStringLiteral("Your writing block is still unfinished. "
                                                  "You can return when you\u2019re ready.")});
}

} // namespace
} // namespace inkwarden
