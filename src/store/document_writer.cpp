#include "store/document_writer.h"

#include "documents/document_names.h"
#include "documents/storage_layout.h"
#include "record/word_count.h"
#include "store/document_index.h"

#include <QFileInfo>
#include <exception>

namespace inkwarden {

DocumentWriter::DocumentWriter(Finished finished)
    : m_finished(std::move(finished))
    , m_thread([this] { run(); }) {}

DocumentWriter::~DocumentWriter() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

quint64 DocumentWriter::write(const QString& path, const RichText& content,
                              const QDateTime& asked) {
    quint64 ticket;
    {
        const std::lock_guard lock(m_mutex);
        ticket = ++m_nextTicket;
        auto waiting = std::find_if(m_jobs.begin(), m_jobs.end(),
                                    [&path](const Job& job) { return job.path == path; });
        if (waiting != m_jobs.end())
            *waiting = Job{ticket, path, content, asked};
        else
            m_jobs.push_back(Job{ticket, path, content, asked});
    }
    m_wake.notify_one();
    return ticket;
}

void DocumentWriter::setIndex(DocumentIndex* index) {
    const std::lock_guard lock(m_mutex);
    m_index = index;
}

std::optional<DocumentWriter::Result> DocumentWriter::waitUntilIdle() {
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return m_jobs.empty() && !m_running; });
    return m_lastResult;
}

void DocumentWriter::run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return !m_jobs.empty() || m_stopping; });
        if (m_jobs.empty())
            return; // stopping, and everything asked for is written
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        m_running = true;
        DocumentIndex* index = m_index;
        lock.unlock();

        Result result{job.ticket, job.path, std::nullopt, {}};
        result.words = countWords(job.content.text());
        try {
            storage::GuardedWrite written =
                storage::writeDocumentGuarded(job.path, job.content, job.asked);
            result.error = std::move(written.error);
            result.copy = std::move(written.copy);
            if (index && !result.error)
                index->documentWritten(result.copy.isEmpty() ? job.path : result.copy,
                                       job.content.text());
        } catch (const std::exception&) {
            // Out of memory while encoding: reported like any failed save, so
            // the text stays in the editor and the person is told.
            result.error = QStringLiteral("Couldn’t write “%1”: there is not enough memory.")
                               .arg(names::shownName(QFileInfo(job.path).fileName()));
        }
        // Released here, not under the lock: the content may be large.
        job = Job{};
        m_finished(result);

        lock.lock();
        m_lastResult = std::move(result);
        m_running = false;
        if (m_jobs.empty())
            m_idle.notify_all();
    }
}

} // namespace inkwarden
