#include "fakes/fake_notifications.h"
#include "services/reminder_service.h"
#include "support/qt_printers.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace inkwarden {
namespace {

using testing::FakeNotificationCenter;

struct Daily {
    QString identifier;
    int hour;
    int minute;
};

QList<Daily> daily(const FakeNotificationCenter& center) {
    QList<Daily> result;
    for (const NotificationRequest& request : center.pending)
        result.append({request.identifier, request.trigger->hour, request.trigger->minute});
    return result;
}

void expectDaily(const FakeNotificationCenter& center, int soonHour, int soonMinute, int hour,
                 int minute) {
    const QList<Daily> requests = daily(center);
    ASSERT_EQ(requests.size(), 2);
    EXPECT_EQ(requests[0].identifier, QStringLiteral("writing-soon"));
    EXPECT_EQ(std::pair(requests[0].hour, requests[0].minute), std::pair(soonHour, soonMinute));
    EXPECT_EQ(requests[1].identifier, QStringLiteral("writing-start"));
    EXPECT_EQ(std::pair(requests[1].hour, requests[1].minute), std::pair(hour, minute));
}

TEST(ReminderService, DailyRemindersTenMinutesBeforeAndAtTheTime) {
    FakeNotificationCenter center;
    ReminderService service(center);
    service.configure(9, 0);
    EXPECT_TRUE(center.pending.isEmpty()) << "nothing before permission is answered";
    QCoreApplication::processEvents();
    expectDaily(center, 8, 50, 9, 0);
    for (const NotificationRequest& request : center.pending) {
        EXPECT_EQ(request.title, QStringLiteral("Inkwarden"));
        EXPECT_TRUE(request.defaultSound);
    }
    EXPECT_EQ(center.pending[0].body, QStringLiteral("Writing starts in 10 minutes."));
    EXPECT_EQ(center.pending[1].body, QStringLiteral("It\u2019s time for your writing session."));
}

TEST(ReminderService, TimesAroundMidnightKeepTheirClockTime) {
    const QList<std::array<int, 4>> cases = {
        {0, 5, 23, 55}, {0, 0, 23, 50}, {0, 10, 0, 0}, {23, 59, 23, 49}};
    for (const auto& [hour, minute, soonHour, soonMinute] : cases) {
        FakeNotificationCenter center;
        ReminderService service(center);
        service.configure(hour, minute);
        QCoreApplication::processEvents();
        SCOPED_TRACE(hour * 100 + minute);
        expectDaily(center, soonHour, soonMinute, hour, minute);
    }
}

TEST(ReminderService, ChangingTheTimeLeavesExactlyTwoDailyRequests) {
    FakeNotificationCenter center;
    ReminderService service(center);
    service.configure(9, 0);
    QCoreApplication::processEvents();
    service.remindIfIncomplete();
    // The daily time control assigns the hour, then the minute.
    service.configure(14, 0);
    service.configure(14, 30);
    QCoreApplication::processEvents();
    expectDaily(center, 14, 20, 14, 30);
    EXPECT_EQ(center.delivered.size(), 1) << "follow-ups are never removed by rescheduling";
}

TEST(ReminderService, FollowupsAreDeliveredAtOnceUnderFreshIdentifiers) {
    FakeNotificationCenter center;
    ReminderService service(center);
    service.remindIfIncomplete();
    service.remindIfIncomplete();
    ASSERT_EQ(center.delivered.size(), 2);
    const QRegularExpression form(QStringLiteral(
        "^writing-incomplete-[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$"));
    for (const NotificationRequest& request : center.delivered) {
        EXPECT_TRUE(form.match(request.identifier).hasMatch()) << request.identifier.toStdString();
        EXPECT_FALSE(request.trigger);
        EXPECT_EQ(request.body, QStringLiteral("Your writing block is still unfinished. "
                                               "You can return when you\u2019re ready."));
    }
    EXPECT_NE(center.delivered[0].identifier, center.delivered[1].identifier);
}

TEST(ReminderService, WithoutPermissionNothingIsAddedOrRemoved) {
    FakeNotificationCenter center;
    ReminderService service(center);
    service.configure(9, 0);
    QCoreApplication::processEvents();
    center.granted = false;
    service.configure(14, 30);
    QCoreApplication::processEvents();
    expectDaily(center, 8, 50, 9, 0);
}

TEST(ReminderService, AnAnswerArrivingAfterTheServiceIsGoneIsDropped) {
    FakeNotificationCenter center;
    {
        ReminderService service(center);
        service.configure(9, 0);
    }
    QCoreApplication::processEvents();
    EXPECT_TRUE(center.pending.isEmpty());
}

} // namespace
} // namespace inkwarden
