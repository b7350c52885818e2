#pragma once

#include "store/store_services.h"

#include <QMetaObject>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace inkwarden {

class MusicPlayers;
class WindowSystem;

// Keeps the writer window (named "writer") in front and full screen during a
// session and pauses playing music when one begins. Uses, never owns, the
// window system and the music players, which must outlive it. Main thread.
class FocusService final : public QObject, public FocusControl {
    Q_OBJECT
public:
    // Found by name: its title follows the open document.
    static inline const QString kWriterName = QStringLiteral("writer");
    static inline const QString kPlayerPrefix = QStringLiteral("org.mpris.MediaPlayer2.");
    static inline const QString kPlaying = QStringLiteral("Playing");

    // `ownApplicationId` is what the window system reports when this
    // application comes to the front.
    FocusService(WindowSystem& windows, MusicPlayers& music,
                 QString ownApplicationId = QStringLiteral("inkwarden"), QObject* parent = nullptr);

    // Opens the writer if needed, pauses music, brings the writer to the
    // front in full screen (queued) and from now on brings it back whenever
    // another application comes to the front.
    void begin() override;
    // Stops bringing the writer back, and takes it out of full screen unless
    // it was in full screen before the session.
    void end() override;
    // How to open the writer window; replaces the previous one.
    void setOpenWriter(std::function<void()> openWriter);
    bool isWatching() const { return static_cast<bool>(m_activationObserver); }

private:
    void showWriterFullScreen();
    void scheduleShowWriterFullScreen();
    void applicationActivated(const QString& applicationId);
    bool isWriterOpen() const;
    void pausePlayingMusic();
    void askPlayersForStatus(const QStringList& players);
    void pauseInOrder(QStringList players);

    WindowSystem& m_windows;
    MusicPlayers& m_music;
    QString m_ownApplicationId;
    std::function<void()> m_openWriter;
    QMetaObject::Connection m_activationObserver;
    std::optional<bool> m_wasFullScreen; // as the session found the writer
};

} // namespace inkwarden
