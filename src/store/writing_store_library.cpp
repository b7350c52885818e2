// The library: listing, named copies, opening, deleting, exporting and
// showing files. Nothing here reads, writes or deletes outside the two
// document folders, except an export to a place the person picked.

#include "documents/atomic_file.h"
#include "documents/document_names.h"
#include "documents/storage_layout.h"
#include "store/document_index.h"
#include "store/store_services.h"
#include "store/writing_store.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace inkwarden {
namespace {

const QString kEnterNameMessage = QStringLiteral("Enter a document name.");
const QString kCannotDeleteMessage =
    QStringLiteral("This document can\u2019t be deleted from the library.");

} // namespace

void WritingStore::refreshDocuments() {
    finishWrites(); // the list shows sizes and dates as they will be
    publish(m_documents, storage::listDocuments());
}

QString WritingStore::suggestedTitle() const {
    if (isLibraryDocument())
        return names::singleLineName(
            QFileInfo(m_currentDocumentURL->toLocalFile()).completeBaseName());
    return names::suggestedTitle(m_currentContent.text());
}

bool WritingStore::saveToLibrary(const QString& name) {
    finishWrites();
    const QString cleaned = names::cleanDocumentName(name);
    if (cleaned.isEmpty()) {
        setFileError(kEnterNameMessage);
        return false;
    }
    const QString folder = storage::documentsFolder();
    if (folder.isEmpty()) {
        setFileError(tr("There is no folder to keep documents in."));
        return false;
    }
    if (std::optional<QString> error = ensurePrivateFolder(folder)) {
        setFileError(error);
        return false;
    }
    const QString path = names::uniqueLibraryPath(folder, cleaned);
    if (std::optional<QString> error = storage::writeDocument(path, m_currentContent)) {
        setFileError(error);
        return false;
    }
    if (m_index)
        m_index->documentWritten(path, m_currentContent.text());
    const bool wasUntitled = !m_currentDocumentURL;
    publish(m_currentDocumentURL, std::optional<QUrl>(QUrl::fromLocalFile(path)));
    publish(m_hasUnsavedChanges, false);
    if (wasUntitled)
        forgetUntitledWriting();
    refreshDocuments();
    return true;
}

bool WritingStore::openDocument(const QUrl& url) {
    finishWrites();
    const QString path = storage::normalizedPath(url.toLocalFile());
    if (!storage::isInsideDocumentFolders(path, true)) {
        setFileError(
            tr("“%1” isn’t a document in the library.").arg(names::shownName(url.fileName())),
            FileTask::Opening);
        return false;
    }
    storage::ReadResult read = storage::readDocument(path);
    if (!read.ok()) {
        setFileError(read.error, FileTask::Opening);
        return false;
    }
    if (!confirmSaveBeforeLeaving())
        return false;
    switchDocument(QUrl::fromLocalFile(path), std::move(read.text));
    return true;
}

// The check is made on the path with "." and ".." resolved, and the removal
// uses that same path, so a link is removed as a link and never followed.
bool WritingStore::deleteDocument(const WritingDocument& document) {
    finishWrites(); // a write still running would bring the file back
    const QString target = storage::normalizedPath(document.url.toLocalFile());
    if (!document.url.isLocalFile() || !storage::isInsideDocumentFolders(target, false)) {
        setFileError(kCannotDeleteMessage);
        return false;
    }
    if (::unlink(names::nativePath(target).constData()) != 0) {
        setFileError(tr("Couldn’t delete “%1”: %2")
                         .arg(names::shownName(QFileInfo(target).fileName()),
                              QString::fromLocal8Bit(std::strerror(errno))));
        return false;
    }
    if (m_index)
        m_index->documentRemoved(target);
    if (m_currentDocumentURL &&
        storage::normalizedPath(m_currentDocumentURL->toLocalFile()) == target)
        switchDocument(std::nullopt, RichText());
    refreshDocuments();
    return true;
}

void WritingStore::exportCurrent() {
    if (!m_prompts)
        return;
    const QString proposed =
        m_currentDocumentURL
            ? names::singleLineName(QFileInfo(m_currentDocumentURL->toLocalFile()).fileName())
            : QStringLiteral("Untitled.rtf");
    const std::optional<QString> path =
        asking([&] { return m_prompts->chooseExportPath(proposed); });
    if (!path || path->isEmpty())
        return;
    if (std::optional<QString> error = storage::writeDocument(*path, m_currentContent, false))
        setFileError(error);
    else
        setNotice(tr("Exported “%1”.").arg(names::shownName(QFileInfo(*path).fileName())));
}

void WritingStore::revealCurrentInFinder() {
    if (m_currentDocumentURL)
        revealDocument(*m_currentDocumentURL);
}

void WritingStore::revealDocument(const QUrl& url) {
    finishWrites();
    if (m_fileViewer && url.isLocalFile())
        m_fileViewer->showFile(url.toLocalFile());
}

} // namespace inkwarden
