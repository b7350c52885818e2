#include "record/record_database.h"

#include "documents/atomic_file.h"
#include "documents/storage_layout.h"
#include "record/word_count.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>

namespace inkwarden {
namespace {

const QString kDayFormat = QStringLiteral("yyyy-MM-dd");

QString dayText(QDate day) {
    return day.toString(kDayFormat);
}

// Each step takes the schema from the version before it to its own.
const QStringList kMigrations = {
    QStringLiteral("CREATE TABLE sessions (id INTEGER PRIMARY KEY, started_at TEXT, "
                   "ended_at TEXT, day TEXT NOT NULL, completed INTEGER NOT NULL DEFAULT 0, "
                   "words_at_start INTEGER, words_at_end INTEGER);"
                   "CREATE TABLE days (day TEXT PRIMARY KEY, entry_words INTEGER NOT NULL "
                   "DEFAULT 0, words_added INTEGER NOT NULL DEFAULT 0, completed INTEGER NOT "
                   "NULL DEFAULT 0);"),
};

} // namespace

RecordDatabase::RecordDatabase(QString path)
    : m_path(std::move(path))
    , m_connection(QStringLiteral("record-") + QUuid::createUuid().toString(QUuid::Id128)) {}

RecordDatabase::~RecordDatabase() {
    close();
}

bool RecordDatabase::open() {
    m_setAside.clear();
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
        m_error = QStringLiteral("The SQLite driver for Qt is not installed.");
        return false;
    }
    if (openFile() && passesCheck() && migrate())
        return m_isNew;
    if (!QFileInfo::exists(m_path)) {
        close();
        return false;
    }
    setFileAside();
    if (openFile() && migrate())
        return true;
    close();
    return false;
}

bool RecordDatabase::openFile() {
    close();
    m_failed = false;
    const QFileInfo file(m_path);
    // Our folder like the writing's: created 0700, as the record tells of every day written.
    if (const std::optional<QString> error = ensurePrivateFolder(file.path())) {
        m_error = *error;
        return false;
    }
    // Created empty (a valid empty database) and private before SQLite opens
    // it; SQLite gives its -wal and -shm files the same permissions.
    if (QFile empty(m_path); !empty.exists() && empty.open(QIODevice::WriteOnly))
        empty.close();
    QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
    m_database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    m_database.setDatabaseName(m_path);
    if (!m_database.open()) {
        m_error = m_database.lastError().text();
        return false;
    }
    return exec(QStringLiteral("PRAGMA journal_mode=WAL")) &&
           exec(QStringLiteral("PRAGMA synchronous=FULL")) &&
           exec(QStringLiteral("PRAGMA busy_timeout=5000"));
}

bool RecordDatabase::passesCheck() {
    QSqlQuery check(m_database);
    return check.exec(QStringLiteral("PRAGMA quick_check")) && check.next() &&
           check.value(0).toString() == QStringLiteral("ok");
}

// A file from a newer version of the program fails here too: it is kept
// aside rather than written in a form that program would not expect.
bool RecordDatabase::migrate() {
    QSqlQuery version(m_database);
    if (!version.exec(QStringLiteral("PRAGMA user_version")) || !version.next())
        return false;
    const int from = version.value(0).toInt();
    if (from < 0 || from > kSchemaVersion)
        return false;
    m_isNew = from == 0;
    for (int step = from; step < kSchemaVersion; ++step) {
        if (!m_database.transaction())
            return false;
        for (const QString& statement : kMigrations[step].split(u';', Qt::SkipEmptyParts)) {
            if (!exec(statement)) {
                m_database.rollback();
                return false;
            }
        }
        if (!exec(QStringLiteral("PRAGMA user_version=%1").arg(step + 1)) || !m_database.commit())
            return false;
    }
    return true;
}

void RecordDatabase::setFileAside() {
    close();
    if (!QFileInfo::exists(m_path))
        return;
    const QString aside = m_path + QStringLiteral(".damaged-") +
                          QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QFile::remove(aside);
    if (!QFile::rename(m_path, aside)) {
        QFile::remove(m_path);
        return;
    }
    m_setAside = aside;
    for (const QString& suffix : {QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        QFile::remove(aside + suffix);
        QFile::rename(m_path + suffix, aside + suffix);
    }
}

void RecordDatabase::close() {
    if (!QSqlDatabase::contains(m_connection))
        return;
    m_database.close();
    m_database = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connection);
}

bool RecordDatabase::exec(const QString& statement) {
    QSqlQuery query(m_database);
    if (query.exec(statement))
        return true;
    m_error = query.lastError().text();
    m_failed = true;
    return false;
}

void RecordDatabase::rebuild(const QString& entriesFolder, const QStringList& completedDays) {
    if (!m_database.transaction())
        return;
    static const QRegularExpression dayName(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}\\.rtf$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QFileInfoList entries =
        entriesFolder.isEmpty() ? QFileInfoList() : QDir(entriesFolder).entryInfoList(QDir::Files);
    QSqlQuery day(m_database);
    day.prepare(QStringLiteral("INSERT INTO days (day, entry_words) VALUES (?, ?) ON CONFLICT(day) "
                               "DO UPDATE SET entry_words = excluded.entry_words"));
    for (const QFileInfo& entry : entries) {
        const QDate date = QDate::fromString(entry.completeBaseName(), kDayFormat);
        if (!dayName.match(entry.fileName()).hasMatch() || !date.isValid())
            continue;
        const storage::ReadResult read = storage::readDocument(entry.filePath());
        if (!read.ok())
            continue;
        day.addBindValue(dayText(date));
        day.addBindValue(countWords(read.text.text()));
        m_failed |= !day.exec();
    }
    for (const QString& completed : completedDays) {
        if (const QDate date = QDate::fromString(completed, kDayFormat); date.isValid())
            markCompleted(date);
    }
    m_database.commit();
}

void RecordDatabase::markCompleted(QDate day) {
    QSqlQuery mark(m_database);
    mark.prepare(QStringLiteral("INSERT INTO days (day, completed) VALUES (?, 1) ON CONFLICT(day) "
                                "DO UPDATE SET completed = 1"));
    mark.addBindValue(dayText(day));
    m_failed |= !mark.exec();
    // A day known only from the markers still counts as a completed session.
    QSqlQuery session(m_database);
    session.prepare(QStringLiteral("INSERT INTO sessions (day, completed) SELECT ?, 1 WHERE NOT "
                                   "EXISTS (SELECT 1 FROM sessions WHERE day = ? AND completed)"));
    session.addBindValue(dayText(day));
    session.addBindValue(dayText(day));
    m_failed |= !session.exec();
}

void RecordDatabase::addSessionStart(const QDateTime& start, QDate day, qint64 words) {
    QSqlQuery insert(m_database);
    insert.prepare(
        QStringLiteral("INSERT INTO sessions (started_at, day, words_at_start) VALUES (?, ?, ?)"));
    insert.addBindValue(start.toUTC().toString(Qt::ISODateWithMs));
    insert.addBindValue(dayText(day));
    insert.addBindValue(words);
    m_failed |= !insert.exec();
}

void RecordDatabase::addSessionEnd(const QDateTime& end, QDate day, bool completed, qint64 words) {
    if (!m_database.transaction())
        return;
    QSqlQuery open(m_database);
    open.exec(QStringLiteral("SELECT max(id) FROM sessions WHERE ended_at IS NULL AND started_at "
                             "IS NOT NULL"));
    const QVariant id = open.next() ? open.value(0) : QVariant();
    QSqlQuery update(m_database);
    if (id.isNull())
        update.prepare(QStringLiteral("INSERT INTO sessions (ended_at, day, completed, "
                                      "words_at_end) VALUES (:end, :day, :completed, :words)"));
    else
        update.prepare(QStringLiteral("UPDATE sessions SET ended_at = :end, day = :day, completed "
                                      "= :completed, words_at_end = :words WHERE id = :id"));
    update.bindValue(QStringLiteral(":end"), end.toUTC().toString(Qt::ISODateWithMs));
    update.bindValue(QStringLiteral(":day"), dayText(day));
    update.bindValue(QStringLiteral(":completed"), completed ? 1 : 0);
    update.bindValue(QStringLiteral(":words"), words);
    if (!id.isNull())
        update.bindValue(QStringLiteral(":id"), id);
    m_failed |= !update.exec();
    if (completed) {
        QSqlQuery mark(m_database);
        mark.prepare(QStringLiteral("INSERT INTO days (day, completed) VALUES (?, 1) ON "
                                    "CONFLICT(day) DO UPDATE SET completed = 1"));
        mark.addBindValue(dayText(day));
        m_failed |= !mark.exec();
    }
    m_database.commit();
}

void RecordDatabase::setDayWords(QDate day, qint64 entryWords, qint64 wordsAdded) {
    QSqlQuery upsert(m_database);
    upsert.prepare(entryWords < 0
                       ? QStringLiteral("INSERT INTO days (day, words_added) VALUES (:day, :added) "
                                        "ON CONFLICT(day) DO UPDATE SET words_added = :added")
                       : QStringLiteral("INSERT INTO days (day, entry_words, words_added) VALUES "
                                        "(:day, :entry, :added) ON CONFLICT(day) DO UPDATE SET "
                                        "entry_words = :entry, words_added = :added"));
    upsert.bindValue(QStringLiteral(":day"), dayText(day));
    if (entryWords >= 0)
        upsert.bindValue(QStringLiteral(":entry"), entryWords);
    upsert.bindValue(QStringLiteral(":added"), wordsAdded);
    m_failed |= !upsert.exec();
}

QList<DayRecord> RecordDatabase::days() {
    QList<DayRecord> days;
    QSqlQuery select(m_database);
    if (!select.exec(QStringLiteral(
            "SELECT day, entry_words, words_added, completed FROM days ORDER BY day"))) {
        m_failed = true;
        return days;
    }
    while (select.next()) {
        const QDate day = QDate::fromString(select.value(0).toString(), kDayFormat);
        if (day.isValid())
            days.append({day, select.value(1).toLongLong(), select.value(2).toLongLong(),
                         select.value(3).toBool()});
    }
    return days;
}

int RecordDatabase::completedSessions() {
    QSqlQuery count(m_database);
    if (!count.exec(QStringLiteral("SELECT count(*) FROM sessions WHERE completed")) ||
        !count.next())
        return 0;
    return count.value(0).toInt();
}

} // namespace inkwarden
