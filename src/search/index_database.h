#pragma once

#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QString>

namespace inkwarden {

// The SQLite file behind the search: one FTS5 row per document (title and
// text, case and accents folded by the tokenizer) and, beside it, the size
// and modification time each row was read at. A cache: a file that is
// damaged or of another version is deleted and made anew. Used on one
// thread only, the one that opened it.
class IndexDatabase {
public:
    struct Stamp {
        qint64 size = -1;
        qint64 modified = -1; // milliseconds since the epoch
        friend bool operator==(const Stamp&, const Stamp&) = default;
    };
    struct Match {
        QString path;
        QString text;
    };

    explicit IndexDatabase(QString path);
    ~IndexDatabase();
    IndexDatabase(const IndexDatabase&) = delete;
    IndexDatabase& operator=(const IndexDatabase&) = delete;

    // Opens or makes the file; false when neither works (search then finds nothing).
    bool open();
    bool isOpen() const { return m_open; }

    QHash<QString, Stamp> stamps() const;
    // Both run inside one transaction per batch.
    bool begin();
    bool commit();
    void replace(const QString& path, const Stamp& stamp, const QString& title,
                 const QString& text);
    void remove(const QString& path);
    // Gives back the page cache and what writing left allocated; for idle time.
    void releaseMemory();

    // The best `limit` of the first `considered` documents that match, best
    // first; `query` in FTS5's syntax. Ranking every match of a short prefix
    // in years of writing would take longer than a keystroke may.
    QList<Match> matches(const QString& query, int considered, int limit) const;

private:
    bool openFile();
    void discardFile();

    QString m_path;
    QString m_connection;
    QSqlDatabase m_database;
    bool m_open = false;
};

} // namespace inkwarden
