#include "store/daily_schedule.h"
#include "store_harness.h"
#include "support/scoped_time_zone.h"

#include <QTimer>
#include <gtest/gtest.h>

namespace inkwarden {
namespace {

using namespace Qt::Literals::StringLiterals;
using testing::StoreHarness;

// "MM-ddTHH:mm[:ss[.zzz]]" in 2026, or a whole ISO date and time; local
// unless it ends in Z.
QDateTime at(const char* time) {
    const QString text = QString::fromLatin1(time);
    return QDateTime::fromString(text[2] == u'-' ? u"2026-"_s + text : text, Qt::ISODateWithMs);
}

TEST(DailySchedule, TheDailyTimeFollowsTheLocalCalendar) {
    constexpr qint64 kHuge = std::numeric_limits<qint64>::max();
    struct Case {
        const char *zone, *now;
        qint64 hour, minute;
        const char *today, *mostRecent; // scheduledTime, the latest one not after now
    };
    const Case cases[] = {
        {"America/New_York", "12-07T08:59:59.999", 9, 0, "12-07T09:00", "12-06T09:00"},
        {"America/New_York", "12-07T09:00", 9, 0, "12-07T09:00", "12-07T09:00"},
        // Daylight saving keeps the wall clock; a skipped time moves forward by the gap.
        {"America/New_York", "03-08T08:00", 9, 0, "03-08T09:00", "03-07T09:00"},
        {"Europe/Berlin", "10-25T08:00", 9, 0, "10-25T09:00", "10-24T09:00"},
        {"Europe/Berlin", "12-06T23:30Z", 9, 0, "12-07T08:00Z", "12-06T08:00Z"},
        {"Europe/Berlin", "03-29T01:00", 2, 30, "03-29T01:30Z", "03-28T02:30"},
        {"Pacific/Auckland", "09-27T12:00", 2, 30, "09-26T14:30Z", "09-26T14:30Z"},
        // Out-of-range values roll over like a calendar; absurd ones give the moment itself.
        {"America/New_York", "12-07T12:00", 24, 0, "12-08T00:00", "12-07T00:00"},
        {"America/New_York", "12-07T12:00", -1, 0, "12-06T23:00", "12-06T23:00"},
        {"America/New_York", "12-07T12:00", kHuge, 0, "12-07T12:00", "12-07T12:00"},
    };
    for (const Case& c : cases) {
        const auto zone = testing::scopedTimeZone(c.zone);
        SCOPED_TRACE(::testing::Message() << c.zone << " " << c.now << " " << c.hour);
        EXPECT_EQ(scheduledTime(at(c.now), c.hour, c.minute), at(c.today));
        EXPECT_EQ(mostRecentScheduledTime(at(c.now), c.hour, c.minute), at(c.mostRecent));
    }
}

// A stretch of the program's life with a daily time of 09:00, one step a
// string "TIME ACTION SEEN". ACTION is L (launch or relaunch), T (a
// heartbeat), W (the computer wakes), S (the person starts a session) or E
// (the person ends it early). SEEN is what follows: the countdown or "idle",
// how often the focus began and ended, how many follow-ups were posted, the
// day of the month last completed and the store's current day.
struct Case {
    const char* setup; // a name, then "key=MM-dd" settings before the launch
    QList<const char*> steps;
};

const Case kCases[] = {
    // Started twice, ended early, relaunched, restored (rounded up), ended
    // while not running, completed; then the clock set back 3 hours while
    // not running and an hour while running: never longer than one session.
    {"OneSessionFromStartToEnd lastScheduledDay=12-07",
     {"12-07T10:00 L idle b0e0 f0 c-- @07", "12-07T10:00 S 15:00 b1e0 f0 c-- @07",
      "12-07T10:00:30 S 15:00 b1e0 f0 c-- @07", "12-07T10:02 E idle b1e1 f0 c-- @07",
      "12-07T10:03 L idle b1e1 f0 c-- @07", "12-07T10:03 S 15:00 b2e1 f0 c-- @07",
      "12-07T10:18 L idle b2e1 f0 c-- @07", "12-07T10:20 S 15:00 b3e1 f0 c-- @07",
      "12-07T10:25:30.500 L 09:30 b3e1 f0 c-- @07", "12-07T10:34:59.999 L 00:01 b3e1 f0 c-- @07",
      "12-07T10:20:00.500 L 15:00 b3e1 f0 c-- @07", "12-07T10:34:59.200 T 00:01 b3e1 f0 c-- @07",
      "12-07T10:35 T idle b3e2 f0 c07 @07", "12-07T10:40 S 15:00 b4e2 f0 c07 @07",
      "12-07T07:40 L 15:00 b4e2 f0 c07 @07", "12-07T07:45 T 10:00 b4e2 f0 c07 @07",
      "12-07T06:45 T 10:00 b4e2 f0 c07 @07", "12-07T06:55 W idle b4e3 f0 c07 @07"}},
    // A session across midnight, or one that ends while the machine sleeps
    // past it, completes the day it was started for: the new day still gets
    // its own session at the daily time.
    {"AcrossMidnightCompletesTheDayItStarted lastScheduledDay=12-06",
     {"12-06T23:50 L idle b0e0 f0 c-- @06", "12-06T23:50 S 15:00 b1e0 f0 c-- @06",
      "12-07T00:04:59 T 00:01 b1e0 f0 c-- @06", "12-07T00:05 T idle b1e1 f0 c06 @06",
      "12-07T00:05:01 T idle b1e1 f0 c06 @07", "12-07T09:00 T 15:00 b2e1 f0 c06 @07",
      "12-07T09:15 T idle b2e2 f0 c07 @07", "12-07T09:30:10 T idle b2e2 f0 c07 @07"}},
    {"AsleepAcrossMidnight lastScheduledDay=12-06",
     {"12-06T23:50 L idle b0e0 f0 c-- @06", "12-06T23:50 S 15:00 b1e0 f0 c-- @06",
      "12-07T08:00 W idle b1e1 f0 c06 @06", "12-07T09:00 T 15:00 b2e1 f0 c06 @07"}},
    // The follow-up comes once a day in [09:30, 09:31), not during a session
    // or after one completed; the daily time starts one session a day; a
    // session started after midnight belongs to the new day.
    {"FollowupAndDailyTime lastScheduledDay=12-07",
     {"12-07T09:29:59.999 L idle b0e0 f0 c-- @07", "12-07T09:30 T idle b0e0 f1 c-- @07",
      "12-07T09:30:59.999 T idle b0e0 f1 c-- @07", "12-07T09:30:30 L idle b0e0 f1 c-- @07",
      "12-07T08:30 T idle b0e0 f1 c-- @07", "12-07T09:30:20 T idle b0e0 f1 c-- @07",
      "12-08T08:59:59 T idle b0e0 f1 c-- @08", "12-08T09:00 T 15:00 b1e0 f1 c-- @08",
      "12-08T09:00:30 T 14:30 b1e0 f1 c-- @08", "12-08T09:01 E idle b1e1 f1 c-- @08",
      "12-08T09:31 T idle b1e1 f1 c-- @08", "12-08T09:30:59.999 T idle b1e1 f2 c-- @08",
      "12-08T23:59:59 T idle b1e1 f2 c-- @08", "12-09T09:20 S 15:00 b2e1 f2 c-- @09",
      "12-09T09:30:10 T 04:50 b2e1 f2 c-- @09", "12-09T09:35 T idle b2e2 f2 c09 @09",
      "12-09T09:30:30 T idle b2e2 f2 c09 @09"}},
    // A daily time missed while the program was not running is made up at
    // launch, unless the day had a session or was completed, or lies before
    // the very first launch, or a day or more ago (New York's clocks go back
    // on 1 November, so 08:00 is 24 hours after the day before's 09:00).
    {"MadeUp trackingStartDay=10-01 lastScheduledDay=12-05",
     {"12-07T08:00 L 15:00 b1e0 f0 c-- @07"}},
    {"NotAfterASession trackingStartDay=10-01 lastScheduledDay=12-05 lastSessionDay=12-06",
     {"12-07T08:00 L idle b0e0 f0 c-- @07"}},
    {"NotAfterCompletion trackingStartDay=10-01 lastScheduledDay=12-05 lastCompletedDay=12-06",
     {"12-07T08:00 L idle b0e0 f0 c06 @07"}},
    {"NotAtTheVeryFirstLaunch",
     {"12-07T08:00 L idle b0e0 f0 c-- @07", "12-07T09:00 T 15:00 b1e0 f0 c-- @07"}},
    {"NotADayLateButJustBefore trackingStartDay=10-01 lastScheduledDay=10-30",
     {"11-01T08:00 L idle b0e0 f0 c-- @01", "11-01T07:59:59.999 L 15:00 b1e0 f0 c-- @01"}},
    // A daily time no calendar can place (a damaged file) starts nothing.
    {"UnplaceableDailyTime scheduleMinute=-9223372036854775808",
     {"12-07T08:00 L idle b0e0 f0 c-- @07", "12-07T09:00 T idle b0e0 f0 c-- @07"}},
    // Set right after a day ahead, the real day is neither reminded nor
    // started again.
    {"ClockADayAheadThenSetRight",
     {"12-07T09:00 L 15:00 b1e0 f0 c-- @07", "12-07T09:05 E idle b1e1 f0 c-- @07",
      "12-07T09:30:10 T idle b1e1 f1 c-- @07", "12-08T09:30:20 T 15:00 b2e1 f2 c-- @08",
      "12-08T09:30:25 E idle b2e2 f2 c-- @08", "12-07T09:30:40 T idle b2e2 f2 c-- @07",
      "12-08T09:00 T idle b2e2 f2 c-- @08", "12-09T09:00 T 15:00 b3e2 f2 c-- @09"}},
};

TEST(SessionEngine, SessionsFollowUpsAndTheDayAsTheClockMoves) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.setup);
        StoreHarness h;
        for (const QString& mark : QString::fromLatin1(c.setup).split(u' ').mid(1)) {
            const QString key = mark.section(u'=', 0, 0), value = mark.section(u'=', 1);
            if (key.startsWith(u"schedule"_s))
                h.defaults().setInteger(key, value.toLongLong());
            else
                h.mark(key, u"2026-"_s + value);
        }
        const std::function<void()> actions[] = {
            // L, T, W, S and E; the heartbeat timer runs from the start
            [&] { EXPECT_TRUE(h.restart().findChild<QTimer*>()->isActive()); },
            [&] { h.store->tick(); },
            [&] { h.wake.wake(), QCoreApplication::processEvents(); },
            [&] { h.store->startSession(); },
            [&] { h.store->endSession(false); },
        };
        for (const char* step : c.steps) {
            SCOPED_TRACE(step);
            const QStringList parts = QString::fromLatin1(step).split(u' ');
            h.clock.set(at(qPrintable(parts[0])));
            actions[u"LTWSE"_s.indexOf(parts[1])]();
            const WritingStore& store = *h.store;
            const QString counts = u" b%1e%2 f%3 c"_s.arg(h.log.count(u"begin"_s))
                                       .arg(h.log.count(u"end"_s))
                                       .arg(h.log.count(u"followup"_s));
            EXPECT_EQ((store.isSessionActive() ? store.remainingLabel() : u"idle"_s) + counts +
                          h.marker(keys::kLastCompletedDay).replace(u"<none>"_s, u"--"_s).right(2) +
                          u" @"_s + store.currentDateKey().right(2),
                      parts.mid(2).join(u' '));
            // The saved end is the session's: a relaunch continues this one.
            EXPECT_EQ(h.defaults().date(keys::kSessionEnd), store.sessionEnd());
        }
    }
}

} // namespace
} // namespace inkwarden
