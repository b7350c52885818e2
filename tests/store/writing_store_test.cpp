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

using namespace Qt::Literals::StringLiterals;
using testing::localTime;

class WritingStoreTest : public ::testing::Test {
protected:
    void SetUp() override { h.clock.set(localTime(2026, 12, 7, 7, 0)); }
    testing::StoreHarness h;
};

TEST_F(WritingStoreTest, FirstStartUpUsesTheDefaultsAndALaterOneKeepsTheSettings) {
    WritingStore& first = h.start();
    EXPECT_EQ(h.marker(keys::kTrackingStartDay), u"2026-12-07"_s);
    EXPECT_EQ(first.scheduleHour(), 9);
    EXPECT_EQ(first.scheduleMinute(), 0);
    EXPECT_EQ(first.fontName(), u"Georgia"_s);
    EXPECT_FALSE(first.isSessionActive());
    EXPECT_EQ(h.log.calls, QStringList{u"configure 9:0"_s});
    EXPECT_FALSE(h.defaults().contains(keys::kScheduleHour)) << "defaults are not written";
    first.setScheduleHour(6);
    first.setScheduleMinute(45);
    first.setFontName(u"Menlo"_s);

    h.clock.set(localTime(2026, 12, 9, 5, 0));
    h.log.calls.clear();
    WritingStore& second = h.restart();
    EXPECT_EQ(h.marker(keys::kTrackingStartDay), u"2026-12-07"_s);
    EXPECT_EQ(second.currentDateKey(), u"2026-12-09"_s);
    EXPECT_EQ(second.scheduleHour(), 6);
    EXPECT_EQ(second.scheduleMinute(), 45);
    EXPECT_EQ(second.fontName(), u"Menlo"_s);
    // Start-up configures once and runs no change hook (then makes up the missed 6:45).
    EXPECT_EQ(h.log.calls, (QStringList{u"configure 6:45"_s, u"begin"_s}));
}

TEST_F(WritingStoreTest, WrongKindsAndABrokenFileFallBackToTheDefaults) {
    h.defaults().setString(keys::kScheduleHour, u"14"_s);
    h.defaults().setString(keys::kScheduleMinute, u"30"_s);
    h.defaults().setInteger(keys::kFontName, 3);
    h.defaults().setInteger(keys::kTrackingStartDay, 20261201);
    WritingStore& store = h.start();
    EXPECT_EQ(store.scheduleHour(), 9);
    EXPECT_EQ(store.scheduleMinute(), 0);
    EXPECT_EQ(store.fontName(), u"Georgia"_s);
    EXPECT_EQ(h.marker(keys::kTrackingStartDay), u"2026-12-07"_s);

    QFile file(h.settingsPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{\"scheduleHour\": 6, \"sessionEnd\": {\"date\": \"2026-12-07T12:");
    file.close();
    WritingStore& restarted = h.restart();
    EXPECT_EQ(restarted.scheduleHour(), 9);
    EXPECT_FALSE(restarted.isSessionActive());
    EXPECT_TRUE(QFileInfo::exists(h.defaults().brokenFileKeptAt()));
}

TEST_F(WritingStoreTest, RestoresARunningSessionRoundingUpAndCappedAtOneSession) {
    struct Case {
        qint64 millisecondsAhead, expected;
    };
    // Only a clock set back puts a stored end three hours out.
    for (const Case& c :
         {Case{299'200, 300}, Case{1, 1}, Case{900'000, 900}, Case{10'800'000, 900}}) {
        SCOPED_TRACE(c.millisecondsAhead);
        h.defaults().setDate(keys::kSessionEnd, h.clock.now().addMSecs(c.millisecondsAhead));
        h.log.calls.clear();
        WritingStore& store = h.restart();
        EXPECT_TRUE(store.isSessionActive());
        EXPECT_EQ(store.remainingSeconds(), c.expected);
        EXPECT_EQ(h.defaults().date(keys::kSessionEnd), store.sessionEnd());
        EXPECT_EQ(store.sessionEnd(),
                  h.clock.now().addMSecs(qMin(c.millisecondsAhead, qint64{900'000})));
        // The store leaves fronting the writer to the window that appears.
        EXPECT_EQ(h.log.count(u"begin"_s), 0);
        EXPECT_FALSE(h.defaults().contains(keys::kLastSessionDay));
    }
}

TEST_F(WritingStoreTest, ExpiredOrInvalidSessionEndIsDroppedWithoutCompletion) {
    const QList<std::function<void(SettingsStore&)>> stored = {
        [&](SettingsStore& d) { d.setDate(keys::kSessionEnd, h.clock.now()); },
        [&](SettingsStore& d) { d.setDate(keys::kSessionEnd, h.clock.now().addSecs(-3600)); },
        [&](SettingsStore& d) { d.setString(keys::kSessionEnd, u"2099-01-01"_s); },
        [&](SettingsStore& d) { d.setInteger(keys::kSessionEnd, 4'000'000'000'000); },
    };
    for (qsizetype i = 0; i < stored.size(); ++i) {
        SCOPED_TRACE(i);
        stored[i](h.defaults());
        WritingStore& store = h.restart();
        EXPECT_FALSE(store.isSessionActive());
        EXPECT_FALSE(h.defaults().contains(keys::kSessionEnd));
        EXPECT_FALSE(h.defaults().contains(keys::kLastCompletedDay));
    }
}

TEST_F(WritingStoreTest, EveryAssignmentNotifiesFirstAndPersistsEvenWhenUnchanged) {
    WritingStore& store = h.start();
    QSignalSpy spy(&store, &WritingStore::objectWillChange);
    QList<qint64> hourSeenDuringSignal;
    QObject::connect(&store, &WritingStore::objectWillChange, &store,
                     [&] { hourSeenDuringSignal.append(store.scheduleHour()); });
    h.log.calls.clear();

    store.setFontName(u"Georgia"_s);
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(h.defaults().string(keys::kFontName), u"Georgia"_s);
    EXPECT_TRUE(h.log.calls.isEmpty()) << "the font touches no service";

    // The daily time control assigns the hour, then the minute.
    store.setScheduleMinute(0);
    store.setScheduleHour(21);
    store.setScheduleMinute(5);
    EXPECT_EQ(spy.count(), 4);
    EXPECT_EQ(hourSeenDuringSignal, (QList<qint64>{9, 9, 9, 21}));
    EXPECT_EQ(h.defaults().integer(keys::kScheduleHour), 21);
    EXPECT_EQ(h.defaults().integer(keys::kScheduleMinute), 5);
    EXPECT_EQ(h.log.calls,
              (QStringList{u"configure 9:0"_s, u"configure 21:0"_s, u"configure 21:5"_s}));
    EXPECT_EQ(store.scheduledTime(), localTime(2026, 12, 7, 21, 5));

    store.setIsLibraryPresented(false);
    store.setIsSavePresented(true);
    store.setFileError(std::nullopt);
    EXPECT_EQ(spy.count(), 7);
}

TEST_F(WritingStoreTest, HeartbeatAndWakeQueueATickInsteadOfRunningItInline) {
    WritingStore& store = h.start();
    auto* timer = store.findChild<QTimer*>(u"heartbeat"_s);
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    EXPECT_FALSE(timer->isSingleShot());
    EXPECT_EQ(timer->interval(), 1000);

    for (const std::function<void()>& trigger :
         {std::function<void()>(
              [&] { QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection); }),
          std::function<void()>([&] { h.wake.wake(); })}) {
        store.startSession();
        h.clock.advanceSeconds(900);
        trigger();
        EXPECT_TRUE(store.isSessionActive()) << "the tick must not run inline";
        QCoreApplication::processEvents();
        EXPECT_FALSE(store.isSessionActive());
    }
}

TEST_F(WritingStoreTest, TickQueuedForADestroyedStoreDoesNothing) {
    // Tracking since yesterday, so a tick at 09:00 would start today's session.
    h.mark(keys::kTrackingStartDay, u"2026-12-06"_s);
    h.mark(keys::kLastScheduledDay, u"2026-12-06"_s);
    h.clock.set(localTime(2026, 12, 7, 8, 59, 59));
    h.start();
    h.clock.set(localTime(2026, 12, 7, 9, 0));
    h.wake.wake();
    h.store.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(h.log.count(u"begin"_s), 0);
    EXPECT_FALSE(h.defaults().contains(keys::kSessionEnd));
}

} // namespace
} // namespace inkwarden
