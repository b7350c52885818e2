#include "search/index_database.h"

#include "documents/atomic_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <algorithm>

namespace inkwarden {
namespace {

constexpr int kSchemaVersion = 1;

// Two- and three-letter prefix tables make the first letters of a word typed
// into the search field as quick as whole words.
const char* const kSchema[] = {
    "CREATE TABLE IF NOT EXISTS files(id INTEGER PRIMARY KEY, path TEXT UNIQUE NOT NULL, "
    "size INTEGER NOT NULL, modified INTEGER NOT NULL)",
    "CREATE VIRTUAL TABLE IF NOT EXISTS words USING fts5(title, body, "
    "tokenize = 'unicode61 remove_diacritics 2', prefix = '2 3')",
};

bool run(QSqlQuery& query, const QString& statement) {
    return query.exec(statement);
}

} // namespace

IndexDatabase::IndexDatabase(QString path)
    : m_path(std::move(path))
    , m_connection(QStringLiteral("search-") + QUuid::createUuid().toString(QUuid::Id128)) {}

IndexDatabase::~IndexDatabase() {
    m_database.close();
    m_database = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connection);
}

// The index holds every word of the writing: private like the documents.
bool IndexDatabase::open() {
    const QString folder = QFileInfo(m_path).path();
    if (m_path.isEmpty() || ensurePrivateFolder(folder))
        return false;
    if (openFile())
        return m_open = true;
    // Damaged, or written by another version: it holds nothing that the
    // documents themselves do not.
    discardFile();
    return m_open = openFile();
}

bool IndexDatabase::openFile() {
    if (QFile file(m_path); !file.exists() && file.open(QIODevice::WriteOnly))
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    m_database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    m_database.setDatabaseName(m_path);
    if (!m_database.open())
        return false;
    QSqlQuery query(m_database);
    if (!run(query, QStringLiteral("PRAGMA quick_check")) || !query.next() ||
        query.value(0).toString() != QStringLiteral("ok"))
        return false;
    if (!run(query, QStringLiteral("PRAGMA user_version")) || !query.next())
        return false;
    const int version = query.value(0).toInt();
    if (version != 0 && version != kSchemaVersion)
        return false;
    run(query, QStringLiteral("PRAGMA journal_mode = WAL"));
    run(query, QStringLiteral("PRAGMA synchronous = OFF")); // a cache: a lost write is re-read
    for (const char* statement : kSchema)
        if (!run(query, QString::fromLatin1(statement)))
            return false;
    return run(query, QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion));
}

void IndexDatabase::discardFile() {
    m_database.close();
    m_database = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connection);
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(m_path + QLatin1String(suffix));
}

QHash<QString, IndexDatabase::Stamp> IndexDatabase::stamps() const {
    QHash<QString, Stamp> stamps;
    if (!m_open)
        return stamps;
    QSqlQuery query(m_database);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT path, size, modified FROM files")))
        return stamps;
    while (query.next())
        stamps.insert(query.value(0).toString(),
                      Stamp{query.value(1).toLongLong(), query.value(2).toLongLong()});
    return stamps;
}

bool IndexDatabase::begin() {
    return m_open && m_database.transaction();
}

bool IndexDatabase::commit() {
    return m_open && m_database.commit();
}

void IndexDatabase::releaseMemory() {
    if (!m_open)
        return;
    QSqlQuery query(m_database);
    query.exec(QStringLiteral("PRAGMA shrink_memory"));
}

void IndexDatabase::replace(const QString& path, const Stamp& stamp, const QString& title,
                            const QString& text) {
    remove(path);
    QSqlQuery query(m_database);
    query.prepare(QStringLiteral("INSERT INTO files(path, size, modified) VALUES(?, ?, ?)"));
    query.addBindValue(path);
    query.addBindValue(stamp.size);
    query.addBindValue(stamp.modified);
    if (!query.exec())
        return;
    const QVariant id = query.lastInsertId();
    query.prepare(QStringLiteral("INSERT INTO words(rowid, title, body) VALUES(?, ?, ?)"));
    query.addBindValue(id);
    query.addBindValue(title);
    query.addBindValue(text);
    query.exec();
}

void IndexDatabase::remove(const QString& path) {
    if (!m_open)
        return;
    QSqlQuery query(m_database);
    query.prepare(QStringLiteral("DELETE FROM words WHERE rowid IN "
                                 "(SELECT id FROM files WHERE path = ?)"));
    query.addBindValue(path);
    query.exec();
    query.prepare(QStringLiteral("DELETE FROM files WHERE path = ?"));
    query.addBindValue(path);
    query.exec();
}

QList<IndexDatabase::Match> IndexDatabase::matches(const QString& ftsQuery, int considered,
                                                   int limit) const {
    QList<Match> found;
    if (!m_open || ftsQuery.isEmpty())
        return found;
    QSqlQuery query(m_database);
    query.setForwardOnly(true);
    query.prepare(
        QStringLiteral("SELECT rowid, bm25(words) FROM words WHERE words MATCH ? LIMIT ?"));
    query.addBindValue(ftsQuery);
    query.addBindValue(considered);
    if (!query.exec())
        return found;
    QList<std::pair<double, qint64>> scored; // lower is better
    while (query.next())
        scored.append({query.value(1).toDouble(), query.value(0).toLongLong()});
    const qsizetype kept = std::min<qsizetype>(limit, scored.size());
    std::partial_sort(scored.begin(), scored.begin() + kept, scored.end());
    if (kept == 0)
        return found;
    // One look-up for all: the ids are numbers of our own, never typed text.
    QStringList ids;
    QHash<qint64, qsizetype> order;
    for (qsizetype at = 0; at < kept; ++at) {
        ids.append(QString::number(scored.at(at).second));
        order.insert(scored.at(at).second, at);
    }
    if (!query.exec(QStringLiteral("SELECT files.id, files.path, words.body FROM files JOIN words "
                                   "ON words.rowid = files.id WHERE files.id IN (%1)")
                        .arg(ids.join(u','))))
        return found;
    found.resize(kept);
    while (query.next())
        found[order.value(query.value(0).toLongLong())] =
            Match{query.value(1).toString(), query.value(2).toString()};
    found.removeIf([](const Match& match) { return match.path.isEmpty(); });
    return found;
}

} // namespace inkwarden
