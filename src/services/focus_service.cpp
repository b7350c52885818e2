#include "services/focus_service.h"

#include "services/music_players.h"
#include "services/window_system.h"

#include <QPointer>
#include <algorithm>
#include <memory>

namespace inkwarden {
namespace {

// The answers of one round of status questions, in bus-name order.
struct StatusRound {
    QStringList players;
    QList<bool> isPlaying;
    qsizetype unanswered = 0;
};

} // namespace

FocusService::FocusService(WindowSystem& windows, MusicPlayers& music, QString ownApplicationId,
                           QObject* parent)
    : QObject(parent)
    , m_windows(windows)
    , m_music(music)
    , m_ownApplicationId(std::move(ownApplicationId)) {}

void FocusService::begin() {
    if (!isWriterOpen() && m_openWriter)
        m_openWriter();
    pausePlayingMusic();
    scheduleShowWriterFullScreen();
    if (!m_activationObserver)
        m_activationObserver = connect(&m_windows, &WindowSystem::applicationActivated, this,
                                       &FocusService::applicationActivated);
}

void FocusService::end() {
    if (!m_activationObserver)
        return;
    disconnect(m_activationObserver);
    m_activationObserver = {};
    const bool restore = m_wasFullScreen == false;
    m_wasFullScreen.reset();
    if (!restore)
        return;
    for (const WindowSystem::Window& window : m_windows.windows()) {
        if (window.name == kWriterName && window.isFullScreen)
            m_windows.toggleFullScreen(window.id);
    }
}

void FocusService::setOpenWriter(std::function<void()> openWriter) {
    m_openWriter = std::move(openWriter);
}

bool FocusService::isWriterOpen() const {
    const QList<WindowSystem::Window> windows = m_windows.windows();
    return std::any_of(windows.cbegin(), windows.cend(), [](const WindowSystem::Window& window) {
        return window.name == kWriterName && window.isVisible;
    });
}

// Queued on this object: it runs after the current work, so a window opened
// just now exists by then, and never once the service is destroyed.
void FocusService::scheduleShowWriterFullScreen() {
    QMetaObject::invokeMethod(this, &FocusService::showWriterFullScreen, Qt::QueuedConnection);
}

void FocusService::applicationActivated(const QString& applicationId) {
    if (applicationId == m_ownApplicationId)
        return;
    scheduleShowWriterFullScreen();
}

void FocusService::showWriterFullScreen() {
    const QList<WindowSystem::Window> windows = m_windows.windows();
    const auto writer =
        std::find_if(windows.cbegin(), windows.cend(), [](const WindowSystem::Window& window) {
            return window.name == kWriterName && window.canBecomeKey;
        });
    if (writer == windows.cend() || !m_activationObserver)
        return; // none, or the session ended before this queued call came
    if (!m_wasFullScreen)
        m_wasFullScreen = writer->isFullScreen;
    m_windows.activateApplication();
    m_windows.raiseAndFocus(writer->id);
    if (!writer->isFullScreen)
        m_windows.toggleFullScreen(writer->id);
}

// Every MPRIS player, in bus-name order, is asked whether it plays; once all
// have answered (or failed), the playing ones are paused one after another in
// that same order. A player that hangs costs one timeout and blocks no other.
void FocusService::pausePlayingMusic() {
    QPointer<FocusService> self(this);
    m_music.listNames([self](const QStringList& names) {
        if (!self)
            return;
        QStringList players;
        std::copy_if(names.cbegin(), names.cend(), std::back_inserter(players),
                     [](const QString& name) { return name.startsWith(kPlayerPrefix); });
        players.sort();
        self->askPlayersForStatus(players);
    });
}

void FocusService::askPlayersForStatus(const QStringList& players) {
    if (players.isEmpty())
        return;
    auto round = std::make_shared<StatusRound>();
    round->players = players;
    round->isPlaying.fill(false, players.size());
    round->unanswered = players.size();
    QPointer<FocusService> self(this);
    for (qsizetype index = 0; index < players.size(); ++index) {
        m_music.playbackStatus(players.at(index), [self, round, index](const QString& status) {
            round->isPlaying[index] = status == kPlaying;
            if (--round->unanswered > 0 || !self)
                return;
            QStringList playing;
            for (qsizetype each = 0; each < round->players.size(); ++each) {
                if (round->isPlaying.at(each))
                    playing.append(round->players.at(each));
            }
            self->pauseInOrder(playing);
        });
    }
}

void FocusService::pauseInOrder(QStringList players) {
    if (players.isEmpty())
        return;
    const QString first = players.takeFirst();
    QPointer<FocusService> self(this);
    m_music.pause(first, [self, rest = std::move(players)]() {
        if (self)
            self->pauseInOrder(rest);
    });
}

} // namespace inkwarden
