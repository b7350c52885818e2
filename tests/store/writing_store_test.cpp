#include "store/settings_keys.h"
#include "store_harness.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace inkwarden {
namespace {

using testing::localTime;
using testing::StoreHarness;

class WritingStoreTest : public ::testing::Test {
protected:
    void SetUp() override { h.clock.set(localTime(2026, 12, 7, 7, 0)); }
    StoreHarness h;
};

TEST_F(WritingStoreTest, FirstStartUpUsesTheDefaultsAndStartsTracking) {
    WritingStore& store = h.start();
    EXPECT_EQ(h.marker(keys::kTrackingStartDay), QStringLiteral("2026-12-07"));
    EXPECT_EQ(store.currentDateKey(), QStringLiteral("2026-12-07"));
    EXPECT_EQ(store.scheduleHour(), 9);
    EXPECT_EQ(store.scheduleMinute(), 0);
    EXPECT_EQ(store.fontName(), QStringLiteral("Georgia"));
    EXPECT_FALSE(store.isSessionActive());
    EXPECT_EQ(store.remainingSeconds(), 0);
    EXPECT_FALSE(store.sessionEnd());
    EXPECT_FALSE(store.currentDocumentURL());
    EXPECT_FALSE(store.hasUnsavedChanges());
    EXPECT_FALSE(store.isLibraryPresented());
    EXPECT_FALSE(store.isSavePresented());
    EXPECT_FALSE(store.fileError());
    EXPECT_FALSE(store.isTerminationApproved());
    EXPECT_TRUE(store.currentContent().isEmpty());
    EXPECT_FALSE(store.documentRevision().isNull());
    EXPECT_EQ(h.log.calls, QStringList{QStringLiteral("configure 9:0")});
    // Nothing of the settings was written but the tracking start.
    EXPECT_FALSE(h.defaults().contains(keys::kScheduleHour));
    EXPECT_FALSE(h.defaults().contains(keys::kFontName));
}

TEST_F(WritingStoreTest, LaterStartUpKeepsTheTrackingStartAndTheSettings) {
    WritingStore& first = h.start();
    first.setScheduleHour(6);
    first.setScheduleMinute(45);
    first.setFontName(QStringLiteral("Menlo"));
    const QUuid firstRevision = first.documentRevision();

    h.clock.set(localTime(2026, 12, 9, 5, 0));
    h.log.calls.clear();
    WritingStore& second = h.restart();
    EXPECT_EQ(h.marker(keys::kTrackingStartDay), QStringLiteral("2026-12-07"));
    EXPECT_EQ(second.currentDateKey(), QStringLiteral("2026-12-09"));
    EXPECT_EQ(second.scheduleHour(), 6);
    EXPECT_EQ(second.scheduleMinute(), 45);
    EXPECT_EQ(second.fontName(), QStringLiteral("Menlo"));
    EXPECT_NE(second.documentRevision(), firstRevision);
    // Start-up configures once and runs no change hook.
    EXPECT_EQ(h.log.calls.first(), QStringLiteral("configure 6:45"));
    EXPECT_EQ(h.log.calls.count(QStringLiteral("configure 6:45")), 1);
}

TEST_F(WritingStoreTest, SettingsOfTheWrongKindFallBackToTheirDefaults) {
    h.defaults().setString(keys::kScheduleHour, QStringLiteral("14"));
    h.defaults().setString(keys::kScheduleMinute, QStringLiteral("30"));
    h.defaults().setInteger(keys::kFontName, 3);
    h.defaults().setInteger(keys::kTrackingStartDay, 20261201);
    WritingStore& store = h.start();
    EXPECT_EQ(store.scheduleHour(), 9);
    EXPECT_EQ(store.scheduleMinute(), 0);
    EXPECT_EQ(store.fontName(), QStringLiteral("Georgia"));
    // A tracking start that is not a string counts as absent and is replaced.
    EXPECT_EQ(h.marker(keys::kTrackingStartDay), QStringLiteral("2026-12-07"));
}

TEST_F(WritingStoreTest, StartUpSurvivesABrokenSettingsFile) {
    QDir().mkpath(QFileInfo(h.settingsPath()).path());
    QFile file(h.settingsPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{\"scheduleHour\": 6, \"sessionEnd\": {\"date\": \"2026-12-07T12:");
    file.close();

    WritingStore& store = h.start();
    EXPECT_EQ(store.scheduleHour(), 9);
    EXPECT_FALSE(store.isSessionActive());
    EXPECT_FALSE(h.defaults().brokenFileKeptAt().isEmpty());
    EXPECT_TRUE(QFileInfo::exists(h.defaults().brokenFileKeptAt()));
    EXPECT_EQ(h.marker(keys::kTrackingStartDay), QStringLiteral("2026-12-07"));
}

TEST_F(WritingStoreTest, RestoresARunningSessionRoundingUp) {
    struct Case {
        qint64 millisecondsAhead;
        qint64 expected;
    };
    for (const Case& c : {Case{300'000, 300}, Case{299'200, 300}, Case{1, 1}, Case{900'000, 900}}) {
        SCOPED_TRACE(c.millisecondsAhead);
        const QDateTime end = h.clock.now().addMSecs(c.millisecondsAhead);
        h.defaults().setDate(keys::kSessionEnd, end);
        h.log.calls.clear();
        WritingStore& store = h.restart();
        EXPECT_TRUE(store.isSessionActive());
        EXPECT_EQ(store.remainingSeconds(), c.expected);
        EXPECT_EQ(store.sessionEnd(), end);
        EXPECT_EQ(h.defaults().date(keys::kSessionEnd), end);
        // The store leaves fronting the writer to the window that appears.
        EXPECT_EQ(h.log.count(QStringLiteral("begin")), 0);
        EXPECT_FALSE(h.defaults().contains(keys::kLastSessionDay));
    }
}

TEST_F(WritingStoreTest, ExpiredOrInvalidSessionEndIsDroppedWithoutCompletion) {
    const QList<std::function<void(SettingsStore&)>> stored = {
        [&](SettingsStore& d) { d.setDate(keys::kSessionEnd, h.clock.now()); },
        [&](SettingsStore& d) { d.setDate(keys::kSessionEnd, h.clock.now().addSecs(-3600)); },
        [&](SettingsStore& d) { d.setString(keys::kSessionEnd, QStringLiteral("2099-01-01")); },
        [&](SettingsStore& d) { d.setInteger(keys::kSessionEnd, 4'000'000'000'000); },
    };
    for (qsizetype i = 0; i < stored.size(); ++i) {
        SCOPED_TRACE(i);
        stored[i](h.defaults());
        h.defaults().setString(keys::kSessionDay, QStringLiteral("2026-12-06"));
        WritingStore& store = h.restart();
        EXPECT_FALSE(store.isSessionActive());
        EXPECT_EQ(store.remainingSeconds(), 0);
        EXPECT_FALSE(h.defaults().contains(keys::kSessionEnd));
        EXPECT_FALSE(h.defaults().contains(keys::kLastCompletedDay));
        EXPECT_EQ(h.marker(keys::kSessionDay), QStringLiteral("2026-12-06"));
    }
}

TEST_F(WritingStoreTest, SessionEndFarAheadIsCappedAtOneSession) {
    // Only a clock set back puts a stored end this far out.
    h.defaults().setDate(keys::kSessionEnd, h.clock.now().addSecs(3 * 3600));
    WritingStore& store = h.start();
    EXPECT_TRUE(store.isSessionActive());
    EXPECT_EQ(store.remainingSeconds(), WritingStore::kSessionSeconds);
    EXPECT_EQ(h.defaults().date(keys::kSessionEnd), h.clock.now().addSecs(900));
}

TEST_F(WritingStoreTest, EveryAssignmentNotifiesAndPersistsEvenWhenUnchanged) {
    WritingStore& store = h.start();
    QSignalSpy spy(&store, &WritingStore::objectWillChange);
    h.log.calls.clear();

    store.setFontName(QStringLiteral("Georgia"));
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(h.defaults().string(keys::kFontName), QStringLiteral("Georgia"));
    EXPECT_TRUE(h.log.calls.isEmpty()) << "the font touches no service";

    store.setScheduleMinute(0);
    EXPECT_EQ(spy.count(), 2);
    EXPECT_EQ(h.defaults().integer(keys::kScheduleMinute), 0);
    EXPECT_EQ(h.log.calls, QStringList{QStringLiteral("configure 9:0")});

    // The daily time control assigns the hour, then the minute.
    store.setScheduleHour(21);
    store.setScheduleMinute(5);
    EXPECT_EQ(h.defaults().integer(keys::kScheduleHour), 21);
    EXPECT_EQ(h.defaults().integer(keys::kScheduleMinute), 5);
    EXPECT_EQ(h.log.calls.mid(1),
              (QStringList{QStringLiteral("configure 21:0"), QStringLiteral("configure 21:5")}));

    store.setIsLibraryPresented(false);
    store.setIsSavePresented(true);
    store.setFileError(std::nullopt);
    EXPECT_EQ(spy.count(), 7);
    EXPECT_TRUE(store.isSavePresented());
}

TEST_F(WritingStoreTest, ObserversHearOfAChangeBeforeItIsVisible) {
    WritingStore& store = h.start();
    QList<qint64> seenDuringSignal;
    QObject::connect(&store, &WritingStore::objectWillChange, &store,
                     [&] { seenDuringSignal.append(store.scheduleHour()); });
    store.setScheduleHour(17);
    EXPECT_EQ(seenDuringSignal, QList<qint64>{9});
    EXPECT_EQ(store.scheduleHour(), 17);
}

TEST_F(WritingStoreTest, ScheduledTimeFollowsEachAssignment) {
    WritingStore& store = h.start();
    EXPECT_EQ(store.scheduledTime(), localTime(2026, 12, 7, 9, 0));
    store.setScheduleHour(20);
    EXPECT_EQ(store.scheduledTime(), localTime(2026, 12, 7, 20, 0));
    store.setScheduleMinute(30);
    EXPECT_EQ(store.scheduledTime(), localTime(2026, 12, 7, 20, 30));
}

TEST_F(WritingStoreTest, HeartbeatQueuesATickEverySecondForTheLifeOfTheStore) {
    WritingStore& store = h.start();
    auto* timer = store.findChild<QTimer*>(QStringLiteral("heartbeat"));
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    EXPECT_FALSE(timer->isSingleShot());
    EXPECT_EQ(timer->interval(), 1000);

    store.startSession();
    h.clock.advanceSeconds(900);
    QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection);
    EXPECT_TRUE(store.isSessionActive()) << "the tick must not run inside the timer's handler";
    QCoreApplication::processEvents();
    EXPECT_FALSE(store.isSessionActive());
}

TEST_F(WritingStoreTest, WakeQueuesATickInsteadOfRunningItInline) {
    WritingStore& store = h.start();
    store.startSession();
    h.clock.set(localTime(2026, 12, 7, 9, 0)); // slept past the end
    h.wake.wake();
    EXPECT_TRUE(store.isSessionActive()) << "the tick must not run inside the notification";
    QCoreApplication::processEvents();
    EXPECT_FALSE(store.isSessionActive());
    EXPECT_EQ(h.marker(keys::kLastCompletedDay), QStringLiteral("2026-12-07"));
}

TEST_F(WritingStoreTest, TickQueuedForADestroyedStoreDoesNothing) {
    // Tracking since yesterday, so a tick at 09:00 would start today's session.
    h.defaults().setString(keys::kTrackingStartDay, QStringLiteral("2026-12-06"));
    h.defaults().setString(keys::kLastScheduledDay, QStringLiteral("2026-12-06"));
    h.clock.set(localTime(2026, 12, 7, 8, 59, 59));
    h.start();
    h.clock.set(localTime(2026, 12, 7, 9, 0));
    h.wake.wake();
    h.store.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(h.log.count(QStringLiteral("begin")), 0);
    EXPECT_FALSE(h.defaults().contains(keys::kSessionEnd));
}

} // namespace
} // namespace inkwarden
