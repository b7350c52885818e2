#include "record/writing_record.h"

#include "documents/storage_layout.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace inkwarden {
namespace {

QDate dateOf(const QString& day) {
    return QDate::fromString(day, QStringLiteral("yyyy-MM-dd"));
}

} // namespace

QString WritingRecord::defaultPath() {
    const QString folder = storage::applicationFolder();
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/record.sqlite");
}

WritingRecord::WritingRecord(Setup setup, QObject* parent)
    : QObject(parent)
    , m_worker(new QObject) {
    m_thread.setObjectName(QStringLiteral("writing record"));
    m_worker->moveToThread(&m_thread);
    m_thread.start(QThread::LowPriority);
    QMetaObject::invokeMethod(
        m_worker, [this, setup = std::move(setup)] { load(setup); }, Qt::QueuedConnection);
}

WritingRecord::~WritingRecord() {
    QMetaObject::invokeMethod(
        m_worker, [this] { m_database.reset(); }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
    delete m_worker;
}

// On the worker. A new record (the first run with it, or one whose file was
// damaged or deleted) is filled from the entries before anything else.
void WritingRecord::load(Setup setup) {
    Loaded loaded;
    if (setup.databasePath.isEmpty()) {
        loaded.problem = tr("Your writing record can’t be kept: there is no data folder.");
    } else {
        m_database = std::make_unique<RecordDatabase>(setup.databasePath);
        const bool isNew = m_database->open();
        if (!m_database->isOpen()) {
            loaded.problem = tr("Your writing record can’t be kept: %1").arg(m_database->error());
            m_database.reset();
        } else {
            if (isNew)
                m_database->rebuild(setup.entriesFolder, setup.completedDays);
            if (!m_database->setAside().isEmpty())
                loaded.problem = tr("Your writing record was damaged. It was kept as “%1” and "
                                    "rebuilt from your entries.")
                                     .arg(QFileInfo(m_database->setAside()).fileName());
            loaded.days = m_database->days();
            loaded.completedSessions = m_database->completedSessions();
        }
    }
    QMetaObject::invokeMethod(
        this, [this, loaded] { takeLoaded(loaded); }, Qt::QueuedConnection);
}

// What this run recorded before the file was read stays on top of it.
void WritingRecord::takeLoaded(const Loaded& loaded) {
    if (m_isLoaded)
        return;
    m_days.clear();
    for (const DayRecord& day : loaded.days)
        m_days.insert(day.day, day);
    for (const DayRecord& day : std::as_const(m_changedBeforeLoad)) {
        DayRecord& kept = m_days[day.day];
        kept.day = day.day;
        kept.completed = kept.completed || day.completed;
        if (day.entryWords >= 0)
            kept.entryWords = day.entryWords;
        kept.wordsAdded = std::max(kept.wordsAdded, day.wordsAdded);
    }
    m_changedBeforeLoad.clear();
    m_completedSessions = loaded.completedSessions + m_sessionsBeforeLoad;
    m_problem = loaded.problem;
    m_isLoaded = true;
    Q_EMIT changed();
}

void WritingRecord::onWorker(std::function<void(RecordDatabase&)> work) {
    QMetaObject::invokeMethod(
        m_worker,
        [this, work = std::move(work)] {
            if (m_database)
                work(*m_database);
        },
        Qt::QueuedConnection);
}

void WritingRecord::sessionStarted(const QDateTime& start, const QString& day, qint64 words) {
    onWorker([start, date = dateOf(day), words](RecordDatabase& database) {
        database.addSessionStart(start, date, words);
    });
}

void WritingRecord::sessionEnded(const QDateTime& end, const QString& day, bool completed,
                                 qint64 words) {
    const QDate date = dateOf(day);
    onWorker([end, date, completed, words](RecordDatabase& database) {
        database.addSessionEnd(end, date, completed, words);
    });
    if (!completed || !date.isValid())
        return;
    DayRecord& record = m_days[date];
    record.day = date;
    record.completed = true;
    ++m_completedSessions;
    if (!m_isLoaded) {
        m_changedBeforeLoad[date].day = date;
        m_changedBeforeLoad[date].entryWords = -1;
        m_changedBeforeLoad[date].completed = true;
        ++m_sessionsBeforeLoad;
    }
    Q_EMIT changed();
    Q_EMIT sessionCompleted(streaks(end).current);
}

void WritingRecord::wordsWritten(const QString& day, qint64 entryWords, qint64 wordsAdded) {
    const QDate date = dateOf(day);
    if (!date.isValid())
        return;
    onWorker([date, entryWords, wordsAdded](RecordDatabase& database) {
        database.setDayWords(date, entryWords, wordsAdded);
    });
    DayRecord& record = m_days[date];
    record.day = date;
    if (entryWords >= 0)
        record.entryWords = entryWords;
    record.wordsAdded = wordsAdded;
    if (!m_isLoaded) {
        DayRecord& early = m_changedBeforeLoad[date];
        early.day = date;
        early.entryWords = entryWords;
        early.wordsAdded = wordsAdded;
    }
    Q_EMIT changed();
}

Streaks WritingRecord::streaks(const QDateTime& now) const {
    QList<QDate> completed;
    for (const DayRecord& day : m_days) {
        if (day.completed)
            completed.append(day.day);
    }
    return computeStreaks(std::move(completed), now);
}

// A day's words are the larger of its entry and what was added anywhere.
qint64 WritingRecord::totalWords() const {
    qint64 total = 0;
    for (const DayRecord& day : m_days)
        total += std::max(day.entryWords, day.wordsAdded);
    return total;
}

void WritingRecord::waitUntilIdle() {
    QMetaObject::invokeMethod(
        m_worker, [] {}, Qt::BlockingQueuedConnection);
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

} // namespace inkwarden
