// The current document: titles, saving every change, switching, and asking
// before unsaved writing would be lost.

#include "documents/document_names.h"
#include "documents/storage_layout.h"
#include "record/word_count.h"
#include "store/clock.h"
#include "store/daily_schedule.h"
#include "store/document_index.h"
#include "store/store_services.h"
#include "store/writing_store.h"

#include <QFileInfo>

namespace inkwarden {

QUrl WritingStore::entryURL() const {
    return QUrl::fromLocalFile(storage::entryPath(m_currentDateKey));
}

// Folders are compared as they are, without resolving links: documents only
// become current through paths built from the same folder functions.
bool WritingStore::currentFolderIs(const QString& folder) const {
    return m_currentDocumentURL && !folder.isEmpty() &&
           QFileInfo(m_currentDocumentURL->toLocalFile()).path() == folder;
}

QString WritingStore::currentTitle() const {
    if (!m_currentDocumentURL)
        return QStringLiteral("Untitled");
    return storage::displayTitle(m_currentDocumentURL->toLocalFile(),
                                 currentFolderIs(storage::entriesFolder()));
}

bool WritingStore::isLibraryDocument() const {
    return currentFolderIs(storage::documentsFolder());
}

void WritingStore::saveEntry(const RichText& content) {
    m_currentContent = content;
    if (!m_currentDocumentURL) {
        if (!m_writer)
            setWordCount(countWords(content.text()), true);
        publish(m_hasUnsavedChanges, !content.isEmpty());
        mirrorUntitledWriting(content);
        return;
    }
    const QString path = m_currentDocumentURL->toLocalFile();
    if (!storage::isInsideDocumentFolders(path, true)) {
        finishWrites();
        takeWriteOutcome(path,
                         tr("“%1” is no longer a document in the library.")
                             .arg(names::shownName(QFileInfo(path).fileName())),
                         {});
        return;
    }
    if (m_writer) {
        // The outcome arrives with takeWriteResult(); until then the flag
        // keeps what the last finished write said.
        m_latestWrite = m_issuedWrite = m_writer->write(path, content, m_clock.now());
        return;
    }
    setWordCount(countWords(content.text()), true);
    storage::GuardedWrite written = storage::writeDocumentGuarded(path, content, m_clock.now());
    if (m_index && !written.error)
        m_index->documentWritten(written.copy.isEmpty() ? path : written.copy, content.text());
    takeWriteOutcome(path, written.error, written.copy);
}

void WritingStore::setDocumentIndex(DocumentIndex* index) {
    m_index = index;
    if (m_writer)
        m_writer->setIndex(index);
}

void WritingStore::setWritesInBackground(bool background) {
    if (background == (m_writer != nullptr))
        return;
    if (!background) {
        finishWrites();
        m_writer.reset();
        return;
    }
    // A new writer numbers its writes from the start again.
    m_latestWrite = m_appliedWrite = m_issuedWrite = m_countedWrite = 0;
    m_writer = std::make_unique<DocumentWriter>([this](const DocumentWriter::Result& result) {
        QMetaObject::invokeMethod(
            this, [this, result] { takeWriteResult(result); }, Qt::QueuedConnection);
    });
    m_writer->setIndex(m_index);
}

void WritingStore::finishWrites() {
    if (!m_writer)
        return;
    if (const std::optional<DocumentWriter::Result> last = m_writer->waitUntilIdle())
        takeWriteResult(*last);
}

// A failure is reported at once, even when newer writes are already queued
// (a slow or failing disk under fast typing would otherwise never warn);
// only the newest write's success clears the flag. Outcomes come in ticket
// order and each is taken in once, whichever comes first: the writer's
// queued report or finishWrites().
void WritingStore::takeWriteResult(const DocumentWriter::Result& result) {
    takeWordCount(result.ticket, result.words);
    if (result.ticket <= m_appliedWrite || (result.ticket != m_latestWrite && !result.error))
        return;
    m_appliedWrite = result.ticket;
    takeWriteOutcome(result.path, result.error, result.copy);
}

// A failed write is shown in the window, never in an alert: an alert would
// take the keys the person is still typing. When another program changed
// the file, our text went to a conflict copy, which the editor now follows.
void WritingStore::takeWriteOutcome(const QString& path, const std::optional<QString>& error,
                                    const QString& copy) {
    if (!m_currentDocumentURL || m_currentDocumentURL->toLocalFile() != path)
        return;
    publish(m_hasUnsavedChanges, error.has_value());
    publish(m_writeProblem, error);
    if (error || copy.isEmpty())
        return;
    publish(m_currentDocumentURL, std::optional<QUrl>(QUrl::fromLocalFile(copy)));
    publish(m_notice, tr("“%1” was changed by another program. Both versions are kept: yours "
                         "continues as “%2”.")
                          .arg(names::shownName(QFileInfo(path).completeBaseName()),
                               names::shownName(QFileInfo(copy).completeBaseName())));
}

// Only when the editor holds nothing newer than the file's last version of
// ours; otherwise the next write keeps both versions.
void WritingStore::reloadIfChangedElsewhere() {
    if (!m_currentDocumentURL || m_hasUnsavedChanges || m_latestWrite > m_appliedWrite)
        return;
    const QString path = m_currentDocumentURL->toLocalFile();
    if (!storage::changedElsewhere(path))
        return;
    storage::ReadResult read = storage::readDocument(path);
    if (!read.ok())
        return; // perhaps still being written; the next heartbeat looks again
    switchDocument(m_currentDocumentURL, std::move(read.text));
    publish(m_notice, tr("“%1” was changed by another program and has been reloaded.")
                          .arg(names::shownName(QFileInfo(path).completeBaseName())));
}

// Today's entry: its text when the file exists, else empty (its first change
// creates it). One that cannot be read is never taken over, since the next
// keystroke would overwrite it.
void WritingStore::openTodaysEntry() {
    const QUrl today = entryURL();
    const QString path = today.toLocalFile();
    if (path.isEmpty())
        return;
    if (const QFileInfo file(path); !file.exists() && !file.isSymLink()) {
        switchDocument(today, RichText());
        return;
    }
    storage::ReadResult read =
        storage::isInsideDocumentFolders(path, true)
            ? storage::readDocument(path)
            : storage::ReadResult{{},
                                  tr("“%1” isn’t a document in the library.")
                                      .arg(names::shownName(QFileInfo(path).fileName()))};
    if (!read.ok()) {
        setFileError(read.error, FileTask::Opening);
        return;
    }
    switchDocument(today, std::move(read.text));
}

// Untitled writing left by a run that ended without asking (a crash, a kill,
// a power cut) comes back as it was: untitled, unsaved.
void WritingStore::recoverUntitledWriting() {
    const QString path = storage::recoveryPath();
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return;
    storage::ReadResult read = storage::readDocument(path);
    if (!read.ok() || read.text.isEmpty())
        return; // left in place: never removed unread
    m_currentContent = std::move(read.text);
    m_hasUnsavedChanges = true;
    m_notice = tr("Writing that wasn’t saved when Inkwarden last closed has been recovered.");
}

void WritingStore::mirrorUntitledWriting(const RichText& content) {
    const QString path = storage::recoveryPath();
    if (path.isEmpty())
        return;
    if (content.isEmpty()) {
        forgetUntitledWriting();
        return;
    }
    if (m_writer)
        m_issuedWrite = m_writer->write(path, content, m_clock.now());
    else
        storage::writeDocument(path, content);
}

// After the writes still queued, so none brings the file back.
void WritingStore::forgetUntitledWriting() {
    finishWrites();
    if (const QString path = storage::recoveryPath(); !path.isEmpty())
        QFile::remove(path);
}

void WritingStore::switchDocument(std::optional<QUrl> url, RichText content) {
    finishWrites();
    m_currentContent = std::move(content);
    m_countedWrite = m_issuedWrite; // what the writer still reports was another document's
    setWordCount(countWords(m_currentContent.text()), false);
    publish(m_currentDocumentURL, std::move(url));
    publish(m_hasUnsavedChanges, false);
    publish(m_writeProblem, std::nullopt);
    publish(m_documentRevision, QUuid::createUuid());
}

bool WritingStore::confirmSaveBeforeLeaving() {
    finishWrites();
    if (!m_hasUnsavedChanges)
        return true;
    if (!m_prompts)
        return false;
    const DocumentPrompts::LeaveAnswer answer =
        asking([&] { return m_prompts->askToSaveBeforeLeaving(suggestedTitle()); });
    switch (answer.choice) {
    case DocumentPrompts::LeaveChoice::Save:
        return saveToLibrary(answer.name);
    case DocumentPrompts::LeaveChoice::DontSave:
        if (!m_currentDocumentURL)
            forgetUntitledWriting();
        return true;
    case DocumentPrompts::LeaveChoice::Cancel:
        break;
    }
    return false;
}

bool WritingStore::newDocument() {
    if (!confirmSaveBeforeLeaving())
        return false;
    switchDocument(std::nullopt, RichText());
    return true;
}

void WritingStore::saveCurrent() {
    if (isLibraryDocument()) {
        saveEntry(m_currentContent);
        finishWrites(); // Save says at once whether it worked
        if (m_writeProblem)
            setFileError(m_writeProblem);
    } else
        setIsSavePresented(true);
}

// The previous day's entry was written on every change, so nothing is asked
// here; the new day's file appears with its first change. Two cases would
// lose writing and are handled apart: text whose last write failed is
// written again first and, if that fails too, the old entry stays open; and
// a file for the new day that cannot be read (or lies outside our folders)
// is never taken over, since the next keystroke would overwrite it.
void WritingStore::moveDailyEntryToTodayIfNeeded() {
    finishWrites();
    const bool dailyEntryWasOpen =
        m_currentDocumentURL &&
        (*m_currentDocumentURL == entryURL() || m_currentDocumentURL == m_entryLeftBehind);
    publish(m_currentDateKey, dayKey(m_clock.now()));
    m_entryLeftBehind.reset();
    if (!dailyEntryWasOpen)
        return;
    if (m_hasUnsavedChanges) {
        saveEntry(m_currentContent);
        finishWrites();
        if (m_hasUnsavedChanges) {
            // Moved by the first write that works (see tick()).
            m_entryLeftBehind = m_currentDocumentURL;
            return;
        }
    }
    const QUrl today = entryURL();
    const QString path = today.toLocalFile();
    const QFileInfo file(path);
    if (!file.exists() && !file.isSymLink()) {
        switchDocument(today, RichText());
        return;
    }
    storage::ReadResult read =
        storage::isInsideDocumentFolders(path, true)
            ? storage::readDocument(path)
            : storage::ReadResult{{},
                                  tr("“%1” isn’t a document in the library.").arg(file.fileName())};
    if (read.ok()) {
        switchDocument(today, std::move(read.text));
        return;
    }
    switchDocument(std::nullopt, RichText());
    setFileError(read.error, FileTask::Opening);
}

} // namespace inkwarden
