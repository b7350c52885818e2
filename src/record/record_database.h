#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace inkwarden {

struct DayRecord {
    QDate day;
    qint64 entryWords = 0; // the day's entry, as last counted
    qint64 wordsAdded = 0; // words added in any document that day
    bool completed = false;
    friend bool operator==(const DayRecord&, const DayRecord&) = default;
};

// The record's SQLite file: sessions and days, a schema version in
// user_version, WAL and synchronous=FULL, readable by its owner only. A file
// that cannot be opened or fails its check is kept aside and a new one built
// from the entries. Used on one thread only (the record's worker), as Qt SQL
// connections require.
class RecordDatabase {
public:
    static constexpr int kSchemaVersion = 1;

    explicit RecordDatabase(QString path);
    ~RecordDatabase();
    RecordDatabase(const RecordDatabase&) = delete;
    RecordDatabase& operator=(const RecordDatabase&) = delete;

    // Opens the file, setting a damaged one aside. Answers whether the record
    // is new (and should be rebuilt); false with error() set when no database
    // could be opened at all.
    bool open();
    bool isOpen() const { return m_database.isOpen(); }
    const QString& error() const { return m_error; }
    // Where the last damaged file was put; empty when none was.
    const QString& setAside() const { return m_setAside; }

    // Days written from the entries (file name "yyyy-MM-dd.rtf", words
    // counted) and completed days from the settings markers, in one transaction.
    void rebuild(const QString& entriesFolder, const QStringList& completedDays);

    void addSessionStart(const QDateTime& start, QDate day, qint64 words);
    // Ends the latest open session, or records one that has no start (its
    // start was lost with a damaged file) ending at `end`.
    void addSessionEnd(const QDateTime& end, QDate day, bool completed, qint64 words);
    // entryWords -1 keeps the stored count.
    void setDayWords(QDate day, qint64 entryWords, qint64 wordsAdded);

    QList<DayRecord> days();
    int completedSessions();
    // True once a statement failed since the file was opened.
    bool hasFailed() const { return m_failed; }

private:
    bool openFile();
    bool migrate();
    bool passesCheck();
    void setFileAside();
    void close();
    bool exec(const QString& statement);
    void markCompleted(QDate day);

    QString m_path;
    QString m_connection;
    QSqlDatabase m_database;
    QString m_error;
    QString m_setAside;
    bool m_isNew = false;
    bool m_failed = false;
};

} // namespace inkwarden
