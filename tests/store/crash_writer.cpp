// The process the crash-consistency test kills: it saves a growing library
// document through the store, and a counter in the settings after each save,
// as fast as it can until SIGKILL ends it. Each run goes on from what the
// last one left on disk. Prints "ready" once the first save of the run is
// done. Exits non-zero only when a save fails. With "--background" the store
// writes on its writer thread, as the program does.
#include "crash_states.h"
#include "documents/storage_layout.h"
#include "fakes/standalone_store.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QUrl>
#include <cstdio>

using namespace inkwarden;
using namespace inkwarden::testing;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    StandaloneStore standalone;
    WritingStore& store = standalone.store;
    SettingsStore& settings = standalone.settings;
    const bool background = argc > 1 && qstrcmp(argv[1], "--background") == 0;
    store.setWritesInBackground(background);

    const QString path = storage::documentsFolder() + QStringLiteral("/Crash story.rtf");
    int state = 1;
    if (QFileInfo::exists(path)) {
        if (!store.openDocument(QUrl::fromLocalFile(path))) {
            std::fprintf(stderr, "crash_writer: could not open %s\n", qPrintable(path));
            return 2;
        }
        state = crashStateNumber(store.currentContent().text()) + 1;
        store.saveEntry(crashState(state));
    } else {
        store.saveEntry(crashState(state));
        if (!store.saveToLibrary(QStringLiteral("Crash story")))
            return 2;
    }
    store.finishWrites();
    settings.setInteger(QStringLiteral("crashTestState"), state);
    std::puts("ready");
    std::fflush(stdout);

    for (int saves = 0; saves < 100000; ++saves) {
        store.saveEntry(crashState(++state));
        if (!background && store.hasUnsavedChanges()) {
            std::fprintf(stderr, "crash_writer: %s\n",
                         qPrintable(store.fileError().value_or(QStringLiteral("save failed"))));
            return 3;
        }
        settings.setInteger(QStringLiteral("crashTestState"), state);
    }
    return 0;
}
