#include "fakes/fake_window_system.h"
#include "services/focus_service.h"
#include "services/linux/mpris_players.h"
#include "support/private_bus.h"
#include "support/wait.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <gtest/gtest.h>
#include <memory>

namespace inkwarden {
namespace {

const QString kPlayerPath = QStringLiteral("/org/mpris/MediaPlayer2");
constexpr int kShortTimeout = 300;

// What the players on the bus were asked, in the order they were asked.
struct PlayerLog {
    QStringList calls;
};

// An MPRIS player on the test's private bus, on a connection of its own.
class FakePlayer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
public:
    FakePlayer(testing::PrivateBus& bus, const QString& busName, const QString& status,
               PlayerLog& log)
        : m_busName(busName)
        , m_status(status)
        , m_log(log) {
        QDBusConnection connection = bus.connect(busName);
        connection.registerObject(kPlayerPath, this,
                                  QDBusConnection::ExportAllSlots |
                                      QDBusConnection::ExportAllProperties);
        m_isRegistered = connection.registerService(busName);
    }
    bool isRegistered() const { return m_isRegistered; }
    QString playbackStatus() const { return m_status; }

public Q_SLOTS:
    void Pause() {
        m_log.calls.append(QStringLiteral("pause ") + m_busName);
        m_status = QStringLiteral("Paused");
    }

private:
    QString m_busName;
    QString m_status;
    PlayerLog& m_log;
    bool m_isRegistered = false;
};

// A player that never answers: not at all, or only its status.
class HungPlayer : public QDBusVirtualObject {
public:
    HungPlayer(testing::PrivateBus& bus, const QString& busName, bool answersStatus, PlayerLog& log)
        : m_connection(bus.connect(busName))
        , m_busName(busName)
        , m_answersStatus(answersStatus)
        , m_log(log) {
        m_connection.registerVirtualObject(kPlayerPath, this);
        m_isRegistered = m_connection.registerService(busName);
    }
    bool isRegistered() const { return m_isRegistered; }

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
        m_log.calls.append(message.member().toLower() + QLatin1Char(' ') + m_busName);
        if (m_answersStatus && message.member() == QLatin1String("Get"))
            m_connection.send(
                message.createReply(QVariant::fromValue(QDBusVariant(QStringLiteral("Playing")))));
        return true;
    }

private:
    QDBusConnection m_connection;
    QString m_busName;
    bool m_answersStatus;
    PlayerLog& m_log;
    bool m_isRegistered = false;
};

// Plays no music: a window system for the focus service to run against.
struct FocusHarness {
    explicit FocusHarness(QDBusConnection connection)
        : players(std::move(connection), kShortTimeout)
        , focus(windows, players) {}
    testing::FakeWindowSystem windows;
    MprisPlayers players;
    FocusService focus;
};

class MprisPlayersTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(bus.isRunning()); }

    testing::PrivateBus bus;
    PlayerLog log;
};

TEST_F(MprisPlayersTest, ListsTheNamesOnTheBus) {
    FakePlayer player(bus, QStringLiteral("org.mpris.MediaPlayer2.vlc"), QStringLiteral("Playing"),
                      log);
    ASSERT_TRUE(player.isRegistered());
    MprisPlayers players(bus.connect(QStringLiteral("inkwarden")));
    std::optional<QStringList> names;
    players.listNames([&](const QStringList& answer) { names = answer; });
    ASSERT_TRUE(testing::waitUntil([&] { return names.has_value(); }));
    EXPECT_TRUE(names->contains(QStringLiteral("org.mpris.MediaPlayer2.vlc")));
    EXPECT_TRUE(names->contains(QStringLiteral("org.freedesktop.DBus")));
}

TEST_F(MprisPlayersTest, ReadsEachPlayersPlaybackStatus) {
    FakePlayer playing(bus, QStringLiteral("org.mpris.MediaPlayer2.a"), QStringLiteral("Playing"),
                       log);
    FakePlayer paused(bus, QStringLiteral("org.mpris.MediaPlayer2.b"), QStringLiteral("Paused"),
                      log);
    MprisPlayers players(bus.connect(QStringLiteral("inkwarden")));
    QMap<QString, QString> statuses;
    for (const QString& name :
         {QStringLiteral("org.mpris.MediaPlayer2.a"), QStringLiteral("org.mpris.MediaPlayer2.b"),
          QStringLiteral("org.mpris.MediaPlayer2.absent")}) {
        players.playbackStatus(
            name, [&statuses, name](const QString& status) { statuses[name] = status; });
    }
    ASSERT_TRUE(testing::waitUntil([&] { return statuses.size() == 3; }));
    EXPECT_EQ(statuses, (QMap<QString, QString>{
                            {QStringLiteral("org.mpris.MediaPlayer2.a"), QStringLiteral("Playing")},
                            {QStringLiteral("org.mpris.MediaPlayer2.b"), QStringLiteral("Paused")},
                            {QStringLiteral("org.mpris.MediaPlayer2.absent"), QString()}}));
}

TEST_F(MprisPlayersTest, PauseReachesThePlayerAndThenReportsDone) {
    FakePlayer player(bus, QStringLiteral("org.mpris.MediaPlayer2.vlc"), QStringLiteral("Playing"),
                      log);
    MprisPlayers players(bus.connect(QStringLiteral("inkwarden")));
    bool done = false;
    players.pause(QStringLiteral("org.mpris.MediaPlayer2.vlc"), [&] { done = true; });
    EXPECT_FALSE(done);
    ASSERT_TRUE(testing::waitUntil([&] { return done; }));
    EXPECT_EQ(log.calls, QStringList{QStringLiteral("pause org.mpris.MediaPlayer2.vlc")});
}

TEST_F(MprisPlayersTest, APlayerThatDoesNotAnswerFailsAfterTheTimeout) {
    HungPlayer hung(bus, QStringLiteral("org.mpris.MediaPlayer2.hung"), false, log);
    ASSERT_TRUE(hung.isRegistered());
    MprisPlayers players(bus.connect(QStringLiteral("inkwarden")), kShortTimeout);
    std::optional<QString> status;
    bool paused = false;
    players.playbackStatus(QStringLiteral("org.mpris.MediaPlayer2.hung"),
                           [&](const QString& answer) { status = answer; });
    players.pause(QStringLiteral("org.mpris.MediaPlayer2.hung"), [&] { paused = true; });
    ASSERT_TRUE(testing::waitUntil([&] { return status.has_value() && paused; }));
    EXPECT_EQ(*status, QString());
}

TEST(MprisPlayers, WithoutABusEveryAnswerIsAFailureGivenLater) {
    MprisPlayers players(QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent/inkwarden-test-bus"), QStringLiteral("nowhere")));
    std::optional<QStringList> names;
    std::optional<QString> status;
    bool paused = false;
    players.listNames([&](const QStringList& answer) { names = answer; });
    players.playbackStatus(QStringLiteral("org.mpris.MediaPlayer2.vlc"),
                           [&](const QString& answer) { status = answer; });
    players.pause(QStringLiteral("org.mpris.MediaPlayer2.vlc"), [&] { paused = true; });
    EXPECT_FALSE(names || status || paused);
    ASSERT_TRUE(testing::waitUntil([&] { return names && status && paused; }));
    EXPECT_TRUE(names->isEmpty());
    EXPECT_TRUE(status->isEmpty());
    QDBusConnection::disconnectFromBus(QStringLiteral("nowhere"));
}

TEST_F(MprisPlayersTest, AnAnswerDueAfterTheBackendIsGoneIsDropped) {
    FakePlayer player(bus, QStringLiteral("org.mpris.MediaPlayer2.vlc"), QStringLiteral("Playing"),
                      log);
    const QDBusConnection connection = bus.connect(QStringLiteral("inkwarden"));
    auto gone = std::make_unique<MprisPlayers>(connection);
    bool goneAnswered = false;
    gone->playbackStatus(QStringLiteral("org.mpris.MediaPlayer2.vlc"),
                         [&](const QString&) { goneAnswered = true; });
    gone.reset();

    // Replies on one connection arrive in order: once this one is in, the
    // first was delivered too, to nobody.
    MprisPlayers later(connection);
    bool laterAnswered = false;
    later.playbackStatus(QStringLiteral("org.mpris.MediaPlayer2.vlc"),
                         [&](const QString&) { laterAnswered = true; });
    ASSERT_TRUE(testing::waitUntil([&] { return laterAnswered; }));
    EXPECT_FALSE(goneAnswered);
}

TEST_F(MprisPlayersTest, TheFocusServicePausesOnlyThePlayingPlayer) {
    FakePlayer playing(bus, QStringLiteral("org.mpris.MediaPlayer2.playing"),
                       QStringLiteral("Playing"), log);
    FakePlayer paused(bus, QStringLiteral("org.mpris.MediaPlayer2.paused"),
                      QStringLiteral("Paused"), log);
    FakePlayer stopped(bus, QStringLiteral("org.mpris.MediaPlayer2.stopped"),
                       QStringLiteral("Stopped"), log);
    FakePlayer notMpris(bus, QStringLiteral("org.example.Player"), QStringLiteral("Playing"), log);
    FakePlayer nearMiss(bus, QStringLiteral("org.mpris.MediaPlayer2Impostor"),
                        QStringLiteral("Playing"), log);
    ASSERT_TRUE(playing.isRegistered() && paused.isRegistered() && stopped.isRegistered() &&
                notMpris.isRegistered() && nearMiss.isRegistered());
    FocusHarness harness(bus.connect(QStringLiteral("inkwarden")));

    harness.focus.begin();
    ASSERT_TRUE(testing::waitUntil([&] { return !log.calls.isEmpty(); }));
    // Every Pause goes out once all statuses are in, so nothing else is coming.
    EXPECT_EQ(log.calls, QStringList{QStringLiteral("pause org.mpris.MediaPlayer2.playing")});
    EXPECT_EQ(playing.playbackStatus(), QStringLiteral("Paused"));
    EXPECT_EQ(paused.playbackStatus(), QStringLiteral("Paused"));
    EXPECT_EQ(stopped.playbackStatus(), QStringLiteral("Stopped"));
    EXPECT_EQ(notMpris.playbackStatus(), QStringLiteral("Playing"));
    EXPECT_EQ(nearMiss.playbackStatus(), QStringLiteral("Playing"));
}

TEST_F(MprisPlayersTest, PlayersThatDoNotAnswerDoNotBlockTheOthers) {
    // In bus-name order: one that never answers, one that answers "Playing"
    // but never answers Pause, then two that play.
    HungPlayer silent(bus, QStringLiteral("org.mpris.MediaPlayer2.a_silent"), false, log);
    HungPlayer stuck(bus, QStringLiteral("org.mpris.MediaPlayer2.b_stuck"), true, log);
    FakePlayer first(bus, QStringLiteral("org.mpris.MediaPlayer2.c_first"),
                     QStringLiteral("Playing"), log);
    FakePlayer second(bus, QStringLiteral("org.mpris.MediaPlayer2.d_second"),
                      QStringLiteral("Playing"), log);
    ASSERT_TRUE(silent.isRegistered() && stuck.isRegistered());
    FocusHarness harness(bus.connect(QStringLiteral("inkwarden")));

    harness.focus.begin();
    ASSERT_TRUE(testing::waitUntil([&] { return log.calls.size() == 5; }));
    // The questions reach the two players' connections in either order; the
    // pauses go out one after another, each after the one before answered or
    // timed out.
    QStringList questions = log.calls.mid(0, 2);
    questions.sort();
    EXPECT_EQ(questions, (QStringList{QStringLiteral("get org.mpris.MediaPlayer2.a_silent"),
                                      QStringLiteral("get org.mpris.MediaPlayer2.b_stuck")}));
    EXPECT_EQ(log.calls.mid(2),
              (QStringList{QStringLiteral("pause org.mpris.MediaPlayer2.b_stuck"),
                           QStringLiteral("pause org.mpris.MediaPlayer2.c_first"),
                           QStringLiteral("pause org.mpris.MediaPlayer2.d_second")}));
}

} // namespace
} // namespace inkwarden

#include "mpris_players_test.moc"
