#include "services/focus_service.h"
#include "services/linux/qt_window_system.h"
#include "services/music_players.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>
#include <memory>

// What the offscreen platform lets us check: the window list, requests and
// the states they leave, and activation among our own windows. What it
// cannot show: another application taking the front (nothing else runs
// there), and a window manager refusing to hand focus back.

namespace inkwarden {
namespace {

using Window = WindowSystem::Window;

Window windowOf(const QWidget& widget, bool isVisible, bool canBecomeKey, bool isFullScreen) {
    return {QtWindowSystem::idOf(&widget), widget.windowTitle(), isVisible, canBecomeKey,
            isFullScreen};
}

std::unique_ptr<QWidget> makeWindow(const QString& title, Qt::WindowFlags flags = {}) {
    auto widget = std::make_unique<QWidget>(nullptr, flags);
    widget->setWindowTitle(title);
    widget->resize(320, 200);
    return widget;
}

bool waitUntilActive(QWidget& widget) {
    return QTest::qWaitFor([&] { return QApplication::activeWindow() == &widget; }, 5000);
}

TEST(QtWindowSystem, ListsTheTopLevelWindowsInTheOrderTheyWereCreated) {
    QtWindowSystem system;
    auto writer = makeWindow(QStringLiteral("Inkwarden"));
    auto library = makeWindow(QStringLiteral("Library"));
    auto neverShown = makeWindow(QStringLiteral("Never shown"));
    auto child = new QWidget(writer.get()); // owned by the writer; not a window
    child->setWindowTitle(QStringLiteral("Child"));
    library->show();
    writer->show();
    library->hide();

    EXPECT_EQ(system.windows(), (QList<Window>{windowOf(*library, false, true, false),
                                               windowOf(*writer, true, true, false),
                                               windowOf(*neverShown, false, true, false)}));
}

TEST(QtWindowSystem, LeavesOutPopupsAndToolTips) {
    QtWindowSystem system;
    auto writer = makeWindow(QStringLiteral("Inkwarden"));
    writer->show();
    QMenu menu(writer.get());
    menu.addAction(QStringLiteral("Bold"));
    menu.popup(QPoint(10, 10));
    QLabel tip(QStringLiteral("Inkwarden"), nullptr, Qt::ToolTip);
    tip.show();
    ASSERT_TRUE(menu.isVisible());
    ASSERT_TRUE(tip.isVisible());

    EXPECT_EQ(system.windows(), QList<Window>{windowOf(*writer, true, true, false)});
    system.raiseAndFocus(QtWindowSystem::idOf(&tip));
    system.toggleFullScreen(QtWindowSystem::idOf(&tip));
    EXPECT_FALSE(tip.isFullScreen());
}

TEST(QtWindowSystem, OnlyEnabledNormalWindowsCanBecomeKey) {
    QtWindowSystem system;
    auto normal = makeWindow(QStringLiteral("normal"));
    auto dialog = makeWindow(QStringLiteral("dialog"), Qt::Dialog);
    auto disabled = makeWindow(QStringLiteral("disabled"));
    disabled->setEnabled(false);
    auto tool = makeWindow(QStringLiteral("tool"), Qt::Tool);
    auto splash = makeWindow(QStringLiteral("splash"), Qt::SplashScreen);
    auto noFocus = makeWindow(QStringLiteral("no focus"), Qt::WindowDoesNotAcceptFocus);

    QMap<QString, bool> canBecomeKey;
    const QList<Window> windows = system.windows();
    for (const Window& window : windows)
        canBecomeKey[window.title] = window.canBecomeKey;
    EXPECT_EQ(canBecomeKey, (QMap<QString, bool>{{QStringLiteral("normal"), true},
                                                 {QStringLiteral("dialog"), true},
                                                 {QStringLiteral("disabled"), false},
                                                 {QStringLiteral("tool"), false},
                                                 {QStringLiteral("splash"), false},
                                                 {QStringLiteral("no focus"), false}}));
}

TEST(QtWindowSystem, RaiseAndFocusShowsAHiddenWindowAndActivatesIt) {
    QtWindowSystem system;
    auto writer = makeWindow(QStringLiteral("Inkwarden"));
    auto other = makeWindow(QStringLiteral("Other"));
    other->show();
    ASSERT_TRUE(waitUntilActive(*other));

    system.raiseAndFocus(QtWindowSystem::idOf(writer.get()));
    EXPECT_TRUE(writer->isVisible());
    EXPECT_TRUE(waitUntilActive(*writer));
}

TEST(QtWindowSystem, RaiseAndFocusActivatesAVisibleWindowBehindAnother) {
    QtWindowSystem system;
    auto writer = makeWindow(QStringLiteral("Inkwarden"));
    writer->show();
    auto other = makeWindow(QStringLiteral("Other"));
    other->show();
    other->activateWindow();
    ASSERT_TRUE(waitUntilActive(*other));

    system.raiseAndFocus(QtWindowSystem::idOf(writer.get()));
    EXPECT_TRUE(waitUntilActive(*writer));
    EXPECT_TRUE(other->isVisible());
}

TEST(QtWindowSystem, RaiseAndFocusRestoresAMinimisedWindowKeepingFullScreen) {
    QtWindowSystem system;
    auto writer = makeWindow(QStringLiteral("Inkwarden"));
    writer->showFullScreen();
    writer->showMinimized();
    ASSERT_TRUE(writer->isMinimized());

    system.raiseAndFocus(QtWindowSystem::idOf(writer.get()));
    EXPECT_FALSE(writer->isMinimized());
    EXPECT_TRUE(writer->isFullScreen());
    EXPECT_TRUE(writer->isVisible());
}

TEST(QtWindowSystem, ToggleFullScreenGoesInAndOut) {
    QtWindowSystem system;
    auto writer = makeWindow(QStringLiteral("Inkwarden"));
    writer->show();
    const auto id = QtWindowSystem::idOf(writer.get());

    system.toggleFullScreen(id);
    EXPECT_TRUE(writer->isFullScreen());
    EXPECT_EQ(system.windows(), QList<Window>{windowOf(*writer, true, true, true)});
    system.toggleFullScreen(id);
    EXPECT_FALSE(writer->isFullScreen());
    EXPECT_EQ(system.windows(), QList<Window>{windowOf(*writer, true, true, false)});
}

TEST(QtWindowSystem, TheIdOfADestroyedWindowFindsNothing) {
    QtWindowSystem system;
    auto writer = makeWindow(QStringLiteral("Inkwarden"));
    const auto id = QtWindowSystem::idOf(writer.get());
    writer.reset();
    EXPECT_TRUE(system.windows().isEmpty());
    system.raiseAndFocus(id);
    system.toggleFullScreen(id);
    system.activateApplication();
    EXPECT_TRUE(system.windows().isEmpty());
}

// Runs only when this test has the process to itself (as under CTest): the
// application turns active once, when its first window is shown.
TEST(QtWindowSystem, BecomingActiveReportsOurOwnApplication) {
    if (QGuiApplication::applicationState() == Qt::ApplicationActive)
        GTEST_SKIP() << "the application was already active";
    QtWindowSystem system(QStringLiteral("inkwarden-test"));
    QSignalSpy activated(&system, &WindowSystem::applicationActivated);
    auto writer = makeWindow(QStringLiteral("Inkwarden"));
    writer->show();
    ASSERT_TRUE(activated.wait(5000));
    EXPECT_EQ(QGuiApplication::applicationState(), Qt::ApplicationActive);
    EXPECT_EQ(activated.constFirst().constFirst().toString(), QStringLiteral("inkwarden-test"));
}

// The offscreen platform never makes the application inactive, so the state
// change is sent as Qt would send it: this checks the mapping alone.
TEST(QtWindowSystem, BecomingInactiveReportsAnotherApplicationWithoutAnId) {
    QtWindowSystem system;
    QSignalSpy activated(&system, &WindowSystem::applicationActivated);
    Q_EMIT qGuiApp->applicationStateChanged(Qt::ApplicationInactive);
    Q_EMIT qGuiApp->applicationStateChanged(Qt::ApplicationHidden);
    Q_EMIT qGuiApp->applicationStateChanged(Qt::ApplicationSuspended);
    Q_EMIT qGuiApp->applicationStateChanged(Qt::ApplicationActive);
    ASSERT_EQ(activated.count(), 2);
    EXPECT_EQ(activated.at(0).constFirst().toString(), QString());
    EXPECT_TRUE(activated.at(0).constFirst().toString().isEmpty());
    EXPECT_EQ(activated.at(1).constFirst().toString(), QStringLiteral("inkwarden"));
}

class NoMusic final : public MusicPlayers {
public:
    void listNames(NamesAnswer answer) override { answer({}); }
    void playbackStatus(const QString&, StatusAnswer answer) override { answer({}); }
    void pause(const QString&, Done done) override { done(); }
};

TEST(QtWindowSystem, TheFocusServiceBringsTheWriterBackFullScreen) {
    QtWindowSystem system;
    NoMusic music;
    FocusService focus(system, music);
    std::unique_ptr<QWidget> writer;
    focus.setOpenWriter([&] {
        writer = makeWindow(QStringLiteral("Inkwarden"));
        writer->show();
    });
    auto other = makeWindow(QStringLiteral("Other"));
    other->show();

    focus.begin();
    ASSERT_TRUE(writer);
    EXPECT_FALSE(writer->isFullScreen());
    EXPECT_TRUE(QTest::qWaitFor([&] { return writer->isFullScreen(); }, 5000));
    EXPECT_TRUE(waitUntilActive(*writer));

    writer->showMinimized();
    other->activateWindow();
    ASSERT_TRUE(waitUntilActive(*other));
    Q_EMIT qGuiApp->applicationStateChanged(Qt::ApplicationInactive);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !writer->isMinimized(); }, 5000));
    EXPECT_TRUE(writer->isFullScreen());
    EXPECT_TRUE(waitUntilActive(*writer));

    focus.end();
    writer->showNormal();
    Q_EMIT qGuiApp->applicationStateChanged(Qt::ApplicationInactive);
    QCoreApplication::sendPostedEvents();
    EXPECT_FALSE(writer->isFullScreen());
}

} // namespace
} // namespace inkwarden
