#pragma once

#include "documents/rich_text.h"

#include <QDateTime>
#include <QString>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace inkwarden {

class DocumentIndex;

// Encodes and writes documents on a thread of its own, so a keystroke in a
// long document never waits for the RTF encoder or the disk. Writes run in
// the order asked; a request for a file that already has one waiting replaces
// it (only the newest text of a file is worth writing). Thread-safe.
class DocumentWriter {
public:
    struct Result {
        quint64 ticket = 0;
        QString path;
        std::optional<QString> error; // a user-readable message on failure
        QString copy;      // where the text went instead, when another program changed the file
        qint64 words = -1; // the text's word count, counted here rather than on a keystroke
    };
    // Called on the writer's thread after each write.
    using Finished = std::function<void(const Result&)>;

    explicit DocumentWriter(Finished finished);
    // Finishes every write already asked for, then stops the thread.
    ~DocumentWriter();
    DocumentWriter(const DocumentWriter&) = delete;
    DocumentWriter& operator=(const DocumentWriter&) = delete;

    // Queues the write and answers its ticket; tickets only grow. `asked`
    // names a conflict copy, should one be needed (see writeDocumentGuarded).
    quint64 write(const QString& path, const RichText& content, const QDateTime& asked);
    // Told of each document written, with its text; none by default.
    void setIndex(DocumentIndex* index);
    // Blocks until nothing is queued or running, then answers the result of
    // the last write made, if any.
    std::optional<Result> waitUntilIdle();

private:
    struct Job {
        quint64 ticket;
        QString path;
        RichText content;
        QDateTime asked;
    };
    void run();

    Finished m_finished;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<Job> m_jobs;
    std::optional<Result> m_lastResult;
    quint64 m_nextTicket = 0;
    bool m_running = false;
    bool m_stopping = false;
    DocumentIndex* m_index = nullptr;
    std::thread m_thread; // last: started once everything above exists
};

} // namespace inkwarden
