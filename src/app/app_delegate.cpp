#include "app/app_delegate.h"

#include "documents/document_names.h"
#include "store/writing_store.h"

#include <QCoreApplication>

namespace inkwarden {
namespace {

constexpr int kEndAndQuit = 1;

// A document with a file has unsaved changes only after a write failed: try
// it once more, then fall back to a copy. Untitled writing becomes a library
// copy named after its first line; the library never overwrites a name.
bool keepUnsavedWriting(WritingStore& store) {
    store.finishWrites();
    if (!store.hasUnsavedChanges())
        return true;
    if (store.currentDocumentURL()) {
        const RichText content = store.currentContent();
        store.saveEntry(content);
        store.finishWrites();
        if (!store.hasUnsavedChanges())
            return true;
    }
    // Nobody can be asked for a name: a first line that makes none ("...")
    // still leaves the writing a file.
    const QString name = names::cleanDocumentName(store.suggestedTitle());
    return store.saveToLibrary(name.isEmpty() ? QStringLiteral("Untitled") : name);
}

} // namespace

AppDelegate::AppDelegate(Ask ask)
    : m_ask(std::move(ask)) {}

bool AppDelegate::applicationShouldTerminate() {
    QPointer<WritingStore> store = m_store;
    if (!store)
        return true;
    if (store->isSessionActive()) {
        const int answer =
            m_ask(QCoreApplication::translate("inkwarden", "End this writing session?"),
                  QCoreApplication::translate("inkwarden", "You can leave early if you need to."),
                  {QCoreApplication::translate("inkwarden", "Keep Writing"),
                   QCoreApplication::translate("inkwarden", "End and Quit")});
        if (answer != kEndAndQuit || !store)
            return false;
    }
    if (!store->confirmSaveBeforeLeaving())
        return false;
    store->setIsTerminationApproved(true);
    // Read again: the session may have ended while the questions were open.
    if (store->isSessionActive())
        store->endSession(false);
    return true;
}

bool AppDelegate::endWithoutAsking() {
    QPointer<WritingStore> store = m_store;
    if (!store)
        return true;
    const bool kept = keepUnsavedWriting(*store);
    if (!kept)
        qWarning("Inkwarden is ending and could not save the unsaved writing");
    store->setIsTerminationApproved(true);
    if (store->isSessionActive())
        store->endSession(false);
    return kept;
}

} // namespace inkwarden
