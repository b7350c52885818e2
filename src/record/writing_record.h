#pragma once

#include "record/record_database.h"
#include "record/session_recorder.h"
#include "record/streaks.h"

#include <QMap>
#include <QObject>
#include <QStringList>
#include <QThread>
#include <functional>

namespace inkwarden {

// The writing record as the program sees it: every day written and every
// session, kept in SQLite by a worker thread of its own (no database work on
// the main thread) and mirrored here in memory, so reads (the calendar, the
// streak told at completion) never wait. Lives on the main thread.
class WritingRecord final : public QObject, public SessionRecorder {
    Q_OBJECT
public:
    struct Setup {
        QString databasePath;
        QString entriesFolder;     // rebuilt from when the record is new or damaged
        QStringList completedDays; // the settings markers' completed days, likewise
    };

    // $XDG_DATA_HOME/Inkwarden/record.sqlite; empty when there is no data folder.
    static QString defaultPath();

    explicit WritingRecord(Setup setup, QObject* parent = nullptr);
    // Finishes every write already asked for.
    ~WritingRecord() override;

    void sessionStarted(const QDateTime& start, const QString& day, qint64 words) override;
    void sessionEnded(const QDateTime& end, const QString& day, bool completed,
                      qint64 words) override;
    void wordsWritten(const QString& day, qint64 entryWords, qint64 wordsAdded) override;

    bool isLoaded() const { return m_isLoaded; }
    const QMap<QDate, DayRecord>& days() const { return m_days; }
    Streaks streaks(const QDateTime& now) const;
    qint64 totalWords() const;
    int completedSessions() const { return m_completedSessions; }
    // Why the record is not kept on disk this run, or what happened to it.
    const QString& problem() const { return m_problem; }

    // Blocks until the worker has done everything asked so far and its
    // answers have been taken in. For tests and the end of the run.
    void waitUntilIdle();

Q_SIGNALS:
    // The days, totals or problem changed. Emitted on the main thread.
    void changed();
    // A session completed; `daysInARow` is the current streak including it.
    void sessionCompleted(int daysInARow);

private:
    struct Loaded {
        QList<DayRecord> days;
        int completedSessions = 0;
        QString problem;
    };
    void onWorker(std::function<void(RecordDatabase&)> work);
    void load(Setup setup);
    void takeLoaded(const Loaded& loaded);

    QThread m_thread;
    QObject* m_worker = nullptr;                // lives on m_thread
    std::unique_ptr<RecordDatabase> m_database; // only touched on m_thread
    QMap<QDate, DayRecord> m_days;
    QMap<QDate, DayRecord> m_changedBeforeLoad;
    int m_completedSessions = 0;
    int m_sessionsBeforeLoad = 0;
    bool m_isLoaded = false;
    QString m_problem;
};

} // namespace inkwarden
