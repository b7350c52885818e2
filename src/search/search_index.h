#pragma once

#include "store/document_index.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

namespace inkwarden {

class IndexDatabase;

// The full-text search over every document: keeps the index database
// current from the store's writes and deletions and from the folders at
// launch, and answers searches. All database work runs on a thread of its
// own; searches go before the indexing waiting behind them. Signals arrive
// on the thread that made the index (the main thread).
class SearchIndex final : public QObject, public DocumentIndex {
    Q_OBJECT
public:
    struct Match {
        QString path;
        QString snippet; // the words around the first match, each marked \x01 … \x02
    };
    // Typing saves a document every few keystrokes; its row is replaced with
    // the newest text at most this often, once the saves pause for
    // kYieldToWriting, and at least this often while they never do.
    static constexpr std::chrono::milliseconds kSaveDelay{3000};
    static constexpr std::chrono::milliseconds kLongestSaveDelay{30000};
    // Also how long after the last save files are read again while catching up.
    static constexpr std::chrono::milliseconds kYieldToWriting{1000};
    // A search shows the best kMostResults of the first kRanked documents that match.
    static constexpr int kMostResults = 100;
    static constexpr int kRanked = 300;

    // `databasePath`: where the index lives, made when missing.
    explicit SearchIndex(QString databasePath, QObject* parent = nullptr);
    // Writes what the store sent and stops; any catching up is left for the next launch.
    ~SearchIndex() override;

    // $XDG_CACHE_HOME/Inkwarden/search.sqlite
    static QString defaultPath();

    // Compares the index with the document folders (names, sizes and dates
    // only) and re-reads, newest first, every file it does not hold as it is.
    void catchUp();
    // Answered with resultsReady; a newer search replaces one not yet begun.
    void search(const QString& typed);
    // Documents read so far by the current catching up, and how many it reads.
    std::pair<int, int> progress() const { return {m_done.load(), m_total.load()}; }
    // Blocks until every request so far is done, delayed saves included.
    void waitUntilIdle();

    void documentWritten(const QString& path, const QString& text) override;
    void documentRemoved(const QString& path) override;

Q_SIGNALS:
    void resultsReady(const QString& typed, const QList<inkwarden::SearchIndex::Match>& matches);
    void progressChanged(int done, int total);

private:
    struct Change {
        std::optional<QString> text; // none: the document was deleted
        std::chrono::steady_clock::time_point due;
        std::chrono::steady_clock::time_point first; // when the oldest unindexed write came
    };
    using Clock = std::chrono::steady_clock;
    // On the index's own thread.
    void run();
    void applyChanges(IndexDatabase& database, QHash<QString, Change> changes);
    void planCatchUp(IndexDatabase& database);
    void readSome(IndexDatabase& database, std::unique_lock<std::mutex>& lock);
    void announceProgress();

    bool hasWorkLocked() const;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::optional<QString> m_query;
    QHash<QString, Change> m_changes;
    std::deque<QString> m_toRead;
    bool m_catchUpAsked = false;
    bool m_flushAsked = false;
    bool m_busy = false;
    bool m_wroteSinceIdle = false; // the index thread's own
    Clock::time_point m_lastWrite;
    bool m_stopping = false;
    std::atomic<int> m_done = 0;
    std::atomic<int> m_total = 0;
    const QString m_databasePath;
    std::thread m_thread; // last: started once everything above exists
};

} // namespace inkwarden
