#include "fakes/fake_notifications.h"
#include "fakes/manual_clock.h"
#include "fakes/recording_services.h"
#include "services/local_notification_center.h"
#include "support/qt_printers.h"

#include <gtest/gtest.h>

namespace inkwarden {
namespace {

using testing::FakeDelivery;
using testing::ManualClock;

QDateTime at(int day, int hour, int minute, int second = 0) {
    return QDateTime(QDate(2026, 12, day), QTime(hour, minute, second), Qt::LocalTime);
}

NotificationRequest dailyAt(const QString& identifier, int hour, int minute) {
    return {identifier, QStringLiteral("Inkwarden"), QStringLiteral("body"), true,
            DailyTrigger{hour, minute}};
}

class LocalNotificationCenterTest : public ::testing::Test {
protected:
    QStringList shownAt(const QDateTime& moment) {
        clock.set(moment);
        center.checkDueTriggers();
        QStringList ids;
        for (const NotificationRequest& request : delivery.shown)
            ids.append(request.identifier);
        delivery.shown.clear();
        return ids;
    }
    ManualClock clock{at(7, 8, 0)};
    FakeDelivery delivery;
    LocalNotificationCenter center{clock, delivery};
};

TEST_F(LocalNotificationCenterTest, DailyTriggerFiresOnceAtItsMinuteEachDay) {
    center.add(dailyAt(QStringLiteral("writing-start"), 9, 0));
    EXPECT_TRUE(shownAt(at(7, 8, 59, 59)).isEmpty());
    EXPECT_EQ(shownAt(at(7, 9, 0)), QStringList{QStringLiteral("writing-start")});
    EXPECT_TRUE(shownAt(at(7, 9, 0, 30)).isEmpty());
    EXPECT_TRUE(shownAt(at(7, 18, 0)).isEmpty());
    EXPECT_EQ(shownAt(at(8, 9, 0, 1)), QStringList{QStringLiteral("writing-start")});
    EXPECT_EQ(center.pendingRequests().size(), 1) << "a daily request stays pending";
}

TEST_F(LocalNotificationCenterTest, ClockJumpsFireOnceAndSleepDoesNotFireLate) {
    center.add(dailyAt(QStringLiteral("writing-soon"), 8, 50));
    // A jump that lands inside the minute fires it, once.
    EXPECT_EQ(shownAt(at(7, 8, 50, 40)), QStringList{QStringLiteral("writing-soon")});
    EXPECT_TRUE(shownAt(at(7, 8, 49)).isEmpty()) << "clock set back";
    EXPECT_TRUE(shownAt(at(7, 8, 50, 10)).isEmpty()) << "the same occurrence never twice";
    // Asleep from before 08:50 until 09:30 the next day: nothing late.
    EXPECT_TRUE(shownAt(at(8, 8, 40)).isEmpty());
    EXPECT_TRUE(shownAt(at(8, 9, 30)).isEmpty());
    EXPECT_EQ(shownAt(at(9, 8, 50, 0)), QStringList{QStringLiteral("writing-soon")});
}

TEST_F(LocalNotificationCenterTest, ARequestAddedAfterItsMinuteWaitsForTomorrow) {
    clock.set(at(7, 9, 0, 20));
    center.add(dailyAt(QStringLiteral("writing-start"), 9, 0));
    EXPECT_TRUE(shownAt(at(7, 9, 0, 30)).isEmpty());
    EXPECT_EQ(shownAt(at(8, 9, 0)), QStringList{QStringLiteral("writing-start")});
}

TEST_F(LocalNotificationCenterTest, ReplacingAndRemovingKeepsOneRequestPerIdentifier) {
    center.add(dailyAt(QStringLiteral("writing-start"), 9, 0));
    center.add(dailyAt(QStringLiteral("writing-start"), 14, 30));
    ASSERT_EQ(center.pendingRequests().size(), 1);
    EXPECT_EQ(center.pendingRequests().first().trigger, (DailyTrigger{14, 30}));
    EXPECT_TRUE(shownAt(at(7, 9, 0)).isEmpty());
    center.removePendingRequests({QStringLiteral("writing-start")});
    EXPECT_TRUE(shownAt(at(7, 14, 30)).isEmpty());
}

TEST_F(LocalNotificationCenterTest, RequestWithoutTriggerIsShownAtOnceAndNotKept) {
    center.add({QStringLiteral("writing-incomplete-X"),
                QStringLiteral("Inkwarden"),
                QStringLiteral("b"),
                true,
                {}});
    ASSERT_EQ(delivery.shown.size(), 1);
    EXPECT_TRUE(center.pendingRequests().isEmpty());
}

TEST_F(LocalNotificationCenterTest, TimerIsArmedForTheNextMinuteButChecksOftenEnough) {
    auto* timer = center.findChild<QTimer*>();
    ASSERT_NE(timer, nullptr);
    EXPECT_FALSE(timer->isActive()) << "nothing pending, nothing armed";
    clock.set(at(7, 8, 59, 58));
    center.add(dailyAt(QStringLiteral("writing-start"), 9, 0));
    ASSERT_TRUE(timer->isActive());
    EXPECT_GE(timer->remainingTime(), 1900);
    EXPECT_LE(timer->remainingTime(), 2100);
    clock.set(at(7, 9, 0, 1));
    QMetaObject::invokeMethod(timer, "timeout");
    EXPECT_EQ(delivery.shown.size(), 1);
    EXPECT_LE(timer->remainingTime(), LocalNotificationCenter::kLongestWaitMilliseconds);
}

TEST_F(LocalNotificationCenterTest, WakeChecksAtOnce) {
    testing::ManualWakeNotifier wake;
    LocalNotificationCenter woken(clock, delivery, &wake);
    woken.add(dailyAt(QStringLiteral("writing-start"), 9, 0));
    clock.set(at(7, 9, 0, 5));
    wake.wake();
    QCoreApplication::processEvents();
    EXPECT_EQ(delivery.shown.size(), 1);
}

TEST_F(LocalNotificationCenterTest, PermissionIsWhetherTheDesktopCanShowNotifications) {
    std::optional<bool> answer;
    center.requestAuthorization([&](bool granted) { answer = granted; });
    EXPECT_EQ(answer, true);
    delivery.available = false;
    center.requestAuthorization([&](bool granted) { answer = granted; });
    EXPECT_EQ(answer, false);
}

} // namespace
} // namespace inkwarden
