#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace inkwarden {

// The desktop's media players as the focus service needs them. Every call
// returns at once and answers later, on the main thread, exactly once; a
// player that fails or does not answer in time gives the failure answer. An
// answer due after the backend is destroyed never comes. Main thread.
class MusicPlayers {
public:
    using NamesAnswer = std::function<void(const QStringList& busNames)>;
    using StatusAnswer = std::function<void(const QString& playbackStatus)>;
    using Done = std::function<void()>;

    virtual ~MusicPlayers() = default;
    // Every name on the bus, players or not; empty on failure.
    virtual void listNames(NamesAnswer answer) = 0;
    // The player's PlaybackStatus ("Playing", "Paused", "Stopped"); empty on failure.
    virtual void playbackStatus(const QString& busName, StatusAnswer answer) = 0;
    // Asks the player to pause; `done` runs once the player answered or failed.
    virtual void pause(const QString& busName, Done done) = 0;
};

} // namespace inkwarden
