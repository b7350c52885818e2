#include "services/linux/qt_window_system.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>
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

// In the order they were first shown, those never shown last; child widgets,
// popups and tool tips are left out, and only enabled normal windows can take
// the keyboard focus.
TEST(QtWindowSystem, ListsTheTopLevelWindows) {
    QtWindowSystem system;
    auto library = makeWindow(QStringLiteral("Library"));
    auto writer = makeWindow(QStringLiteral("Inkwarden"));
    auto neverShown = makeWindow(QStringLiteral("Never shown"));
    new QWidget(writer.get()); // owned by the writer; not a window
    auto dialog = makeWindow(QStringLiteral("dialog"), Qt::Dialog);
    auto disabled = makeWindow(QStringLiteral("disabled"));
    disabled->setEnabled(false);
    auto tool = makeWindow(QStringLiteral("tool"), Qt::Tool);
    auto noFocus = makeWindow(QStringLiteral("no focus"), Qt::WindowDoesNotAcceptFocus);
    library->show();
    writer->showFullScreen();
    library->hide();
    for (QWidget* shown : {dialog.get(), disabled.get(), tool.get(), noFocus.get()})
        shown->show();
    QMenu menu(writer.get());
    menu.addAction(QStringLiteral("Bold"));
    menu.popup(QPoint(10, 10));
    QLabel tip(QStringLiteral("Inkwarden"), nullptr, Qt::ToolTip);
    tip.show();
    ASSERT_TRUE(menu.isVisible() && tip.isVisible());

    EXPECT_EQ(system.windows(),
              (QList<Window>{
                  windowOf(*library, false, true, false), windowOf(*writer, true, true, true),
                  windowOf(*dialog, true, true, false), windowOf(*disabled, true, false, false),
                  windowOf(*tool, true, false, false), windowOf(*noFocus, true, false, false),
                  windowOf(*neverShown, false, true, false)}));
    system.toggleFullScreen(QtWindowSystem::idOf(&tip)); // not ours to change
    EXPECT_FALSE(tip.isFullScreen());
}

TEST(QtWindowSystem, ToggleFullScreenGoesInAndOutUntilTheWindowIsGone) {
    QtWindowSystem system;
    auto writer = makeWindow(QStringLiteral("Inkwarden"));
    writer->show();
    const auto id = QtWindowSystem::idOf(writer.get());
    system.toggleFullScreen(id);
    EXPECT_EQ(system.windows(), QList<Window>{windowOf(*writer, true, true, true)});
    system.toggleFullScreen(id);
    EXPECT_EQ(system.windows(), QList<Window>{windowOf(*writer, true, true, false)});

    writer.reset(); // the id of a destroyed window finds nothing
    system.raiseAndFocus(id);
    system.toggleFullScreen(id);
    EXPECT_TRUE(system.windows().isEmpty());
}

// A hidden window is shown, a minimised one restored in the state it had,
// and either is activated ahead of the window in front.
TEST(QtWindowSystem, RaiseAndFocusBringsTheWindowToTheFront) {
    QtWindowSystem system;
    const QList<std::tuple<const char*, std::function<void(QWidget&)>, bool>> rows = {
        {"hidden", [](QWidget&) {}, false},
        {"behind another", [](QWidget& window) { window.show(); }, false},
        {"minimised full screen",
         [](QWidget& window) {
             window.showFullScreen();
             window.showMinimized();
         },
         true},
    };
    for (const auto& [what, setUp, fullScreen] : rows) {
        SCOPED_TRACE(what);
        auto writer = makeWindow(QStringLiteral("Inkwarden"));
        setUp(*writer);
        auto other = makeWindow(QStringLiteral("Other"));
        other->show();
        other->activateWindow();
        ASSERT_TRUE(waitUntilActive(*other));

        system.raiseAndFocus(QtWindowSystem::idOf(writer.get()));
        EXPECT_TRUE(writer->isVisible());
        EXPECT_FALSE(writer->isMinimized());
        EXPECT_EQ(writer->isFullScreen(), fullScreen);
        EXPECT_TRUE(waitUntilActive(*writer));
    }
}

// The offscreen platform never makes the application inactive, so the state
// changes are sent as Qt would send them.
TEST(QtWindowSystem, ApplicationStatesReportWhoCameToTheFront) {
    QtWindowSystem system(QStringLiteral("inkwarden-test"));
    QSignalSpy activated(&system, &WindowSystem::applicationActivated);
    for (const Qt::ApplicationState state : {Qt::ApplicationInactive, Qt::ApplicationHidden,
                                             Qt::ApplicationSuspended, Qt::ApplicationActive})
        Q_EMIT qGuiApp->applicationStateChanged(state);
    ASSERT_EQ(activated.count(), 2);
    EXPECT_TRUE(activated.at(0).constFirst().toString().isEmpty());
    EXPECT_EQ(activated.at(1).constFirst().toString(), QStringLiteral("inkwarden-test"));
}

} // namespace
} // namespace inkwarden
