#include "store/settings_keys.h"
#include "store_harness.h"
#include "support/scoped_time_zone.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace inkwarden {
namespace {

using testing::localTime;
using testing::StoreHarness;

// The store has been tracking since well before the days under test, so the
// scheduled start is decided by the markers alone unless a test says otherwise.
class SessionEngineTest : public ::testing::Test {
protected:
    WritingStore& startAt(const QDateTime& moment) {
        h.clock.set(moment);
        if (!h.defaults().contains(keys::kTrackingStartDay))
            h.defaults().setString(keys::kTrackingStartDay, QStringLiteral("2026-11-01"));
        return h.start();
    }
    // Marks the day as handled so no scheduled start gets in the way.
    void handled(const QString& day) { h.defaults().setString(keys::kLastScheduledDay, day); }

    StoreHarness h;
};

TEST_F(SessionEngineTest, CountsDownFromTheEndMomentAndCompletesAtZero) {
    handled(QStringLiteral("2026-12-07"));
    WritingStore& store = startAt(localTime(2026, 12, 7, 10, 0));
    store.startSession();
    EXPECT_TRUE(store.isSessionActive());
    EXPECT_EQ(store.sessionEnd(), localTime(2026, 12, 7, 10, 15));
    EXPECT_EQ(h.defaults().date(keys::kSessionEnd), localTime(2026, 12, 7, 10, 15));
    EXPECT_EQ(store.remainingSeconds(), 900);
    EXPECT_EQ(store.remainingLabel(), QStringLiteral("15:00"));
    EXPECT_EQ(h.marker(keys::kSessionDay), QStringLiteral("2026-12-07"));
    EXPECT_EQ(h.marker(keys::kLastSessionDay), QStringLiteral("2026-12-07"));
    EXPECT_EQ(h.marker(keys::kLastScheduledDay), QStringLiteral("2026-12-07"));
    EXPECT_EQ(h.log.count(QStringLiteral("begin")), 1);

    h.tickAt(localTime(2026, 12, 7, 10, 13, 59));
    EXPECT_EQ(store.remainingLabel(), QStringLiteral("01:01"));
    h.tickAt(localTime(2026, 12, 7, 10, 14, 59, 200));
    EXPECT_EQ(store.remainingSeconds(), 1);
    EXPECT_EQ(store.remainingLabel(), QStringLiteral("00:01"));
    EXPECT_FALSE(h.defaults().contains(keys::kLastCompletedDay));

    h.tickAt(localTime(2026, 12, 7, 10, 15));
    EXPECT_FALSE(store.isSessionActive());
    EXPECT_EQ(store.remainingSeconds(), 0);
    EXPECT_EQ(store.remainingLabel(), QStringLiteral("00:00"));
    EXPECT_FALSE(store.sessionEnd());
    EXPECT_FALSE(h.defaults().contains(keys::kSessionEnd));
    EXPECT_FALSE(h.defaults().contains(keys::kSessionDay));
    EXPECT_EQ(h.marker(keys::kLastCompletedDay), QStringLiteral("2026-12-07"));
    EXPECT_EQ(h.log.calls.last(), QStringLiteral("end"));
}

TEST_F(SessionEngineTest, StartingTwiceChangesNothing) {
    handled(QStringLiteral("2026-12-07"));
    WritingStore& store = startAt(localTime(2026, 12, 7, 10, 0));
    store.startSession();
    h.clock.advanceSeconds(30);
    QSignalSpy spy(&store, &WritingStore::objectWillChange);
    store.startSession();
    EXPECT_EQ(store.sessionEnd(), localTime(2026, 12, 7, 10, 15));
    EXPECT_EQ(h.log.count(QStringLiteral("begin")), 1);
    EXPECT_EQ(spy.count(), 0);
}

TEST_F(SessionEngineTest, EndingEarlyRecordsNoCompletion) {
    handled(QStringLiteral("2026-12-07"));
    WritingStore& store = startAt(localTime(2026, 12, 7, 10, 0));
    store.startSession();
    h.clock.advanceSeconds(120);
    store.endSession(false);
    EXPECT_FALSE(store.isSessionActive());
    EXPECT_EQ(store.remainingSeconds(), 0);
    EXPECT_FALSE(h.defaults().contains(keys::kSessionEnd));
    EXPECT_FALSE(h.defaults().contains(keys::kLastCompletedDay));
    EXPECT_EQ(h.log.calls.last(), QStringLiteral("end"));
    // After a relaunch no session comes back.
    EXPECT_FALSE(h.restart().isSessionActive());
}

TEST_F(SessionEngineTest, WakingAfterTheEndCompletesTheSession) {
    handled(QStringLiteral("2026-12-07"));
    WritingStore& store = startAt(localTime(2026, 12, 7, 10, 0));
    store.startSession();
    h.tickAt(localTime(2026, 12, 7, 10, 5));
    h.clock.set(localTime(2026, 12, 7, 11, 0));
    h.wake.wake();
    QCoreApplication::processEvents();
    EXPECT_FALSE(store.isSessionActive());
    EXPECT_EQ(h.marker(keys::kLastCompletedDay), QStringLiteral("2026-12-07"));
}

TEST_F(SessionEngineTest, FollowupOnceInsideItsWindow) {
    WritingStore& store = startAt(localTime(2026, 12, 7, 9, 0));
    ASSERT_TRUE(store.isSessionActive()) << "the daily time has come";
    h.tickAt(localTime(2026, 12, 7, 9, 5));
    store.endSession(false);

    h.tickAt(localTime(2026, 12, 7, 9, 29, 59, 999));
    EXPECT_EQ(h.log.count(QStringLiteral("followup")), 0);
    h.tickAt(localTime(2026, 12, 7, 9, 30));
    EXPECT_EQ(h.log.count(QStringLiteral("followup")), 1);
    EXPECT_EQ(h.marker(keys::kLastFollowupDay), QStringLiteral("2026-12-07"));
    h.tickAt(localTime(2026, 12, 7, 9, 30, 59));
    EXPECT_EQ(h.log.count(QStringLiteral("followup")), 1);
    // A restart inside the window does not post it again.
    h.restart();
    h.tickAt(localTime(2026, 12, 7, 9, 30, 59, 500));
    EXPECT_EQ(h.log.count(QStringLiteral("followup")), 1);
    EXPECT_FALSE(h.store->isSessionActive());
}

TEST_F(SessionEngineTest, FollowupWindowEndIsExclusive) {
    handled(QStringLiteral("2026-12-07"));
    startAt(localTime(2026, 12, 7, 9, 31));
    EXPECT_EQ(h.log.count(QStringLiteral("followup")), 0);
    h.tickAt(localTime(2026, 12, 7, 9, 45));
    EXPECT_EQ(h.log.count(QStringLiteral("followup")), 0);
    EXPECT_FALSE(h.defaults().contains(keys::kLastFollowupDay));
}

TEST_F(SessionEngineTest, LastMomentOfTheWindowStillPostsTheFollowup) {
    handled(QStringLiteral("2026-12-07"));
    startAt(localTime(2026, 12, 7, 9, 30, 59, 999));
    EXPECT_EQ(h.log.count(QStringLiteral("followup")), 1);
}

TEST_F(SessionEngineTest, CompletedDayGetsNoFollowup) {
    WritingStore& store = startAt(localTime(2026, 12, 7, 9, 0));
    ASSERT_TRUE(store.isSessionActive());
    h.tickAt(localTime(2026, 12, 7, 9, 15));
    ASSERT_FALSE(store.isSessionActive());
    h.tickAt(localTime(2026, 12, 7, 9, 30));
    EXPECT_EQ(h.log.count(QStringLiteral("followup")), 0);
}

TEST_F(SessionEngineTest, NoFollowupWhileASessionRuns) {
    handled(QStringLiteral("2026-12-07"));
    WritingStore& store = startAt(localTime(2026, 12, 7, 9, 20));
    store.startSession();
    h.tickAt(localTime(2026, 12, 7, 9, 30, 10));
    EXPECT_EQ(h.log.count(QStringLiteral("followup")), 0);
    EXPECT_FALSE(h.defaults().contains(keys::kLastFollowupDay));
}

TEST_F(SessionEngineTest, DailyTimeStartsOneSessionADay) {
    handled(QStringLiteral("2026-12-06"));
    h.defaults().setString(keys::kLastSessionDay, QStringLiteral("2026-12-06"));
    WritingStore& store = startAt(localTime(2026, 12, 7, 8, 59, 59));
    EXPECT_FALSE(store.isSessionActive());

    h.tickAt(localTime(2026, 12, 7, 9, 0));
    EXPECT_TRUE(store.isSessionActive());
    EXPECT_EQ(h.marker(keys::kLastScheduledDay), QStringLiteral("2026-12-07"));
    EXPECT_EQ(h.log.count(QStringLiteral("begin")), 1);

    h.tickAt(localTime(2026, 12, 7, 9, 3));
    store.endSession(false); // ended early: not completed, yet already handled
    for (const QDateTime& later : {localTime(2026, 12, 7, 9, 4), localTime(2026, 12, 7, 13, 0),
                                   localTime(2026, 12, 7, 23, 59, 59)}) {
        h.tickAt(later);
        EXPECT_FALSE(store.isSessionActive());
    }
    h.tickAt(localTime(2026, 12, 8, 9, 0));
    EXPECT_TRUE(store.isSessionActive()) << "the next day starts its own session";
}

TEST_F(SessionEngineTest, UserSessionBeforeTheDailyTimeCountsForTheDay) {
    handled(QStringLiteral("2026-12-06"));
    WritingStore& store = startAt(localTime(2026, 12, 7, 8, 0));
    ASSERT_FALSE(store.isSessionActive());
    store.startSession();
    EXPECT_EQ(h.marker(keys::kLastScheduledDay), QStringLiteral("2026-12-06"));
    EXPECT_EQ(h.marker(keys::kLastSessionDay), QStringLiteral("2026-12-07"));
    h.tickAt(localTime(2026, 12, 7, 8, 10));
    store.endSession(false);

    h.tickAt(localTime(2026, 12, 7, 9, 0));
    EXPECT_FALSE(store.isSessionActive());
}

TEST_F(SessionEngineTest, MissedDailyTimeIsMadeUpAtTheNextLaunch) {
    // Yesterday's 09:00 passed while the program was not running.
    h.defaults().setString(keys::kLastScheduledDay, QStringLiteral("2026-12-05"));
    WritingStore& store = startAt(localTime(2026, 12, 7, 8, 0));
    EXPECT_TRUE(store.isSessionActive());
    EXPECT_EQ(h.marker(keys::kLastScheduledDay), QStringLiteral("2026-12-06"));
    EXPECT_EQ(h.marker(keys::kLastSessionDay), QStringLiteral("2026-12-07"));
    EXPECT_EQ(h.log.count(QStringLiteral("begin")), 1);
}

TEST_F(SessionEngineTest, EachMarkerSkipsTheScheduledStart) {
    for (const QString& key :
         {keys::kLastScheduledDay, keys::kLastSessionDay, keys::kLastCompletedDay}) {
        SCOPED_TRACE(key.toStdString());
        StoreHarness fresh;
        fresh.defaults().setString(keys::kTrackingStartDay, QStringLiteral("2026-11-01"));
        fresh.defaults().setString(key, QStringLiteral("2026-12-06"));
        fresh.clock.set(localTime(2026, 12, 7, 8, 0));
        EXPECT_FALSE(fresh.start().isSessionActive());
    }
}

TEST_F(SessionEngineTest, VeryFirstLaunchDoesNotMakeUpYesterday) {
    h.clock.set(localTime(2026, 12, 7, 8, 0));
    WritingStore& store = h.start();
    EXPECT_EQ(h.marker(keys::kTrackingStartDay), QStringLiteral("2026-12-07"));
    EXPECT_FALSE(store.isSessionActive());
    h.tickAt(localTime(2026, 12, 7, 9, 0));
    EXPECT_TRUE(store.isSessionActive()) << "today's time is after the tracking start";
}

TEST_F(SessionEngineTest, ScheduledTimeADayOrMoreAgoStartsNothing) {
    testing::ScopedTimeZone zone("America/New_York"); // clocks go back on 1 November 2026
    // Yesterday's 09:00 EDT is 13:00 UTC; 08:00 EST today is exactly 24 hours later.
    h.defaults().setString(keys::kTrackingStartDay, QStringLiteral("2026-10-01"));
    h.defaults().setString(keys::kLastScheduledDay, QStringLiteral("2026-10-30"));
    WritingStore& store = startAt(localTime(2026, 11, 1, 8, 0));
    EXPECT_FALSE(store.isSessionActive());

    StoreHarness justInside;
    justInside.defaults().setString(keys::kTrackingStartDay, QStringLiteral("2026-10-01"));
    justInside.defaults().setString(keys::kLastScheduledDay, QStringLiteral("2026-10-30"));
    justInside.clock.set(localTime(2026, 11, 1, 7, 59, 59, 999));
    EXPECT_TRUE(justInside.start().isSessionActive());
    EXPECT_EQ(justInside.marker(keys::kLastScheduledDay), QStringLiteral("2026-10-31"));
}

TEST_F(SessionEngineTest, SessionAcrossMidnightBelongsToBothDays) {
    handled(QStringLiteral("2026-12-06"));
    WritingStore& store = startAt(localTime(2026, 12, 6, 23, 50));
    store.startSession();
    EXPECT_EQ(h.marker(keys::kSessionDay), QStringLiteral("2026-12-06"));

    h.tickAt(localTime(2026, 12, 7, 0, 4, 59));
    EXPECT_EQ(store.currentDateKey(), QStringLiteral("2026-12-06")) << "no rollover mid-session";
    h.tickAt(localTime(2026, 12, 7, 0, 5));
    EXPECT_FALSE(store.isSessionActive());
    EXPECT_EQ(h.marker(keys::kLastSessionDay), QStringLiteral("2026-12-06"));
    EXPECT_EQ(h.marker(keys::kLastCompletedDay), QStringLiteral("2026-12-07"));
    EXPECT_EQ(store.currentDateKey(), QStringLiteral("2026-12-06"));

    h.tickAt(localTime(2026, 12, 7, 0, 5, 1));
    EXPECT_EQ(store.currentDateKey(), QStringLiteral("2026-12-07"));
    // Today counts as completed, so today's daily time starts nothing.
    h.tickAt(localTime(2026, 12, 7, 9, 0));
    EXPECT_FALSE(store.isSessionActive());
}

TEST_F(SessionEngineTest, IdleRolloverMovesTheDayOncePerDay) {
    handled(QStringLiteral("2026-12-06"));
    WritingStore& store = startAt(localTime(2026, 12, 6, 23, 59, 59));
    QSignalSpy spy(&store, &WritingStore::objectWillChange);
    h.tickAt(localTime(2026, 12, 6, 23, 59, 59, 500));
    EXPECT_EQ(spy.count(), 0);
    h.tickAt(localTime(2026, 12, 7, 0, 0, 1));
    EXPECT_EQ(store.currentDateKey(), QStringLiteral("2026-12-07"));
    EXPECT_EQ(spy.count(), 1);
    h.tickAt(localTime(2026, 12, 7, 0, 0, 2));
    EXPECT_EQ(spy.count(), 1);
}

TEST_F(SessionEngineTest, RestartMidSessionContinuesTheCountdown) {
    handled(QStringLiteral("2026-12-07"));
    startAt(localTime(2026, 12, 7, 10, 0)).startSession();
    h.log.calls.clear();

    h.clock.set(localTime(2026, 12, 7, 10, 5, 30, 500)); // 569.5 s left
    WritingStore& store = h.restart();
    EXPECT_TRUE(store.isSessionActive());
    EXPECT_EQ(store.remainingSeconds(), 570);
    EXPECT_EQ(h.marker(keys::kSessionDay), QStringLiteral("2026-12-07"));
    EXPECT_EQ(h.log.count(QStringLiteral("begin")), 0);

    h.tickAt(localTime(2026, 12, 7, 10, 15));
    EXPECT_EQ(h.marker(keys::kLastCompletedDay), QStringLiteral("2026-12-07"));
    EXPECT_FALSE(h.restart().isSessionActive());
}

TEST_F(SessionEngineTest, ClockSetBackNeverStretchesTheCountdown) {
    handled(QStringLiteral("2026-12-07"));
    WritingStore& store = startAt(localTime(2026, 12, 7, 10, 0));
    store.startSession();
    h.tickAt(localTime(2026, 12, 7, 10, 10));
    ASSERT_EQ(store.remainingSeconds(), 300);

    h.tickAt(localTime(2026, 12, 7, 9, 10)); // an hour back
    EXPECT_EQ(store.remainingSeconds(), 300);
    EXPECT_EQ(h.defaults().date(keys::kSessionEnd), localTime(2026, 12, 7, 9, 15));
    h.tickAt(localTime(2026, 12, 7, 9, 14, 59));
    EXPECT_EQ(store.remainingSeconds(), 1);
    h.tickAt(localTime(2026, 12, 7, 9, 15));
    EXPECT_FALSE(store.isSessionActive());
    // Back inside the follow-up window after completing: nothing is posted.
    h.tickAt(localTime(2026, 12, 7, 9, 30, 30));
    EXPECT_EQ(h.log.count(QStringLiteral("followup")), 0);
}

TEST_F(SessionEngineTest, ClockJumpingForwardADayCompletesOnce) {
    handled(QStringLiteral("2026-12-07"));
    WritingStore& store = startAt(localTime(2026, 12, 7, 10, 0));
    store.startSession();
    h.tickAt(localTime(2026, 12, 8, 10, 1));
    EXPECT_FALSE(store.isSessionActive());
    EXPECT_EQ(store.remainingSeconds(), 0);
    EXPECT_EQ(h.marker(keys::kLastCompletedDay), QStringLiteral("2026-12-08"));
    h.tickAt(localTime(2026, 12, 8, 10, 2));
    EXPECT_FALSE(store.isSessionActive()) << "the new day is already completed";
    EXPECT_EQ(h.log.count(QStringLiteral("begin")), 1);
}

TEST_F(SessionEngineTest, FollowupPostedOnceEvenWhenTheClockRepeatsTheWindow) {
    handled(QStringLiteral("2026-12-07"));
    startAt(localTime(2026, 12, 7, 9, 30, 10));
    EXPECT_EQ(h.log.count(QStringLiteral("followup")), 1);
    h.tickAt(localTime(2026, 12, 7, 8, 30)); // an hour back
    h.tickAt(localTime(2026, 12, 7, 9, 30, 10));
    EXPECT_EQ(h.log.count(QStringLiteral("followup")), 1);
}

} // namespace
} // namespace inkwarden
