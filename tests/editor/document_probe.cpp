// Opens one library document as the program does (the store reads it, a new
// editor shows it) and prints what happened as one JSON line:
//   {"ok": true, "error": "", "characters": 1234, "growthKiB": 560, "milliseconds": 12}
// growthKiB is the peak resident size beyond what the process had before it
// opened the file. Run as its own process so each file is measured alone.
#include "editor/placeholder_text_view.h"
#include "editor/rich_text_editor.h"
#include "fakes/standalone_store.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextDocument>
#include <QUrl>
#include <cstdio>

using namespace inkwarden;
using namespace inkwarden::testing;

namespace {

// A field of /proc/self/status in KiB ("VmRSS", "VmHWM").
qint64 statusKiB(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

// Starts the peak over again, so VmHWM shows the opening alone.
void resetPeak() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: document_probe LIBRARY-FILE.rtf\n");
        return 2;
    }
    StandaloneStore standalone;
    WritingStore& store = standalone.store;
    // The widgets' own first-use costs (fonts, styles) belong to start-up.
    {
        RichTextEditor warmUp(store);
        warmUp.show();
        QApplication::processEvents();
    }

    resetPeak();
    const qint64 before = statusKiB("VmRSS");
    QElapsedTimer timer;
    timer.start();
    const bool ok = store.openDocument(QUrl::fromLocalFile(QString::fromLocal8Bit(argv[1])));
    RichTextEditor editor(store);
    editor.resize(952, 700);
    editor.show();
    QApplication::processEvents();
    const qint64 milliseconds = timer.elapsed();
    const qint64 growth = statusKiB("VmHWM") - before;

    const QJsonObject result{
        {QStringLiteral("ok"), ok},
        {QStringLiteral("error"), store.fileError().value_or(QString())},
        {QStringLiteral("characters"), editor.textView().document()->characterCount() - 1},
        {QStringLiteral("growthKiB"), growth},
        {QStringLiteral("milliseconds"), milliseconds},
    };
    std::puts(QJsonDocument(result).toJson(QJsonDocument::Compact).constData());
    return 0;
}
