#pragma once

#include "services/music_players.h"

#include <QList>
#include <QMap>

namespace inkwarden::testing {

// Players the test sets up by name and status. Records every request in order
// ("list", "status NAME", "pause NAME"). Answers at once, or, with
// `answerLater`, only when the test calls answerNext() or answerAll().
class FakeMusicPlayers final : public MusicPlayers {
public:
    QStringList names;
    QMap<QString, QString> statuses; // a name without a status fails to answer
    QStringList requests;
    bool answerLater = false;

    QStringList pauses() const { return requests.filter(QStringLiteral("pause ")); }

    void listNames(NamesAnswer answer) override {
        requests.append(QStringLiteral("list"));
        reply([this, answer] { answer(names); });
    }
    void playbackStatus(const QString& busName, StatusAnswer answer) override {
        requests.append(QStringLiteral("status ") + busName);
        reply([this, busName, answer] { answer(statuses.value(busName)); });
    }
    void pause(const QString& busName, Done done) override {
        requests.append(QStringLiteral("pause ") + busName);
        reply(done);
    }

    qsizetype pendingAnswers() const { return m_pending.size(); }
    void answerNext() { m_pending.takeFirst()(); }
    void answerAll() {
        while (!m_pending.isEmpty())
            answerNext();
    }

private:
    void reply(const std::function<void()>& answer) {
        if (answerLater)
            m_pending.append(answer);
        else
            answer();
    }

    QList<std::function<void()>> m_pending;
};

} // namespace inkwarden::testing
