// What the store hands the writing record: the live word count of the
// current document and the day's words, recorded at most once a minute.

#include "documents/storage_layout.h"
#include "record/session_recorder.h"
#include "store/clock.h"
#include "store/daily_schedule.h"
#include "store/settings_keys.h"
#include "store/settings_store.h"
#include "store/writing_store.h"

namespace inkwarden {
namespace {

constexpr qint64 kWordsRecordMilliseconds = 60'000;

} // namespace

bool WritingStore::isDayCompleted() const {
    return marker(keys::kLastCompletedDay) == m_currentDateKey;
}

// Counts arrive from the writer's thread in ticket order; one from before the
// last document switch describes a document no longer open.
void WritingStore::takeWordCount(quint64 ticket, qint64 words) {
    if (words < 0 || ticket <= m_countedWrite)
        return;
    m_countedWrite = ticket;
    setWordCount(words, true);
}

// Words added are the increases of one document's count: opening a document
// adds nothing, deleting and retyping a word adds it again.
void WritingStore::setWordCount(qint64 words, bool sameDocument) {
    if (const QString today = dayKey(m_clock.now()); today != m_wordsDay) {
        recordDayWords(true);
        m_wordsDay = today;
        m_wordsAdded = 0;
    }
    if (sameDocument && words > m_wordCount)
        m_wordsAdded += words - m_wordCount;
    m_wordsChanged = m_wordsChanged || words != m_wordCount;
    if (words != m_wordCount)
        publish(m_wordCount, words);
}

// The entry's own count is known only while it is the open document.
void WritingStore::recordDayWords(bool now) {
    if (!m_recorder || !m_wordsChanged)
        return;
    const QDateTime moment = m_clock.now();
    if (!now && m_wordsRecorded.isValid() &&
        qAbs(m_wordsRecorded.msecsTo(moment)) < kWordsRecordMilliseconds)
        return;
    const bool entryOpen = m_currentDocumentURL &&
                           m_currentDocumentURL->toLocalFile() == storage::entryPath(m_wordsDay);
    m_recorder->wordsWritten(m_wordsDay, entryOpen ? m_wordCount : -1, m_wordsAdded);
    m_wordsRecorded = moment;
    m_wordsChanged = false;
}

} // namespace inkwarden
