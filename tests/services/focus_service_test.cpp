#include "fakes/fake_music_players.h"
#include "fakes/fake_window_system.h"
#include "services/focus_service.h"

#include <QCoreApplication>
#include <gtest/gtest.h>
#include <memory>

namespace inkwarden {
namespace {

using testing::FakeMusicPlayers;
using testing::FakeWindowSystem;
using Window = WindowSystem::Window;

const QString kWriter = QStringLiteral("Inkwarden");
const QString kOtherApplication = QStringLiteral("org.example.Browser");
const QString kVlc = QStringLiteral("org.mpris.MediaPlayer2.vlc");
const QString kPlaying = QStringLiteral("Playing");

// Runs what the service queued "after the current work".
void runQueuedWork() {
    QCoreApplication::sendPostedEvents();
}

// The requests that bring window `id` to the front, switching it to full screen or not.
QStringList broughtForward(WindowSystem::WindowId id, bool toggled = true) {
    QStringList requests{QStringLiteral("activate"), QStringLiteral("raise %1").arg(id)};
    if (toggled)
        requests.append(QStringLiteral("toggle %1").arg(id));
    return requests;
}

class FocusServiceTest : public ::testing::Test {
protected:
    // A session under way with the writer (id 1) in front, full screen.
    void beginWithWriterInFront() {
        windows.windowList = {{1, kWriter, true, true, true}};
        service.begin();
        runQueuedWork();
        windows.requests.clear();
    }

    FakeWindowSystem windows;
    FakeMusicPlayers music;
    FocusService service{windows, music};
};

TEST_F(FocusServiceTest, OpensAClosedWriterThenShowsItFullScreenAfterTheQueuedCall) {
    int opened = 0;
    service.setOpenWriter([&] {
        ++opened;
        windows.windowList.append({7, kWriter, true, true, false});
    });
    service.begin();
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(windows.requests.isEmpty()); // nothing shown before begin() returns
    runQueuedWork();
    EXPECT_EQ(windows.requests, broughtForward(7));
    EXPECT_TRUE(windows.windowList.constFirst().isFullScreen);
}

// A visible writer counts as open; the first writer that can take the focus,
// hidden or not, is the one brought forward.
TEST(FocusService, OpensAndBringsForwardTheRightWindow) {
    const auto window = [](WindowSystem::WindowId id, bool isVisible = true,
                           bool canBecomeKey = true, bool isFullScreen = false,
                           const QString& title = kWriter) {
        return Window{id, title, isVisible, canBecomeKey, isFullScreen};
    };
    const Window library = window(2, true, true, false, QStringLiteral("Library"));
    const QList<std::tuple<QList<Window>, int, QStringList>> rows = {
        {{window(1)}, 0, broughtForward(1)},
        {{window(1, true, true, true)}, 0, broughtForward(1, false)},
        {{window(1, false)}, 1, broughtForward(1)},
        {{window(1, false), library, window(3)}, 0, broughtForward(1)},
        {{window(1, true, false), library, window(3)}, 0, broughtForward(3)},
        {{library}, 1, {}},
    };
    int row = 0;
    for (const auto& [layout, opens, requests] : rows) {
        SCOPED_TRACE(::testing::Message() << "row " << row++);
        FakeWindowSystem windows;
        FakeMusicPlayers music;
        FocusService service(windows, music);
        windows.windowList = layout;
        int opened = 0;
        service.setOpenWriter([&] { ++opened; });
        service.begin();
        EXPECT_EQ(opened, opens);
        runQueuedWork();
        EXPECT_EQ(windows.requests, requests);
    }
}

TEST_F(FocusServiceTest, BeginTwiceKeepsOneRegistrationAndPausesTwice) {
    windows.windowList = {{1, kWriter, true, true, false}};
    music.names = {kVlc};
    music.statuses[kVlc] = kPlaying;
    service.begin();
    service.begin();
    EXPECT_EQ(windows.activationReceivers(), 1);
    EXPECT_EQ(music.pauses(), QStringList(2, QStringLiteral("pause ") + kVlc));
    runQueuedWork(); // the second call finds the writer full screen already
    EXPECT_EQ(windows.requests, broughtForward(1) + broughtForward(1, false));

    windows.requests.clear();
    windows.activate(kOtherApplication);
    runQueuedWork();
    EXPECT_EQ(windows.requests, broughtForward(1, false)); // one registration, one answer
}

// Another application, or one the window system cannot name, brings the
// writer back (queued); our own does not.
TEST_F(FocusServiceTest, AnotherApplicationInFrontBringsTheWriterBack) {
    beginWithWriterInFront();
    const QList<std::pair<QString, bool>> rows = {
        {kOtherApplication, true}, {QString(), true}, {QStringLiteral("inkwarden"), false}};
    for (const auto& [applicationId, bringsBack] : rows) {
        SCOPED_TRACE(applicationId.toStdString());
        windows.requests.clear();
        windows.activate(applicationId);
        EXPECT_TRUE(windows.requests.isEmpty());
        runQueuedWork();
        EXPECT_EQ(windows.requests, bringsBack ? broughtForward(1, false) : QStringList());
    }
}

TEST_F(FocusServiceTest, ActivationsOutsideASessionDoNothing) {
    windows.windowList = {{1, kWriter, true, true, true}};
    windows.activate(kOtherApplication);
    runQueuedWork();
    EXPECT_TRUE(windows.requests.isEmpty());

    beginWithWriterInFront();
    service.end();
    service.end();
    EXPECT_FALSE(service.isWatching());
    EXPECT_EQ(windows.activationReceivers(), 0);
    windows.activate(kOtherApplication);
    runQueuedWork();
    EXPECT_TRUE(windows.requests.isEmpty());

    service.begin();
    EXPECT_EQ(windows.activationReceivers(), 1);
}

TEST_F(FocusServiceTest, PausesOnlyPlayingMprisPlayersInBusNameOrder) {
    const auto player = [](const char* name) {
        return QStringLiteral("org.mpris.MediaPlayer2") + QLatin1String(name);
    };
    music.names = {QStringLiteral("org.freedesktop.DBus"),
                   player(""),
                   player("Fake"),
                   kVlc,
                   player(".spotify"),
                   player(".mpv"),
                   player(".amarok")};
    music.statuses = {{kVlc, kPlaying},
                      {player("Fake"), kPlaying},
                      {player(".spotify"), QStringLiteral("Paused")},
                      {player(".mpv"), QStringLiteral("playing")},
                      {player(".amarok"), kPlaying}};
    service.begin();
    const auto asked = [](const char* what, const QString& name) {
        return QLatin1String(what) + name;
    };
    EXPECT_EQ(music.requests,
              (QStringList{QStringLiteral("list"), asked("status ", player(".amarok")),
                           asked("status ", player(".mpv")), asked("status ", player(".spotify")),
                           asked("status ", kVlc), asked("pause ", player(".amarok")),
                           asked("pause ", kVlc)}));
}

TEST_F(FocusServiceTest, PausesWaitForEveryStatusAndGoOneAfterAnother) {
    const QString a = QStringLiteral("org.mpris.MediaPlayer2.a");
    const QString c = QStringLiteral("org.mpris.MediaPlayer2.c");
    music.answerLater = true;
    music.names = {QStringLiteral("org.mpris.MediaPlayer2.b"), a, c};
    music.statuses = {{a, kPlaying}, {c, kPlaying}}; // b fails to answer
    service.begin();
    music.answerNext(); // the names
    ASSERT_EQ(music.pendingAnswers(), 3);
    music.answerNext(); // a
    music.answerNext(); // b
    EXPECT_TRUE(music.pauses().isEmpty());
    music.answerNext(); // c
    EXPECT_EQ(music.pauses(), QStringList{QStringLiteral("pause ") + a});
    music.answerNext(); // a's pause answered, failed or not
    EXPECT_EQ(music.pauses(),
              (QStringList{QStringLiteral("pause ") + a, QStringLiteral("pause ") + c}));
}

TEST(FocusService, NothingRunsOnceTheServiceIsGone) {
    FakeWindowSystem windows;
    FakeMusicPlayers music;
    windows.windowList = {{1, kWriter, true, true, false}};
    music.answerLater = true;
    music.names = {kVlc};
    music.statuses = {{kVlc, kPlaying}};
    auto service = std::make_unique<FocusService>(windows, music);
    service->begin();
    music.answerNext(); // the names: the status question goes out
    windows.activate(kOtherApplication);
    service.reset();
    runQueuedWork();
    music.answerAll();
    EXPECT_TRUE(windows.requests.isEmpty());
    EXPECT_TRUE(music.pauses().isEmpty());
    EXPECT_EQ(windows.activationReceivers(), 0);
}

} // namespace
} // namespace inkwarden
