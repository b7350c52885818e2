#include "fakes/fake_music_players.h"
#include "services/focus_service.h"
#include "services/linux/qt_window_system.h"

#include <QApplication>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

namespace inkwarden {
namespace {

using namespace Qt::Literals::StringLiterals;

// The focus service on Qt's own windows, the library shown before the writer.
// Another application coming to the front is all Qt tells on X11 and Wayland
// (and offscreen never does); during a session the writer then comes back.
TEST(QtWindowSystem, AnotherApplicationInFrontBringsTheWriterBackDuringASession) {
    QtWindowSystem system;
    testing::FakeMusicPlayers music;
    FocusService focus(system, music);
    QWidget library, writer;
    writer.setObjectName(u"writer"_s);
    writer.setWindowTitle(u"Untitled — Inkwarden"_s);
    library.show();
    writer.show();
    // Returns whether the writer, minimised meanwhile, came back.
    const auto anotherApplicationInFront = [&] {
        writer.showMinimized();
        Q_EMIT qGuiApp->applicationStateChanged(Qt::ApplicationInactive);
        QCoreApplication::sendPostedEvents(); // what the service queued
        return !writer.isMinimized();
    };
    EXPECT_FALSE(anotherApplicationInFront()) << "no session yet";
    for (int session = 0; session < 2; ++session) {
        focus.begin();
        QCoreApplication::sendPostedEvents(); // the writer brought forward by begin() itself
        EXPECT_TRUE(anotherApplicationInFront() && writer.isFullScreen());
        EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &writer; }));
        focus.end();
        EXPECT_FALSE(writer.isFullScreen()) << "left as the session found it";
        EXPECT_FALSE(anotherApplicationInFront()) << "session over";
    }

    // Our windows in the order they were first shown; a popup is none of them.
    QMenu menu(&writer);
    menu.addAction(u"Bold"_s);
    menu.popup(QPoint(10, 10));
    ASSERT_TRUE(menu.isVisible());
    EXPECT_EQ(system.windows(), (QList<WindowSystem::Window>{
                                    {QtWindowSystem::idOf(&library), {}, true, true, false, {}},
                                    {QtWindowSystem::idOf(&writer), writer.windowTitle(), true,
                                     true, false, u"writer"_s}}));
    // Only the full-screen flag changes: a maximised window comes back maximised.
    library.showMaximized();
    for (int toggle = 0; toggle < 2; ++toggle)
        system.toggleFullScreen(QtWindowSystem::idOf(&library));
    EXPECT_TRUE(library.isMaximized() && !library.isFullScreen());
}

} // namespace
} // namespace inkwarden
