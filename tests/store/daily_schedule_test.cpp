#include "store/daily_schedule.h"
#include "store_harness.h"
#include "support/scoped_time_zone.h"

#include <gtest/gtest.h>

namespace inkwarden {
namespace {

using testing::localTime;
using testing::ScopedTimeZone;

TEST(DayKey, FormatsTheLocalCalendarDay) {
    EXPECT_EQ(dayKey(localTime(2026, 1, 5, 14, 0)), QStringLiteral("2026-01-05"));
    EXPECT_EQ(dayKey(localTime(2025, 12, 31, 23, 59, 59)), QStringLiteral("2025-12-31"));
    EXPECT_EQ(dayKey(localTime(2025, 12, 31, 23, 59, 59).addSecs(1)), QStringLiteral("2026-01-01"));
}

TEST(DayKey, UsesTheZoneInForceAtEachCall) {
    // 03:30 UTC is still the previous evening in New York, already morning in Berlin.
    const QDateTime moment(QDate(2026, 3, 7), QTime(3, 30), Qt::UTC);
    {
        ScopedTimeZone zone("America/New_York");
        EXPECT_EQ(dayKey(moment), QStringLiteral("2026-03-06"));
    }
    {
        ScopedTimeZone zone("Europe/Berlin");
        EXPECT_EQ(dayKey(moment), QStringLiteral("2026-03-07"));
    }
}

TEST(ScheduledTime, BoundaryAroundTheDailyTime) {
    const QDateTime before = localTime(2026, 12, 7, 8, 59, 59);
    EXPECT_EQ(scheduledTime(before, 9, 0), localTime(2026, 12, 7, 9, 0));
    EXPECT_EQ(mostRecentScheduledTime(before, 9, 0), localTime(2026, 12, 6, 9, 0));

    const QDateTime exactly = localTime(2026, 12, 7, 9, 0);
    EXPECT_EQ(scheduledTime(exactly, 9, 0), exactly);
    EXPECT_EQ(mostRecentScheduledTime(exactly, 9, 0), exactly);
    EXPECT_EQ(mostRecentScheduledTime(exactly.addMSecs(-1), 9, 0), localTime(2026, 12, 6, 9, 0));
}

TEST(ScheduledTime, MidnightAndLastMinuteOfTheDay) {
    for (const QDateTime& moment : {localTime(2026, 12, 7, 0, 0), localTime(2026, 12, 7, 12, 0),
                                    localTime(2026, 12, 7, 23, 59, 59, 999)})
        EXPECT_EQ(mostRecentScheduledTime(moment, 0, 0), localTime(2026, 12, 7, 0, 0));

    EXPECT_EQ(mostRecentScheduledTime(localTime(2026, 12, 7, 23, 58, 59), 23, 59),
              localTime(2026, 12, 6, 23, 59));
    EXPECT_EQ(mostRecentScheduledTime(localTime(2026, 12, 7, 23, 59), 23, 59),
              localTime(2026, 12, 7, 23, 59));
    EXPECT_EQ(mostRecentScheduledTime(localTime(2027, 1, 1, 0, 30), 23, 59),
              localTime(2026, 12, 31, 23, 59));
}

TEST(ScheduledTime, FollowsTheZoneOfTheMoment) {
    ScopedTimeZone zone("Europe/Berlin");
    // 23:30 UTC on 6 December is 00:30 on 7 December in Berlin.
    const QDateTime moment(QDate(2026, 12, 6), QTime(23, 30), Qt::UTC);
    EXPECT_EQ(scheduledTime(moment, 9, 0), QDateTime(QDate(2026, 12, 7), QTime(8, 0), Qt::UTC));
}

TEST(ScheduledTime, KeepsWallClockAcrossSpringForward) {
    ScopedTimeZone zone("America/New_York"); // clocks go forward on 8 March 2026
    const QDateTime morning = localTime(2026, 3, 8, 8, 0);
    const QDateTime today = scheduledTime(morning, 9, 0);
    const QDateTime yesterday = mostRecentScheduledTime(morning, 9, 0);
    EXPECT_EQ(yesterday, localTime(2026, 3, 7, 9, 0));
    EXPECT_EQ(yesterday.secsTo(today), 23 * 3600);
}

TEST(ScheduledTime, KeepsWallClockAcrossFallBack) {
    ScopedTimeZone zone("Europe/Berlin"); // clocks go back on 25 October 2026
    const QDateTime morning = localTime(2026, 10, 25, 8, 0);
    const QDateTime yesterday = mostRecentScheduledTime(morning, 9, 0);
    EXPECT_EQ(yesterday, localTime(2026, 10, 24, 9, 0));
    EXPECT_EQ(yesterday.secsTo(scheduledTime(morning, 9, 0)), 25 * 3600);
    EXPECT_EQ(dayKey(yesterday), QStringLiteral("2026-10-24"));
}

TEST(ScheduledTime, TimeSkippedBySpringForwardMovesForward) {
    ScopedTimeZone zone("Europe/Berlin"); // 02:00-03:00 does not exist on 29 March 2026
    const QDateTime early = localTime(2026, 3, 29, 1, 0);
    const QDateTime skipped = scheduledTime(early, 2, 30);
    ASSERT_TRUE(skipped.isValid());
    // Not "now": a missing wall time must not make the daily time fall due early.
    EXPECT_EQ(skipped, QDateTime(QDate(2026, 3, 29), QTime(1, 30), Qt::UTC));
    EXPECT_EQ(skipped.toLocalTime().time(), QTime(3, 30));
    EXPECT_EQ(mostRecentScheduledTime(early, 2, 30), localTime(2026, 3, 28, 2, 30));
}

TEST(ScheduledTime, SkippedTimeMovesForwardFarEastOfUtcToo) {
    ScopedTimeZone zone("Pacific/Auckland"); // 02:00-03:00 does not exist on 27 September 2026
    const QDateTime skipped = scheduledTimeOn(QDate(2026, 9, 27), 2, 30);
    EXPECT_EQ(skipped.toLocalTime().time(), QTime(3, 30));
    EXPECT_EQ(skipped, QDateTime(QDate(2026, 9, 26), QTime(14, 30), Qt::UTC));
}

TEST(ScheduledTime, OutOfRangeValuesRollOverLikeACalendar) {
    const QDateTime noon = localTime(2026, 12, 7, 12, 0);
    EXPECT_EQ(scheduledTime(noon, 24, 0), localTime(2026, 12, 8, 0, 0));
    EXPECT_EQ(scheduledTime(noon, 9, 75), localTime(2026, 12, 7, 10, 15));
    EXPECT_EQ(scheduledTime(noon, -1, 0), localTime(2026, 12, 6, 23, 0));
    // Absurd values cannot be formed: the result is the moment itself.
    EXPECT_EQ(scheduledTime(noon, std::numeric_limits<qint64>::max(), 0), noon);
    EXPECT_EQ(scheduledTime(noon, 0, std::numeric_limits<qint64>::min()), noon);
}

} // namespace
} // namespace inkwarden
