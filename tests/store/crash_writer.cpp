// The process the crash-consistency test kills: it saves a growing library
// document through the store, and a counter in the settings after each save,
// until SIGKILL ends it, each run going on from what the last one left.
// Prints "ready" once the first save of the run is done; exits non-zero only
// when a save fails. "--background" writes on the writer thread, as the
// program does. With "--session" or "--untitled" it types instead, for ever,
// in a session started from an empty launch or in a new untitled document.
#include "crash_states.h"
#include "documents/storage_layout.h"
#include "fakes/standalone_store.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QUrl>
#include <cstdio>

using namespace inkwarden;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    testing::StandaloneStore standalone;
    WritingStore& store = standalone.store;
    const QStringList arguments = app.arguments();
    const bool background = arguments.contains(QStringLiteral("--background"));
    store.setWritesInBackground(background);
    if (arguments.contains(QStringLiteral("--session")))
        store.startSession();
    else if (arguments.contains(QStringLiteral("--untitled")))
        store.newDocument();
    if (store.isSessionActive() || arguments.contains(QStringLiteral("--untitled"))) {
        QString typed = QStringLiteral("Words");
        for (int key = 0; key < 100000; ++key) {
            RichTextBuilder text;
            text.append(typed += u'.',
                        TextRun{0, 0, QStringLiteral("Georgia"), 21, false, false, {}, {}});
            store.saveEntry(text.take());
            if (key == 0) {
                store.finishWrites();
                std::puts("ready"), std::fflush(stdout);
            }
        }
        return 3;
    }
    const QString path = storage::documentsFolder() + QStringLiteral("/Crash story.rtf");
    const bool exists = QFileInfo::exists(path);
    if (exists && !store.openDocument(QUrl::fromLocalFile(path)))
        return 2;
    int state = int(store.currentContent().text().count(u'\n')) + 1;
    store.saveEntry(testing::crashState(state));
    if (!exists && !store.saveToLibrary(QStringLiteral("Crash story")))
        return 2;
    store.finishWrites();
    standalone.settings.setInteger(QStringLiteral("crashTestState"), state);
    std::puts("ready"), std::fflush(stdout);
    // A cap, so that a writer whose test is gone does not run for ever.
    for (int saves = 0; saves < 100000 && (background || !store.hasUnsavedChanges()); ++saves) {
        store.saveEntry(testing::crashState(++state));
        standalone.settings.setInteger(QStringLiteral("crashTestState"), state);
    }
    return 3;
}
