#include "search/search_index.h"

#include "documents/rtf/rtf.h"
#include "documents/storage_layout.h"
#include "search/index_database.h"
#include "search/search_query.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

namespace inkwarden {
namespace {

// Files read per transaction while catching up: a search waits for one batch at most.
constexpr int kReadBatch = 20;
// Under contention the index gets about a tenth of what the typing gets.
constexpr int kBackgroundNiceness = 10;
// Larger files are indexed by name only; they cannot be opened either.
constexpr qint64 kLargestIndexedFile = 256LL * 1024 * 1024;

IndexDatabase::Stamp stampOf(const QFileInfo& file) {
    return {file.size(), file.lastModified().toMSecsSinceEpoch()};
}

QString titleOf(const QString& path) {
    return QFileInfo(path).completeBaseName();
}

// The text of an RTF file, or nothing when it cannot be read. Read directly
// rather than through the document layer, which takes every read as the
// version its next save must find in place.
QString plainTextOf(const QString& path) {
    QFile file(path);
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > kLargestIndexedFile || !file.open(QIODevice::ReadOnly))
        return {};
    const rtf::ReadResult decoded = rtf::read(file.readAll(), storage::kLongestOpenableDocument);
    return decoded.ok() ? decoded.text.text() : QString();
}

bool isIndexed(const QString& path) {
    return storage::isInsideDocumentFolders(storage::normalizedPath(path), false);
}

} // namespace

SearchIndex::SearchIndex(QString databasePath, QObject* parent)
    : QObject(parent)
    , m_databasePath(std::move(databasePath))
    , m_thread([this] { run(); }) {}

SearchIndex::~SearchIndex() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_flushAsked = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

QString SearchIndex::defaultPath() {
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    return cache.isEmpty() ? QString() : cache + QStringLiteral("/Inkwarden/search.sqlite");
}

void SearchIndex::catchUp() {
    {
        const std::lock_guard lock(m_mutex);
        m_catchUpAsked = true;
    }
    m_wake.notify_one();
}

void SearchIndex::search(const QString& typed) {
    {
        const std::lock_guard lock(m_mutex);
        m_query = typed;
    }
    m_wake.notify_one();
}

void SearchIndex::documentWritten(const QString& path, const QString& text) {
    {
        const std::lock_guard lock(m_mutex);
        // Replacing a long document's row takes a core for a while: done in
        // a pause of the typing, and put off no longer than kLongestSaveDelay.
        const Clock::time_point now = Clock::now();
        const auto waiting = m_changes.constFind(path);
        const Clock::time_point first = waiting != m_changes.cend() ? waiting->first : now;
        const Clock::time_point due =
            std::clamp(now + kYieldToWriting, first + kSaveDelay, first + kLongestSaveDelay);
        m_changes.insert(path, Change{text, due, first});
        m_lastWrite = now;
    }
    m_wake.notify_one();
}

void SearchIndex::documentRemoved(const QString& path) {
    {
        const std::lock_guard lock(m_mutex);
        const Clock::time_point now = Clock::now();
        m_changes.insert(path, Change{std::nullopt, now, now});
    }
    m_wake.notify_one();
}

void SearchIndex::waitUntilIdle() {
    std::unique_lock lock(m_mutex);
    m_flushAsked = true;
    m_wake.notify_one();
    m_idle.wait(lock, [this] { return !m_busy && !hasWorkLocked(); });
    m_flushAsked = false;
}

bool SearchIndex::hasWorkLocked() const {
    return m_query || !m_changes.isEmpty() || m_catchUpAsked || !m_toRead.empty();
}

// Searches first, then the store's changes that are due, then catching up,
// one batch at a time so a search never waits long.
void SearchIndex::run() {
    // Linux keeps a nice value per thread: reading years of writing yields the
    // cores to typing and drawing. Not idle-only: a search must still be
    // answered while another program keeps every core busy.
    ::setpriority(PRIO_PROCESS, ::gettid(), kBackgroundNiceness);
    IndexDatabase database(m_databasePath);
    database.open();
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_busy = true;
        if (m_query) {
            const QString typed = *std::exchange(m_query, std::nullopt);
            lock.unlock();
            const QList<search::Term> terms = search::parse(typed);
            QList<Match> found;
            for (const IndexDatabase::Match& match :
                 database.matches(search::ftsQuery(terms), kRanked, kMostResults))
                found.append(Match{match.path, search::snippet(match.text, terms)});
            QMetaObject::invokeMethod(
                this, [this, typed, found] { Q_EMIT resultsReady(typed, found); },
                Qt::QueuedConnection);
            lock.lock();
            continue;
        }
        QHash<QString, Change> due;
        const Clock::time_point now = Clock::now();
        std::optional<Clock::time_point> next;
        for (auto change = m_changes.begin(); change != m_changes.end();) {
            if (m_flushAsked || change->due <= now) {
                due.insert(change.key(), *change);
                change = m_changes.erase(change);
            } else {
                next = next ? std::min(*next, change->due) : change->due;
                ++change;
            }
        }
        if (!due.isEmpty()) {
            lock.unlock();
            applyChanges(database, std::move(due));
            lock.lock();
            m_wroteSinceIdle = true;
        } else if (m_stopping) {
            break;
        } else if (std::exchange(m_catchUpAsked, false)) {
            lock.unlock();
            planCatchUp(database);
            lock.lock();
            m_wroteSinceIdle = true;
        } else if (!m_toRead.empty()) {
            // Catching up waits while the writing is being saved: the one
            // who types needs the cores more than the one who may search.
            const Clock::time_point resume = m_lastWrite + kYieldToWriting;
            if (!m_flushAsked && now < resume)
                m_wake.wait_until(lock, next ? std::min(*next, resume) : resume);
            else
                readSome(database, lock);
        } else {
            if (std::exchange(m_wroteSinceIdle, false)) {
                lock.unlock();
                database.releaseMemory();
                // The thread's own allocations (decoded documents, FTS5's
                // pending lists) go back to the system, not just to malloc.
                ::malloc_trim(0);
                lock.lock();
                continue;
            }
            m_busy = false;
            m_idle.notify_all();
            // Woken by any request; the loop looks again at what is due.
            if (next)
                m_wake.wait_until(lock, *next);
            else
                m_wake.wait(lock);
        }
    }
    m_busy = false;
    m_idle.notify_all();
}

void SearchIndex::applyChanges(IndexDatabase& database, QHash<QString, Change> changes) {
    database.begin();
    for (auto change = changes.cbegin(); change != changes.cend(); ++change) {
        const QString& path = change.key();
        if (!isIndexed(path))
            continue;
        const QFileInfo file(path);
        if (change->text && file.exists())
            database.replace(path, stampOf(file), titleOf(path), *change->text);
        else
            database.remove(path);
    }
    database.commit();
}

// The folders are listed by name and date only; a file is read when the
// index holds none or another size or time for it. Rows of files gone are
// removed at once.
void SearchIndex::planCatchUp(IndexDatabase& database) {
    QHash<QString, IndexDatabase::Stamp> indexed = database.stamps();
    std::deque<QString> stale;
    for (const WritingDocument& document : storage::listDocuments()) {
        const QString path = document.url.toLocalFile();
        const auto found = indexed.constFind(path);
        if (found == indexed.cend() || *found != stampOf(QFileInfo(path)))
            stale.push_back(path);
        indexed.remove(path);
    }
    database.begin();
    for (auto gone = indexed.cbegin(); gone != indexed.cend(); ++gone)
        database.remove(gone.key());
    database.commit();
    {
        const std::lock_guard lock(m_mutex);
        m_toRead = std::move(stale);
        m_done = 0;
        m_total = int(m_toRead.size());
    }
    announceProgress();
}

// One batch; called and returning with the lock held.
void SearchIndex::readSome(IndexDatabase& database, std::unique_lock<std::mutex>& lock) {
    QStringList batch;
    while (!m_toRead.empty() && batch.size() < kReadBatch) {
        batch.append(m_toRead.front());
        m_toRead.pop_front();
    }
    lock.unlock();
    database.begin();
    for (const QString& path : std::as_const(batch)) {
        const QFileInfo file(path);
        if (file.exists())
            database.replace(path, stampOf(file), titleOf(path), plainTextOf(path));
    }
    database.commit();
    m_done += int(batch.size());
    announceProgress();
    lock.lock();
}

void SearchIndex::announceProgress() {
    const int done = m_done, total = m_total;
    QMetaObject::invokeMethod(
        this, [this, done, total] { Q_EMIT progressChanged(done, total); }, Qt::QueuedConnection);
}

} // namespace inkwarden
