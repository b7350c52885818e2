#include "fakes/fake_window_system.h"
#include "services/focus_service.h"
#include "services/linux/mpris_players.h"
#include "support/private_bus.h"
#include "support/wait.h"

#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <gtest/gtest.h>
#include <memory>

namespace inkwarden {
namespace {

constexpr int kShortTimeout = 300;

// An MPRIS player on the test's private bus, on a connection of its own. It
// logs every call it gets ("get NAME", "pause NAME") and answers as many of
// them as `answers` allows: 0 none, 1 only the status, 2 both.
class FakePlayer final : public QDBusVirtualObject {
public:
    FakePlayer(testing::PrivateBus& bus, const QString& busName, QString status, QStringList& log,
               int answers = 2)
        : m_connection(bus.connect(busName))
        , m_busName(busName)
        , m_status(std::move(status))
        , m_log(log)
        , m_answers(answers) {
        m_connection.registerVirtualObject(QStringLiteral("/org/mpris/MediaPlayer2"), this);
        EXPECT_TRUE(m_connection.registerService(busName)) << busName.toStdString();
    }

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
        const bool isGet = message.member() == QLatin1String("Get");
        m_log.append(message.member().toLower() + QLatin1Char(' ') + m_busName);
        if (m_answers > (isGet ? 0 : 1)) {
            if (!isGet)
                m_status = QStringLiteral("Paused");
            m_connection.send(isGet
                                  ? message.createReply(QVariant::fromValue(QDBusVariant(m_status)))
                                  : message.createReply());
        }
        return true;
    }

    QDBusConnection m_connection;
    QString m_busName;
    QString m_status;
    QStringList& m_log;
    int m_answers;
};

class MprisPlayersTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(bus.isRunning()); }

    // Starts a focus session whose music is on the private bus.
    void beginFocus() {
        players =
            std::make_unique<MprisPlayers>(bus.connect(QStringLiteral("inkwarden")), kShortTimeout);
        focus = std::make_unique<FocusService>(windows, *players);
        focus->begin();
    }

    testing::PrivateBus bus;
    QStringList log;
    testing::FakeWindowSystem windows;
    std::unique_ptr<MprisPlayers> players;
    std::unique_ptr<FocusService> focus;
};

TEST_F(MprisPlayersTest, TheFocusServicePausesOnlyThePlayingPlayer) {
    FakePlayer playing(bus, QStringLiteral("org.mpris.MediaPlayer2.playing"),
                       QStringLiteral("Playing"), log);
    FakePlayer paused(bus, QStringLiteral("org.mpris.MediaPlayer2.paused"),
                      QStringLiteral("Paused"), log);
    FakePlayer stopped(bus, QStringLiteral("org.mpris.MediaPlayer2.stopped"),
                       QStringLiteral("Stopped"), log);
    FakePlayer notMpris(bus, QStringLiteral("org.example.Player"), QStringLiteral("Playing"), log);

    beginFocus();
    ASSERT_TRUE(testing::waitUntil([&] { return log.size() == 4; }));
    EXPECT_FALSE(testing::waitUntil([&] { return log.size() > 4; }, kShortTimeout));
    // The questions reach the players' connections in any order; the one
    // Pause goes out once all are answered.
    QStringList questions = log.mid(0, 3);
    questions.sort();
    EXPECT_EQ(questions, (QStringList{QStringLiteral("get org.mpris.MediaPlayer2.paused"),
                                      QStringLiteral("get org.mpris.MediaPlayer2.playing"),
                                      QStringLiteral("get org.mpris.MediaPlayer2.stopped")}));
    EXPECT_EQ(log.constLast(), QStringLiteral("pause org.mpris.MediaPlayer2.playing"));
    EXPECT_EQ(playing.m_status, QStringLiteral("Paused"));
}

TEST_F(MprisPlayersTest, PlayersThatDoNotAnswerDoNotBlockTheOthers) {
    // In bus-name order: one that never answers, one that answers "Playing"
    // but never answers Pause, then two that play.
    const QString playing = QStringLiteral("Playing");
    FakePlayer silent(bus, QStringLiteral("org.mpris.MediaPlayer2.a_silent"), playing, log, 0);
    FakePlayer stuck(bus, QStringLiteral("org.mpris.MediaPlayer2.b_stuck"), playing, log, 1);
    FakePlayer first(bus, QStringLiteral("org.mpris.MediaPlayer2.c_first"), playing, log);
    FakePlayer second(bus, QStringLiteral("org.mpris.MediaPlayer2.d_second"), playing, log);

    beginFocus();
    ASSERT_TRUE(testing::waitUntil([&] { return log.size() == 7; }));
    EXPECT_EQ(log.mid(4), (QStringList{QStringLiteral("pause org.mpris.MediaPlayer2.b_stuck"),
                                       QStringLiteral("pause org.mpris.MediaPlayer2.c_first"),
                                       QStringLiteral("pause org.mpris.MediaPlayer2.d_second")}));
    EXPECT_EQ(second.m_status, QStringLiteral("Paused"));
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
    bool goneAnswered = false;
    MprisPlayers(connection)
        .playbackStatus(QStringLiteral("org.mpris.MediaPlayer2.vlc"),
                        [&](const QString&) { goneAnswered = true; });
    // Replies on one connection arrive in order: once this one is in, the
    // first was delivered too, to nobody.
    MprisPlayers later(connection);
    std::optional<QString> status;
    later.playbackStatus(QStringLiteral("org.mpris.MediaPlayer2.vlc"),
                         [&](const QString& answer) { status = answer; });
    ASSERT_TRUE(testing::waitUntil([&] { return status.has_value(); }));
    EXPECT_EQ(*status, QStringLiteral("Playing"));
    EXPECT_FALSE(goneAnswered);
}

} // namespace
} // namespace inkwarden
