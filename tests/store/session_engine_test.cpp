#include "store/settings_keys.h"
#include "store_harness.h"
#include "support/scoped_time_zone.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace inkwarden {
namespace {

using namespace Qt::Literals::StringLiterals;
using testing::localTime;
using testing::StoreHarness;

QDateTime dec7(int hour, int minute, int second = 0, int millisecond = 0) {
    return localTime(2026, 12, 7, hour, minute, second, millisecond);
}

// The store has been tracking since well before the days under test, so the
// scheduled start is decided by the markers alone unless a test says otherwise.
class SessionEngineTest : public ::testing::Test {
protected:
    WritingStore& startAt(const QDateTime& moment, const QString& handledDay = u"2026-12-07"_s) {
        h.clock.set(moment);
        if (!h.defaults().contains(keys::kTrackingStartDay))
            h.mark(keys::kTrackingStartDay, u"2026-11-01"_s);
        if (!handledDay.isEmpty())
            h.mark(keys::kLastScheduledDay, handledDay);
        return h.start();
    }
    qsizetype followups() const { return h.log.count(u"followup"_s); }

    StoreHarness h;
};

TEST_F(SessionEngineTest, CountsDownFromTheEndMomentAndCompletesAtZero) {
    WritingStore& store = startAt(dec7(10, 0));
    store.startSession();
    EXPECT_EQ(h.defaults().date(keys::kSessionEnd), dec7(10, 15));
    EXPECT_EQ(store.remainingLabel(), u"15:00"_s);
    EXPECT_EQ(h.marker(keys::kSessionDay), u"2026-12-07"_s);
    EXPECT_EQ(h.marker(keys::kLastSessionDay), u"2026-12-07"_s);
    h.clock.advanceSeconds(30);
    QSignalSpy spy(&store, &WritingStore::objectWillChange);
    store.startSession(); // starting twice changes nothing
    EXPECT_EQ(store.sessionEnd(), dec7(10, 15));
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(h.log.count(u"begin"_s), 1);

    h.tickAt(dec7(10, 14, 59, 200));
    EXPECT_EQ(store.remainingSeconds(), 1);
    EXPECT_EQ(store.remainingLabel(), u"00:01"_s);
    EXPECT_FALSE(h.defaults().contains(keys::kLastCompletedDay));
    h.tickAt(dec7(10, 15));
    EXPECT_FALSE(store.isSessionActive());
    EXPECT_EQ(store.remainingLabel(), u"00:00"_s);
    EXPECT_FALSE(h.defaults().contains(keys::kSessionEnd));
    EXPECT_FALSE(h.defaults().contains(keys::kSessionDay));
    EXPECT_EQ(h.marker(keys::kLastCompletedDay), u"2026-12-07"_s);
    EXPECT_EQ(h.log.calls.last(), u"end"_s);
}

TEST_F(SessionEngineTest, EndingEarlyRecordsNoCompletionAndWakingLateCompletes) {
    WritingStore& store = startAt(dec7(10, 0));
    store.startSession();
    h.clock.advanceSeconds(120);
    store.endSession(false);
    EXPECT_FALSE(store.isSessionActive());
    EXPECT_FALSE(h.defaults().contains(keys::kSessionEnd));
    EXPECT_FALSE(h.defaults().contains(keys::kLastCompletedDay));
    EXPECT_EQ(h.log.calls.last(), u"end"_s);
    EXPECT_FALSE(h.restart().isSessionActive()) << "no session comes back after a relaunch";

    h.store->startSession();
    h.tickAt(dec7(10, 5));
    h.clock.set(dec7(11, 0));
    h.wake.wake();
    QCoreApplication::processEvents();
    EXPECT_FALSE(h.store->isSessionActive());
    EXPECT_EQ(h.marker(keys::kLastCompletedDay), u"2026-12-07"_s);
}

TEST_F(SessionEngineTest, FollowupOnceADayInsideItsWindow) {
    struct Case {
        QDateTime launch;
        qsizetype expected;
    };
    // The window is [09:30:00, 09:31:00): the end is exclusive, its last millisecond is not.
    for (const Case& c : {Case{dec7(9, 29, 59, 999), 0}, Case{dec7(9, 30), 1},
                          Case{dec7(9, 30, 59, 999), 1}, Case{dec7(9, 31), 0}}) {
        StoreHarness fresh;
        fresh.mark(keys::kLastScheduledDay, u"2026-12-07"_s);
        fresh.clock.set(c.launch);
        fresh.start();
        EXPECT_EQ(fresh.log.count(u"followup"_s), c.expected) << c.launch.toString().toStdString();
    }
    h.mark(keys::kLastSessionDay, u"2026-12-06"_s); // so the clock set back starts nothing
    startAt(dec7(9, 30, 10));
    EXPECT_EQ(followups(), 1);
    EXPECT_EQ(h.marker(keys::kLastFollowupDay), u"2026-12-07"_s);
    h.tickAt(dec7(9, 30, 59));
    h.restart();
    h.tickAt(dec7(8, 30)); // the clock set back an hour repeats the window
    h.tickAt(dec7(9, 30, 20));
    EXPECT_FALSE(h.store->isSessionActive());
    EXPECT_EQ(followups(), 1);
}

TEST_F(SessionEngineTest, NoFollowupDuringASessionOrAfterCompletion) {
    WritingStore& store = startAt(dec7(9, 20));
    store.startSession();
    h.tickAt(dec7(9, 30, 10));
    EXPECT_EQ(followups(), 0);
    h.tickAt(dec7(9, 35));
    ASSERT_FALSE(store.isSessionActive());
    h.tickAt(dec7(9, 30, 30)); // back inside the window after completing
    EXPECT_EQ(followups(), 0);
    EXPECT_FALSE(h.defaults().contains(keys::kLastFollowupDay));
}

TEST_F(SessionEngineTest, DailyTimeStartsOneSessionADay) {
    h.mark(keys::kLastSessionDay, u"2026-12-06"_s);
    WritingStore& store = startAt(dec7(8, 59, 59), u"2026-12-06"_s);
    EXPECT_FALSE(store.isSessionActive());
    h.tickAt(dec7(9, 0));
    EXPECT_TRUE(store.isSessionActive());
    EXPECT_EQ(h.marker(keys::kLastScheduledDay), u"2026-12-07"_s);
    h.tickAt(dec7(9, 3));
    store.endSession(false); // ended early: not completed, yet already handled
    for (const QDateTime& later : {dec7(9, 4), dec7(23, 59, 59)}) {
        h.tickAt(later);
        EXPECT_FALSE(store.isSessionActive());
    }
    h.tickAt(localTime(2026, 12, 8, 9, 0));
    EXPECT_TRUE(store.isSessionActive()) << "the next day starts its own session";
}

TEST_F(SessionEngineTest, UserSessionBeforeTheDailyTimeCountsForTheDay) {
    WritingStore& store = startAt(dec7(8, 0), u"2026-12-06"_s);
    store.startSession();
    EXPECT_EQ(h.marker(keys::kLastScheduledDay), u"2026-12-06"_s);
    h.tickAt(dec7(8, 10));
    store.endSession(false);
    h.tickAt(dec7(9, 0));
    EXPECT_FALSE(store.isSessionActive());
}

TEST_F(SessionEngineTest, MissedDailyTimeIsMadeUpAtTheNextLaunchUnlessAMarkerSkipsIt) {
    // Yesterday's 09:00 passed while the program was not running.
    EXPECT_TRUE(startAt(dec7(8, 0), u"2026-12-05"_s).isSessionActive());
    EXPECT_EQ(h.marker(keys::kLastScheduledDay), u"2026-12-06"_s);
    EXPECT_EQ(h.marker(keys::kLastSessionDay), u"2026-12-07"_s);
    for (const QString& key :
         {keys::kLastScheduledDay, keys::kLastSessionDay, keys::kLastCompletedDay}) {
        StoreHarness fresh;
        fresh.mark(keys::kTrackingStartDay, u"2026-11-01"_s);
        fresh.mark(key, u"2026-12-06"_s);
        fresh.clock.set(dec7(8, 0));
        EXPECT_FALSE(fresh.start().isSessionActive()) << key.toStdString();
    }
}

TEST_F(SessionEngineTest, VeryFirstLaunchDoesNotMakeUpYesterday) {
    h.clock.set(dec7(8, 0));
    WritingStore& store = h.start();
    EXPECT_FALSE(store.isSessionActive());
    h.tickAt(dec7(9, 0));
    EXPECT_TRUE(store.isSessionActive()) << "today's time is after the tracking start";
}

TEST_F(SessionEngineTest, ScheduledTimeADayOrMoreAgoStartsNothing) {
    testing::ScopedTimeZone zone("America/New_York"); // clocks go back on 1 November 2026
    // Yesterday's 09:00 EDT is 13:00 UTC; 08:00 EST today is exactly 24 hours later.
    for (const auto& [launch, starts] : {std::pair{localTime(2026, 11, 1, 8, 0), false},
                                         std::pair{localTime(2026, 11, 1, 7, 59, 59, 999), true}}) {
        StoreHarness fresh;
        fresh.mark(keys::kTrackingStartDay, u"2026-10-01"_s);
        fresh.mark(keys::kLastScheduledDay, u"2026-10-30"_s);
        fresh.clock.set(launch);
        EXPECT_EQ(fresh.start().isSessionActive(), starts);
    }
}

TEST_F(SessionEngineTest, SessionAcrossMidnightBelongsToBothDays) {
    WritingStore& store = startAt(localTime(2026, 12, 6, 23, 50), u"2026-12-06"_s);
    store.startSession();
    h.tickAt(dec7(0, 4, 59));
    EXPECT_EQ(store.currentDateKey(), u"2026-12-06"_s) << "no rollover mid-session";
    h.tickAt(dec7(0, 5));
    EXPECT_FALSE(store.isSessionActive());
    EXPECT_EQ(h.marker(keys::kLastSessionDay), u"2026-12-06"_s);
    EXPECT_EQ(h.marker(keys::kLastCompletedDay), u"2026-12-07"_s);
    EXPECT_EQ(store.currentDateKey(), u"2026-12-06"_s);
    h.tickAt(dec7(0, 5, 1));
    EXPECT_EQ(store.currentDateKey(), u"2026-12-07"_s);
    h.tickAt(dec7(9, 0));
    EXPECT_FALSE(store.isSessionActive()) << "today already counts as completed";
}

TEST_F(SessionEngineTest, IdleRolloverMovesTheDayOncePerDay) {
    WritingStore& store = startAt(localTime(2026, 12, 6, 23, 59, 59), u"2026-12-06"_s);
    QSignalSpy spy(&store, &WritingStore::objectWillChange);
    h.tickAt(localTime(2026, 12, 6, 23, 59, 59, 500));
    EXPECT_EQ(spy.count(), 0);
    h.tickAt(dec7(0, 0, 1));
    h.tickAt(dec7(0, 0, 2));
    EXPECT_EQ(store.currentDateKey(), u"2026-12-07"_s);
    EXPECT_EQ(spy.count(), 1);
}

TEST_F(SessionEngineTest, RestartMidSessionContinuesTheCountdown) {
    startAt(dec7(10, 0)).startSession();
    h.log.calls.clear();
    h.clock.set(dec7(10, 5, 30, 500)); // 569.5 s left
    EXPECT_EQ(h.restart().remainingSeconds(), 570);
    EXPECT_EQ(h.log.count(u"begin"_s), 0);
    h.tickAt(dec7(10, 15));
    EXPECT_EQ(h.marker(keys::kLastCompletedDay), u"2026-12-07"_s);
}

TEST_F(SessionEngineTest, ClockJumpsNeitherStretchNorRepeatTheSession) {
    WritingStore& store = startAt(dec7(10, 0));
    store.startSession();
    h.tickAt(dec7(10, 10));
    h.tickAt(dec7(9, 10)); // an hour back
    EXPECT_EQ(store.remainingSeconds(), 300);
    EXPECT_EQ(h.defaults().date(keys::kSessionEnd), dec7(9, 15));
    h.tickAt(dec7(9, 15));
    EXPECT_FALSE(store.isSessionActive());

    store.startSession();
    h.tickAt(localTime(2026, 12, 8, 10, 1)); // a day forward
    EXPECT_FALSE(store.isSessionActive());
    EXPECT_EQ(h.marker(keys::kLastCompletedDay), u"2026-12-08"_s);
    h.tickAt(localTime(2026, 12, 8, 10, 2));
    EXPECT_FALSE(store.isSessionActive()) << "the new day is already completed";
    EXPECT_EQ(h.log.count(u"begin"_s), 2);
}

} // namespace
} // namespace inkwarden
