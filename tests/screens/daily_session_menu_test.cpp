#include "screens/daily_session_menu.h"
#include "store/settings_keys.h"
#include "store/store_harness.h"

#include <QHBoxLayout>
#include <QTest>
#include <gtest/gtest.h>

namespace inkwarden {
namespace {

// The control at the right end of a window, in a United States English
// locale, over an idle store whose daily time is the default 9:00.
class DailySessionMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        h.clock.set(testing::localTime(2026, 12, 7, 11, 0));
        h.defaults().setString(keys::kLastScheduledDay, QStringLiteral("2026-12-07"));
        h.start();
        window.resize(400, 60);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        auto* row = new QHBoxLayout(&window);
        row->addStretch();
        row->addWidget(control = new DailySessionMenu(*h.store, &window));
        window.show();
    }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
    QTimeEdit& press() {
        QTest::mouseClick(control, Qt::LeftButton);
        EXPECT_TRUE(control->menu() && control->menu()->isVisible());
        return *control->timeEditor();
    }

    testing::StoreHarness h;
    QWidget window;
    DailySessionMenu* control = nullptr;
};

TEST_F(DailySessionMenuTest, EditsAssignHourThenMinuteAndTheTitleFollows) {
    EXPECT_EQ(control->text(), QStringLiteral("9:00 AM"));
    QTimeEdit& editor = press();
    EXPECT_EQ(control->menu()->title(), QStringLiteral("Daily session"));
    EXPECT_EQ(editor.time(), QTime(9, 0));
    EXPECT_TRUE(editor.hasFocus());
    // "12:45 PM" needs more than the usual 72 points; the area keeps its margins.
    EXPECT_EQ(editor.geometry().topLeft(), QPoint(10, 5));
    EXPECT_GE(editor.width(), qMax(72, editor.sizeHint().width()));
    EXPECT_EQ(editor.parentWidget()->size(), QSize(editor.width() + 32, 36));

    const struct {
        QTime picked;
        QStringList calls; // the hour lands first, with the old minute
    } edits[] = {
        {QTime(21, 30), {QStringLiteral("configure 21:0"), QStringLiteral("configure 21:30")}},
        {QTime(21, 45), {QStringLiteral("configure 21:30"), QStringLiteral("configure 21:45")}}};
    for (const auto& edit : edits) {
        h.log.calls.clear();
        editor.setTime(edit.picked);
        EXPECT_EQ(h.log.calls, edit.calls);
    }
    EXPECT_EQ(h.defaults().integer(keys::kScheduleHour), 21);
    EXPECT_EQ(h.defaults().integer(keys::kScheduleMinute), 45);
    QCoreApplication::processEvents();
    EXPECT_EQ(control->text(), QStringLiteral("9:45 PM"));
    window.layout()->activate();
    EXPECT_EQ(control->size(), control->sizeHint());

    QMenu* first = control->menu();
    first->close();
    EXPECT_EQ(press().time(), QTime(21, 45)) << "a fresh menu at the store's time";
    EXPECT_NE(control->menu(), first);
}

TEST_F(DailySessionMenuTest, MenuOpensUnderTheButtonInsideTheWindowMargins) {
    const struct {
        int anchor, window, menu, left;
    } cases[] = {
        {100, 800, 104, 100}, // under the button's left edge
        {750, 800, 104, 684}, // pushed left to stay 12 inside the right edge
        {50, 100, 104, 12},   // too narrow for both margins: the left one wins
    };
    for (const auto& c : cases)
        EXPECT_EQ(DailySessionMenu::menuLeft(c.anchor, c.window, c.menu), c.left) << c.anchor;

    const QRect shown = press().window()->geometry();
    EXPECT_EQ(shown.right() + 1, window.mapToGlobal(QPoint(window.width() - 12, 0)).x());
    EXPECT_EQ(shown.top(), control->mapToGlobal(QPoint(0, 24)).y());
}

} // namespace
} // namespace inkwarden
