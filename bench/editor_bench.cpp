// One keystroke as a person makes it: the key press reaches the editor, the
// line-break scan and the conversion run over the whole text, and saveEntry
// encodes it and writes it durably to a real file. Reports the median and the
// 99th percentile per keystroke for documents of 1,000 to 50,000 words.

#include "bench_support.h"
#include "editor/placeholder_text_view.h"
#include "editor/rich_text_editor.h"
#include "store/clock.h"
#include "store/settings_store.h"
#include "store/store_services.h"
#include "store/writing_store.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <benchmark/benchmark.h>

namespace {

using namespace inkwarden;

using bench::IgnoringServices;
using bench::sampleWriting;

double percentile(std::vector<double> samples, double fraction) {
    std::sort(samples.begin(), samples.end());
    return samples[std::min(samples.size() - 1, size_t(fraction * double(samples.size())))];
}

void keystroke(benchmark::State& state) {
    QTemporaryDir folder;
    qputenv("XDG_DATA_HOME", QFile::encodeName(folder.path()));
    SystemClock clock;
    IgnoringServices services;
    SettingsStore settings(folder.filePath(QStringLiteral("defaults.json")));
    settings.setString(QStringLiteral("lastScheduledDay"), QStringLiteral("2999-01-01"));
    settings.setString(QStringLiteral("trackingStartDay"), QStringLiteral("2999-01-01"));
    WritingStore store(WritingStore::Services{clock, settings, services, services});
    store.saveEntry(sampleWriting(int(state.range(0))));
    if (!store.saveToLibrary(QStringLiteral("Benchmark")))
        state.SkipWithError("cannot create the document");
    RichTextEditor editor(store);
    editor.resize(900, 700);
    editor.show();
    QTextCursor end = editor.textView().textCursor();
    end.movePosition(QTextCursor::End);
    editor.textView().setTextCursor(end);
    QCoreApplication::processEvents();

    std::vector<double> samples;
    QElapsedTimer timer;
    for (auto _ : state) {
        timer.start();
        QTest::keyClick(&editor.textView(), Qt::Key_A);
        QCoreApplication::processEvents();
        samples.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    if (store.hasUnsavedChanges())
        state.SkipWithError("the save failed");
    state.counters["median_ms"] = percentile(samples, 0.5);
    state.counters["p99_ms"] = percentile(samples, 0.99);
}
BENCHMARK(keystroke)->Arg(1'000)->Arg(10'000)->Arg(50'000)->Iterations(300)->Unit(
    benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    return inkwarden::bench::runBenchmarks(argc, argv);
}
