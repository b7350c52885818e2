#pragma once

#include "services/music_players.h"

namespace inkwarden::testing {

// A desktop where no player answers: the focus service's music requests are
// asked and never heard back from.
struct FakeMusicPlayers final : MusicPlayers {
    void listNames(NamesAnswer) override {}
    void playbackStatus(const QString&, StatusAnswer) override {}
    void pause(const QString&, Done) override {}
};

} // namespace inkwarden::testing
