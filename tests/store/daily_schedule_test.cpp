#include "store/daily_schedule.h"
#include "store_harness.h"
#include "support/scoped_time_zone.h"

#include <gtest/gtest.h>

namespace inkwarden {
namespace {

using namespace Qt::Literals::StringLiterals;
using testing::localTime;
using testing::ScopedTimeZone;

TEST(DayKey, FollowsTheLocalCalendarDayAndTheZoneInForce) {
    EXPECT_EQ(dayKey(localTime(2025, 12, 31, 23, 59, 59)), u"2025-12-31"_s);
    EXPECT_EQ(dayKey(localTime(2025, 12, 31, 23, 59, 59).addSecs(1)), u"2026-01-01"_s);
    // 03:30 UTC is still the previous evening in New York, already morning in Berlin.
    const QDateTime moment(QDate(2026, 3, 7), QTime(3, 30), Qt::UTC);
    for (const auto& [zone, expected] : {std::pair{"America/New_York", u"2026-03-06"_s},
                                         std::pair{"Europe/Berlin", u"2026-03-07"_s}}) {
        ScopedTimeZone scoped(zone);
        EXPECT_EQ(dayKey(moment), expected) << zone;
    }
}

TEST(ScheduledTime, BoundariesAroundTheDailyTimeMidnightAndTheLastMinute) {
    struct Case {
        QDateTime now;
        int hour, minute;
        QDateTime mostRecent;
    };
    const Case cases[] = {
        {localTime(2026, 12, 7, 8, 59, 59, 999), 9, 0, localTime(2026, 12, 6, 9, 0)},
        {localTime(2026, 12, 7, 9, 0), 9, 0, localTime(2026, 12, 7, 9, 0)},
        {localTime(2026, 12, 7, 0, 0), 0, 0, localTime(2026, 12, 7, 0, 0)},
        {localTime(2026, 12, 7, 23, 59, 59, 999), 0, 0, localTime(2026, 12, 7, 0, 0)},
        {localTime(2026, 12, 7, 23, 58, 59), 23, 59, localTime(2026, 12, 6, 23, 59)},
        {localTime(2026, 12, 7, 23, 59), 23, 59, localTime(2026, 12, 7, 23, 59)},
        {localTime(2027, 1, 1, 0, 30), 23, 59, localTime(2026, 12, 31, 23, 59)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(mostRecentScheduledTime(c.now, c.hour, c.minute), c.mostRecent)
            << c.now.toString(Qt::ISODateWithMs).toStdString();
        EXPECT_EQ(scheduledTime(c.now, c.hour, c.minute),
                  QDateTime(c.now.date(), QTime(c.hour, c.minute), Qt::LocalTime));
    }
}

TEST(ScheduledTime, DaylightSavingChangesKeepTheWallClock) {
    {
        ScopedTimeZone zone("America/New_York"); // clocks go forward on 8 March 2026
        const QDateTime morning = localTime(2026, 3, 8, 8, 0);
        EXPECT_EQ(mostRecentScheduledTime(morning, 9, 0), localTime(2026, 3, 7, 9, 0));
        EXPECT_EQ(localTime(2026, 3, 7, 9, 0).secsTo(scheduledTime(morning, 9, 0)), 23 * 3600);
    }
    {
        ScopedTimeZone zone("Europe/Berlin"); // clocks go back on 25 October 2026
        const QDateTime morning = localTime(2026, 10, 25, 8, 0);
        EXPECT_EQ(mostRecentScheduledTime(morning, 9, 0), localTime(2026, 10, 24, 9, 0));
        EXPECT_EQ(localTime(2026, 10, 24, 9, 0).secsTo(scheduledTime(morning, 9, 0)), 25 * 3600);
        // 23:30 UTC on 6 December is 00:30 on 7 December in Berlin.
        EXPECT_EQ(scheduledTime(QDateTime(QDate(2026, 12, 6), QTime(23, 30), Qt::UTC), 9, 0),
                  QDateTime(QDate(2026, 12, 7), QTime(8, 0), Qt::UTC));
    }
}

TEST(ScheduledTime, TimeSkippedBySpringForwardMovesForward) {
    {
        ScopedTimeZone zone("Europe/Berlin"); // 02:00-03:00 does not exist on 29 March 2026
        const QDateTime early = localTime(2026, 3, 29, 1, 0);
        // Not "now": a missing wall time must not make the daily time fall due early.
        EXPECT_EQ(scheduledTime(early, 2, 30),
                  QDateTime(QDate(2026, 3, 29), QTime(1, 30), Qt::UTC));
        EXPECT_EQ(mostRecentScheduledTime(early, 2, 30), localTime(2026, 3, 28, 2, 30));
    }
    ScopedTimeZone zone("Pacific/Auckland"); // 02:00-03:00 does not exist on 27 September 2026
    EXPECT_EQ(scheduledTimeOn(QDate(2026, 9, 27), 2, 30),
              QDateTime(QDate(2026, 9, 26), QTime(14, 30), Qt::UTC));
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
