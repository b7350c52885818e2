#pragma once

#include "services/music_players.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>

namespace inkwarden {

// Media players over MPRIS on a D-Bus connection (by default the session bus):
// the names on the bus (org.freedesktop.DBus.ListNames), a player's
// org.mpris.MediaPlayer2.Player.PlaybackStatus, and Pause. Every call is
// asynchronous with a short timeout, so a hung player never blocks the main
// thread; answers still due when this object is destroyed are dropped.
// Main thread.
class MprisPlayers final : public QObject, public MusicPlayers {
    Q_OBJECT
public:
    static constexpr int kDefaultTimeoutMilliseconds = 1000;

    explicit MprisPlayers(QDBusConnection bus = QDBusConnection::sessionBus(),
                          int timeoutMilliseconds = kDefaultTimeoutMilliseconds,
                          QObject* parent = nullptr);

    void listNames(NamesAnswer answer) override;
    void playbackStatus(const QString& busName, StatusAnswer answer) override;
    void pause(const QString& busName, Done done) override;

private:
    // Sends `call` and hands the reply (or the error) to `answer`, later.
    void send(const QDBusMessage& call, std::function<void(const QDBusMessage&)> answer);

    QDBusConnection m_bus;
    int m_timeoutMilliseconds;
};

} // namespace inkwarden
