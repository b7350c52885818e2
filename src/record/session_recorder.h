#pragma once

#include <QDateTime>
#include <QString>

namespace inkwarden {

// What the store tells the writing record: sessions as they start and end,
// and the day's words now and then (never on the keystroke path). Day keys
// are "yyyy-MM-dd". Called on the main thread; implementations return at once.
class SessionRecorder {
public:
    virtual ~SessionRecorder() = default;
    virtual void sessionStarted(const QDateTime& start, const QString& day, qint64 words) = 0;
    virtual void sessionEnded(const QDateTime& end, const QString& day, bool completed,
                              qint64 words) = 0;
    // `entryWords` is the day's entry's count, or -1 when the entry is not open.
    virtual void wordsWritten(const QString& day, qint64 entryWords, qint64 wordsAdded) = 0;
};

} // namespace inkwarden
