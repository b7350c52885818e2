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

const QString kOtherApplication = QStringLiteral("org.example.Browser");

// Runs what the service queued "after the current work".
void runQueuedWork() {
    QCoreApplication::sendPostedEvents();
}

QString raise(WindowSystem::WindowId id) {
    return QStringLiteral("raise %1").arg(id);
}

QString toggle(WindowSystem::WindowId id) {
    return QStringLiteral("toggle %1").arg(id);
}

class FocusServiceTest : public ::testing::Test {
protected:
    FakeWindowSystem windows;
    FakeMusicPlayers music;
    FocusService service{windows, music};
};

TEST_F(FocusServiceTest, StartsNotWatching) {
    EXPECT_FALSE(service.isWatching());
    EXPECT_EQ(windows.activationReceivers(), 0);
}

TEST_F(FocusServiceTest, OpensAClosedWriterThenShowsItFullScreenAfterTheQueuedCall) {
    int opened = 0;
    WindowSystem::WindowId writer = 0;
    service.setOpenWriter([&] {
        ++opened;
        writer = windows.addWindow(QStringLiteral("Inkwarden")).id;
    });

    service.begin();
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(windows.requests.isEmpty()); // nothing shown before begin() returns

    runQueuedWork();
    EXPECT_EQ(windows.requests,
              (QStringList{QStringLiteral("activate"), raise(writer), toggle(writer)}));
    EXPECT_TRUE(windows.windowList.constFirst().isFullScreen);
}

TEST_F(FocusServiceTest, AnOpenWriterIsNotOpenedAgain) {
    const auto writer = windows.addWindow(QStringLiteral("Inkwarden")).id;
    int opened = 0;
    service.setOpenWriter([&] { ++opened; });
    service.begin();
    runQueuedWork();
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(windows.requests,
              (QStringList{QStringLiteral("activate"), raise(writer), toggle(writer)}));
}

TEST_F(FocusServiceTest, AFullScreenWriterIsRaisedButNotToggled) {
    const auto writer = windows.addWindow(QStringLiteral("Inkwarden"), true, true).id;
    service.begin();
    runQueuedWork();
    EXPECT_EQ(windows.requests, (QStringList{QStringLiteral("activate"), raise(writer)}));
    EXPECT_TRUE(windows.windowList.constFirst().isFullScreen);
}

TEST_F(FocusServiceTest, AHiddenWriterDoesNotCountButTheSearchGoesOn) {
    const auto hidden = windows.addWindow(QStringLiteral("Inkwarden"), false).id;
    windows.addWindow(QStringLiteral("Library"));
    windows.addWindow(QStringLiteral("Inkwarden"));
    int opened = 0;
    service.setOpenWriter([&] { ++opened; });
    service.begin();
    EXPECT_EQ(opened, 0);

    // The first writer that can take the focus is the one brought forward.
    runQueuedWork();
    EXPECT_EQ(windows.requests,
              (QStringList{QStringLiteral("activate"), raise(hidden), toggle(hidden)}));
}

TEST_F(FocusServiceTest, OnlyAHiddenWriterOpensTheWriter) {
    windows.addWindow(QStringLiteral("Inkwarden"), false);
    int opened = 0;
    service.setOpenWriter([&] { ++opened; });
    service.begin();
    EXPECT_EQ(opened, 1);
}

TEST_F(FocusServiceTest, TheWriterMustBeAbleToTakeTheFocus) {
    windows.addWindow(QStringLiteral("Inkwarden")).canBecomeKey = false;
    const auto other = windows.addWindow(QStringLiteral("Other")).id;
    const auto writer = windows.addWindow(QStringLiteral("Inkwarden")).id;
    service.begin();
    runQueuedWork();
    EXPECT_EQ(windows.requests,
              (QStringList{QStringLiteral("activate"), raise(writer), toggle(writer)}));
    EXPECT_FALSE(windows.requests.contains(raise(other)));
}

TEST_F(FocusServiceTest, TheLatestOpenWriterReplacesTheEarlierOne) {
    QStringList calls;
    service.setOpenWriter([&] { calls.append(QStringLiteral("first")); });
    service.setOpenWriter([&] { calls.append(QStringLiteral("second")); });
    service.begin();
    EXPECT_EQ(calls, QStringList{QStringLiteral("second")});
}

TEST_F(FocusServiceTest, NoWriterAndNoOpenWriterLeavesTheWindowsAlone) {
    windows.addWindow(QStringLiteral("Library"));
    music.names = {QStringLiteral("org.mpris.MediaPlayer2.vlc")};
    music.statuses[QStringLiteral("org.mpris.MediaPlayer2.vlc")] = QStringLiteral("Playing");
    service.begin();
    runQueuedWork();
    EXPECT_TRUE(windows.requests.isEmpty());
    EXPECT_TRUE(service.isWatching());
    EXPECT_EQ(music.pauses(), QStringList{QStringLiteral("pause org.mpris.MediaPlayer2.vlc")});

    windows.activate(kOtherApplication);
    runQueuedWork();
    EXPECT_TRUE(windows.requests.isEmpty());
}

TEST_F(FocusServiceTest, BeginTwiceKeepsOneRegistrationAndPausesTwice) {
    const auto writer = windows.addWindow(QStringLiteral("Inkwarden")).id;
    music.names = {QStringLiteral("org.mpris.MediaPlayer2.spotify")};
    music.statuses[QStringLiteral("org.mpris.MediaPlayer2.spotify")] = QStringLiteral("Playing");

    service.begin();
    service.begin();
    EXPECT_TRUE(service.isWatching());
    EXPECT_EQ(windows.activationReceivers(), 1);
    EXPECT_EQ(music.pauses().size(), 2);

    runQueuedWork();
    EXPECT_EQ(windows.requests.count(raise(writer)), 2);
    EXPECT_EQ(windows.requests.count(toggle(writer)), 1); // the second found it full screen

    windows.requests.clear();
    windows.activate(kOtherApplication);
    runQueuedWork();
    EXPECT_EQ(windows.requests.count(raise(writer)), 1); // one registration, one answer
}

TEST_F(FocusServiceTest, AnotherApplicationInFrontBringsTheWriterBackQueued) {
    const auto writer = windows.addWindow(QStringLiteral("Inkwarden"), true, true).id;
    service.begin();
    runQueuedWork();
    windows.requests.clear();

    windows.activate(kOtherApplication);
    EXPECT_TRUE(windows.requests.isEmpty());
    runQueuedWork();
    EXPECT_EQ(windows.requests, (QStringList{QStringLiteral("activate"), raise(writer)}));
}

TEST_F(FocusServiceTest, AnApplicationWithoutAnIdCountsAsAnotherOne) {
    const auto writer = windows.addWindow(QStringLiteral("Inkwarden")).id;
    service.begin();
    runQueuedWork();
    windows.requests.clear();

    windows.activate(QString());
    runQueuedWork();
    EXPECT_EQ(windows.requests, (QStringList{QStringLiteral("activate"), raise(writer)}));
}

TEST_F(FocusServiceTest, OurOwnApplicationBecomingActiveDoesNothing) {
    windows.addWindow(QStringLiteral("Inkwarden"));
    service.begin();
    runQueuedWork();
    windows.requests.clear();

    windows.activate(QStringLiteral("inkwarden"));
    runQueuedWork();
    EXPECT_TRUE(windows.requests.isEmpty());
}

TEST(FocusService, TwoMissingIdsCountAsTheSame) {
    FakeWindowSystem windows;
    FakeMusicPlayers music;
    FocusService service(windows, music, QString());
    windows.addWindow(QStringLiteral("Inkwarden"));
    service.begin();
    runQueuedWork();
    windows.requests.clear();

    windows.activate(QStringLiteral(""));
    runQueuedWork();
    EXPECT_TRUE(windows.requests.isEmpty());
    windows.activate(kOtherApplication);
    runQueuedWork();
    EXPECT_FALSE(windows.requests.isEmpty());
}

TEST_F(FocusServiceTest, AfterEndAnActivationDoesNothing) {
    windows.addWindow(QStringLiteral("Inkwarden"));
    service.begin();
    runQueuedWork();
    service.end();
    EXPECT_FALSE(service.isWatching());
    EXPECT_EQ(windows.activationReceivers(), 0);
    windows.requests.clear();

    windows.activate(kOtherApplication);
    runQueuedWork();
    EXPECT_TRUE(windows.requests.isEmpty());
}

TEST_F(FocusServiceTest, EndWithoutBeginAndEndTwiceDoNothing) {
    service.end();
    service.begin();
    service.end();
    service.end();
    EXPECT_FALSE(service.isWatching());
    service.begin();
    EXPECT_EQ(windows.activationReceivers(), 1);
}

TEST_F(FocusServiceTest, AnActivationBeforeBeginDoesNothing) {
    windows.addWindow(QStringLiteral("Inkwarden"));
    windows.activate(kOtherApplication);
    runQueuedWork();
    EXPECT_TRUE(windows.requests.isEmpty());
}

TEST(FocusService, NothingQueuedRunsOnceTheServiceIsGone) {
    FakeWindowSystem windows;
    FakeMusicPlayers music;
    windows.addWindow(QStringLiteral("Inkwarden"));
    auto service = std::make_unique<FocusService>(windows, music);
    service->begin();
    windows.activate(kOtherApplication);
    service.reset();
    runQueuedWork();
    EXPECT_TRUE(windows.requests.isEmpty());
    EXPECT_EQ(windows.activationReceivers(), 0);
}

TEST_F(FocusServiceTest, PausesOnlyPlayingMprisPlayersInBusNameOrder) {
    music.names = {
        QStringLiteral("org.freedesktop.DBus"),
        QStringLiteral("org.mpris.MediaPlayer2.vlc"),
        QStringLiteral("org.mpris.MediaPlayer2.spotify"),
        QStringLiteral("org.mpris.MediaPlayer2.rhythmbox"),
        QStringLiteral("org.mpris.MediaPlayer2.firefox.instance_1_42"),
        QStringLiteral("org.mpris.MediaPlayer2.mpv"),
        QStringLiteral("org.mpris.MediaPlayer2"),
        QStringLiteral("org.mpris.MediaPlayer2Impostor"),
        QStringLiteral(":1.42"),
    };
    music.statuses = {
        {QStringLiteral("org.mpris.MediaPlayer2.vlc"), QStringLiteral("Playing")},
        {QStringLiteral("org.mpris.MediaPlayer2.spotify"), QStringLiteral("Paused")},
        {QStringLiteral("org.mpris.MediaPlayer2.rhythmbox"), QStringLiteral("Playing")},
        {QStringLiteral("org.mpris.MediaPlayer2.firefox.instance_1_42"), QStringLiteral("Stopped")},
        {QStringLiteral("org.mpris.MediaPlayer2.mpv"), QStringLiteral("playing")},
        {QStringLiteral("org.mpris.MediaPlayer2Impostor"), QStringLiteral("Playing")},
    };
    service.begin();
    EXPECT_EQ(music.requests,
              (QStringList{
                  QStringLiteral("list"),
                  QStringLiteral("status org.mpris.MediaPlayer2.firefox.instance_1_42"),
                  QStringLiteral("status org.mpris.MediaPlayer2.mpv"),
                  QStringLiteral("status org.mpris.MediaPlayer2.rhythmbox"),
                  QStringLiteral("status org.mpris.MediaPlayer2.spotify"),
                  QStringLiteral("status org.mpris.MediaPlayer2.vlc"),
                  QStringLiteral("pause org.mpris.MediaPlayer2.rhythmbox"),
                  QStringLiteral("pause org.mpris.MediaPlayer2.vlc"),
              }));
}

TEST_F(FocusServiceTest, NoPlayersNoPause) {
    music.names = {QStringLiteral("org.freedesktop.DBus")};
    service.begin();
    EXPECT_EQ(music.requests, QStringList{QStringLiteral("list")});
}

TEST_F(FocusServiceTest, PausesWaitForEveryStatusAndGoOneAfterAnother) {
    music.answerLater = true;
    music.names = {QStringLiteral("org.mpris.MediaPlayer2.b"),
                   QStringLiteral("org.mpris.MediaPlayer2.a"),
                   QStringLiteral("org.mpris.MediaPlayer2.c")};
    music.statuses = {{QStringLiteral("org.mpris.MediaPlayer2.a"), QStringLiteral("Playing")},
                      {QStringLiteral("org.mpris.MediaPlayer2.c"), QStringLiteral("Playing")}};
    service.begin();
    music.answerNext(); // the names
    ASSERT_EQ(music.pendingAnswers(), 3);
    music.answerNext(); // a: Playing
    music.answerNext(); // b: fails
    EXPECT_TRUE(music.pauses().isEmpty());
    music.answerNext(); // c: Playing
    EXPECT_EQ(music.pauses(), QStringList{QStringLiteral("pause org.mpris.MediaPlayer2.a")});
    music.answerNext(); // a's pause answered, failed or not
    EXPECT_EQ(music.pauses(), (QStringList{QStringLiteral("pause org.mpris.MediaPlayer2.a"),
                                           QStringLiteral("pause org.mpris.MediaPlayer2.c")}));
    music.answerAll();
    EXPECT_EQ(music.pauses().size(), 2);
}

TEST(FocusService, MusicAnswersAfterTheServiceIsGoneAreDropped) {
    FakeWindowSystem windows;
    FakeMusicPlayers music;
    music.answerLater = true;
    music.names = {QStringLiteral("org.mpris.MediaPlayer2.vlc")};
    music.statuses = {{QStringLiteral("org.mpris.MediaPlayer2.vlc"), QStringLiteral("Playing")}};
    auto service = std::make_unique<FocusService>(windows, music);
    service->begin();
    music.answerNext(); // the names: the status question goes out
    service.reset();
    music.answerAll();
    EXPECT_TRUE(music.pauses().isEmpty());
}

} // namespace
} // namespace inkwarden
