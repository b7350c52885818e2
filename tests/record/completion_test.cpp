#include "fakes/fake_notifications.h"
#include "record/writing_record.h"
#include "screens/progress_calendar.h"
#include "screens/progress_view.h"
#include "screens/writing_view.h"
#include "services/local_notification_center.h"
#include "services/reminder_service.h"
#include "store/store_harness.h"
#include "support/wait.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

namespace inkwarden {
namespace {

using namespace Qt::Literals::StringLiterals;
using testing::localTime;

// One step as a person meets it: a session completes under a moved clock,
// the desktop is told the streak, the control row shows the count and the
// check mark, and the progress window shows today completed.
TEST(Completion, TellsTheStreakAndShowsTheDay) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    testing::StoreHarness h;
    h.clock.set(localTime(2026, 12, 7, 8, 0));
    h.mark(keys::kLastScheduledDay, u"2026-12-07"_s);
    h.mark(keys::kLastCompletedDay, u"2026-12-06"_s);
    WritingRecord record({WritingRecord::defaultPath(), storage::entriesFolder(), {}});
    record.waitUntilIdle();
    record.sessionEnded(localTime(2026, 12, 5, 9, 15), u"2026-12-05"_s, true, 10);
    record.sessionEnded(localTime(2026, 12, 6, 9, 15), u"2026-12-06"_s, true, 10);
    testing::FakeDelivery delivery;
    LocalNotificationCenter center(h.clock, delivery);
    ReminderService reminders(center);
    QObject::connect(&record, &WritingRecord::sessionCompleted, &reminders,
                     [&reminders](int days) { reminders.announceCompletion(days); });
    WritingStore store({h.clock, h.defaults(), h.reminders, h.focus, nullptr, nullptr, &record});
    store.setWritesInBackground(true);
    WritingView view(store);
    view.resize(952, 780);
    view.show();

    store.startSession();
    store.saveEntry(testing::writing(u"Morning pages, 日本"_s));
    ASSERT_TRUE(testing::waitUntil([&] { return view.wordCountLabel()->text() == u"4 words"_s; }));
    EXPECT_EQ(view.dailyLabel()->text(), u"Daily"_s);
    h.clock.set(localTime(2026, 12, 7, 8, 15));
    store.tick();
    ASSERT_FALSE(store.isSessionActive() || delivery.shown.isEmpty());
    EXPECT_EQ(delivery.shown.last().body, u"Session complete. 3 days in a row."_s);
    ASSERT_TRUE(testing::waitUntil([&] { return view.dailyLabel()->text() == u"Daily ✓"_s; }));

    ProgressView progress(record, h.clock, [](QDate) { return false; });
    progress.show();
    EXPECT_EQ(progress.summary(), u"Current streak 3 days, longest streak 3 days, 4 words, 3 "
                                  u"completed sessions"_s);
    ProgressCalendar& calendar = *progress.calendar();
    const QDate today(2026, 12, 7);
    EXPECT_EQ(calendar.focusedDay(), today);
    EXPECT_EQ(calendar.describe(today), u"Monday, December 7, 2026: 4 words, session completed"_s);
    const QImage shot = calendar.grab().toImage();
    const QColor completed = calendar.palette().color(QPalette::Highlight);
    for (const int back : {0, 2, 3}) // today and the two days before it
        EXPECT_EQ(shot.pixelColor(calendar.dayRect(today.addDays(-back)).center()) == completed,
                  back < 3)
            << back;
    QApplication::setActiveWindow(&progress);
    calendar.setFocus();
    ASSERT_TRUE(calendar.hasFocus());
    QTest::keyClick(&calendar, Qt::Key_Left);
    EXPECT_EQ(calendar.focusedDay(), today.addDays(-7));
    QAccessibleInterface* days = QAccessible::queryAccessibleInterface(&calendar);
    ASSERT_TRUE(days && days->focusChild());
    EXPECT_EQ(days->childCount(), calendar.firstDay().daysTo(today) + 1);
    EXPECT_EQ(days->focusChild()->text(QAccessible::Name), calendar.describe(today.addDays(-7)));
}

// A count the writer made for the document left behind never shows for the
// one opened in its place.
TEST(LiveWordCount, FollowsTheOpenDocument) {
    testing::StoreHarness h;
    WritingStore& store = h.startIdle();
    store.setWritesInBackground(true);
    store.saveEntry(testing::writing(u"one two three four five"_s));
    ASSERT_TRUE(
        store.openDocument(testing::libraryDocument(u"Other"_s, testing::writing(u"one"_s))));
    QCoreApplication::processEvents();
    EXPECT_EQ(store.wordCount(), 1);
    store.saveEntry(testing::writing(u"one, two"_s));
    ASSERT_TRUE(testing::waitUntil([&] { return store.wordCount() == 2; }));
}

} // namespace
} // namespace inkwarden
