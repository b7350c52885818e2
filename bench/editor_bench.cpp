// The writing screen's two costs a person feels in a long document.
//
// keystroke: the key press reaches the editor, the line-break scan and the
// conversion run over the whole text, saveEntry encodes it and writes it
// durably to a real file, and the screen settles. Median and 99th percentile
// per keystroke for 1,000 to 100,000 words, against the 16.7 ms of one frame.
//
// openFromLibrary: the library's Open of a 100,000-word document, from the
// store reading the file through the new editor taking the text to its first
// paint, against 150 ms; read_ms is the file alone, layout_ms the time from
// the editor's text view being shown to that paint.
//
// keystrokeSpelling and openSpelling: the same in English prose, with spell
// checking off (second argument 0) and on (1), Hunspell's en_US through
// Enchant, in the same run.
//
// keystrokeIndexing: keystroke/100000 while the search index is built from
// nothing over 8,000 other documents beside it, and takes the saves.

#include "bench_support.h"
#include "documents/storage_layout.h"
#include "editor/editor_spelling.h"
#include "editor/placeholder_text_view.h"
#include "editor/rich_text_document.h"
#include "editor/rich_text_editor.h"
#include "library_sample.h"
#include "screens/writing_view.h"
#include "search/search_index.h"
#include "spelling/enchant_backend.h"
#include "spelling/spell_checker.h"
#include "spelling/spelling_highlighter.h"
#include "store/clock.h"
#include "store/settings_store.h"
#include "store/store_services.h"
#include "store/writing_store.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <unistd.h>

namespace {

using namespace inkwarden;

using bench::IgnoringServices;
using bench::sampleWriting;

constexpr double kFrameMilliseconds = 16.7;
constexpr double kOpenBudgetMilliseconds = 150;
// Enough that building their index outlasts the typing.
constexpr int kIndexedDocuments = 8'000;

double percentile(std::vector<double> samples, double fraction) {
    std::sort(samples.begin(), samples.end());
    return samples[std::min(samples.size() - 1, size_t(fraction * double(samples.size())))];
}

double elapsedMilliseconds(const QElapsedTimer& timer) {
    return double(timer.nsecsElapsed()) / 1e6;
}

// A store whose library holds one sample document, in a temporary data
// folder on a real disk: on tmpfs the durable write would cost nothing.
struct LibraryFixture {
    QTemporaryDir folder;
    bool pointed = qputenv("XDG_DATA_HOME", QFile::encodeName(folder.path()));
    SystemClock clock;
    IgnoringServices services;
    SettingsStore settings{folder.filePath(QStringLiteral("defaults.json"))};
    std::optional<WritingStore> store;
    QUrl document;

    explicit LibraryFixture(int words, bool prose = false) {
        // Markers far in the future: no session starts by itself.
        settings.setString(QStringLiteral("lastScheduledDay"), QStringLiteral("2999-01-01"));
        settings.setString(QStringLiteral("trackingStartDay"), QStringLiteral("2999-01-01"));
        store.emplace(WritingStore::Services{clock, settings, services, services});
        store->setWritesInBackground(true); // as the program runs it
        store->saveEntry(sampleWriting(words, prose));
        if (store->saveToLibrary(QStringLiteral("Benchmark")))
            document = *store->currentDocumentURL();
        if (QStorageInfo(folder.path()).fileSystemType() == "tmpfs")
            std::fputs("editor_bench: the temporary folder is on tmpfs; saves cost no disk "
                       "time here (set TMPDIR to a folder on a disk)\n",
                       stderr);
    }
};

// Text the file on disk holds, to prove every keystroke was saved.
qsizetype savedLength(const QUrl& document) {
    const storage::ReadResult read = storage::readDocument(document.toLocalFile());
    return read.ok() ? read.text.text().size() : -1;
}

// The program's checker over the desktop's en_US dictionary; on or off.
std::unique_ptr<SpellChecker> englishChecker(SettingsStore& settings, bool on) {
    auto checker = std::make_unique<SpellChecker>(settings, std::make_unique<EnchantBackend>());
    checker->load();
    checker->setLanguage(QStringLiteral("en_US"));
    checker->setWanted(on);
    if (on && checker->language() != QStringLiteral("en_US"))
        std::fputs("editor_bench: no en_US dictionary (install hunspell-en-us)\n", stderr);
    return checker;
}

// Types into the writing screen at the end of the document. Each sample ends
// when the change is drawn, the save handed to the writer thread beside it;
// or, with `untilOnDisk`, once the text is durably in the file. With
// `spelling` the text is prose, checked or not, and the keys type words;
// with `indexing` the search index is being built all the while.
void typeAtTheEnd(benchmark::State& state, bool untilOnDisk, bool spelling = false,
                  bool indexing = false) {
    LibraryFixture fixture(int(state.range(0)), spelling);
    if (fixture.document.isEmpty())
        return state.SkipWithError("cannot create the document");
    const auto checker = spelling ? englishChecker(fixture.settings, state.range(1) != 0) : nullptr;
    std::optional<SearchIndex> index;
    if (indexing) {
        if (!bench::writeSampleLibrary(storage::documentsFolder(), kIndexedDocuments, 500))
            return state.SkipWithError("cannot write the library to index");
        ::sync(); // the kernel's writing back of those files is not the typing's cost
        index.emplace(fixture.folder.filePath(QStringLiteral("search.sqlite")));
        fixture.store->setDocumentIndex(&*index);
        index->catchUp();
    }
    WritingView view(*fixture.store, nullptr, checker.get());
    view.resize(900, 700);
    view.show();
    QCoreApplication::processEvents();
    PlaceholderTextView& text = view.editor()->textView();
    text.moveCursor(QTextCursor::End);
    // As a few seconds after opening: the idle checking has gone through the text.
    if (view.editor()->spelling())
        view.editor()->spelling()->highlighter().checkPendingBlocks();
    const qsizetype before = savedLength(fixture.document);

    std::vector<double> samples;
    QElapsedTimer timer;
    const Qt::Key words[] = {Qt::Key_T, Qt::Key_H, Qt::Key_E, Qt::Key_Space};
    for (auto _ : state) {
        timer.start();
        QTest::keyClick(&text, spelling ? words[samples.size() % 4] : Qt::Key_A);
        if (untilOnDisk)
            fixture.store->finishWrites();
        else
            QCoreApplication::processEvents();
        samples.push_back(elapsedMilliseconds(timer));
        if (untilOnDisk)
            QCoreApplication::processEvents();
    }
    if (index) {
        // Under 1: the index was still being built when the typing ended.
        const auto [done, total] = index->progress();
        state.counters["indexed_by_the_end"] = total > 0 ? double(done) / total : 0;
    }
    fixture.store->finishWrites();
    fixture.store->setDocumentIndex(nullptr);
    if (fixture.store->hasUnsavedChanges() ||
        savedLength(fixture.document) != before + qsizetype(samples.size()))
        return state.SkipWithError("not every keystroke reached the file");
    state.counters["median_ms"] = percentile(samples, 0.5);
    state.counters["p99_ms"] = percentile(samples, 0.99);
    if (!untilOnDisk)
        state.counters["p99_per_frame"] = percentile(samples, 0.99) / kFrameMilliseconds;
}

void keystroke(benchmark::State& state) {
    typeAtTheEnd(state, false);
}
BENCHMARK(keystroke)->Arg(1'000)->Arg(10'000)->Arg(50'000)->Arg(100'000)->Iterations(300)->Unit(
    benchmark::kMillisecond);

void keystrokeSpelling(benchmark::State& state) {
    typeAtTheEnd(state, false, true);
}
BENCHMARK(keystrokeSpelling)
    ->Args({100'000, 0})
    ->Args({100'000, 1})
    ->Iterations(300)
    ->Unit(benchmark::kMillisecond);

void keystrokeIndexing(benchmark::State& state) {
    typeAtTheEnd(state, false, false, true);
}
BENCHMARK(keystrokeIndexing)->Arg(100'000)->Iterations(300)->Unit(benchmark::kMillisecond);

// The part of a keystroke that grows with the document: the editor's text
// turned into the runs the store saves.
void convertForSaving(benchmark::State& state) {
    QTextDocument document;
    editor::loadRichText(document, sampleWriting(int(state.range(0))));
    for (auto _ : state)
        benchmark::DoNotOptimize(editor::toRichText(document));
}
BENCHMARK(convertForSaving)->Arg(100'000)->Unit(benchmark::kMillisecond);

// How far the disk lags behind the typing.
void keystrokeToDisk(benchmark::State& state) {
    typeAtTheEnd(state, true);
}
BENCHMARK(keystrokeToDisk)->Arg(100'000)->Iterations(100)->Unit(benchmark::kMillisecond);

// Watches whichever editor the screen shows at the time: when its text view
// is shown (the text is in; Qt lays it out from here) and how often it paints.
class PaintWatch final : public QObject {
public:
    PaintWatch(const WritingView& view, const QElapsedTimer& clock)
        : m_view(view)
        , m_clock(clock) {
        qApp->installEventFilter(this);
    }
    ~PaintWatch() override { qApp->removeEventFilter(this); }
    int paints = 0;
    double shownAt = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!m_view.editor())
            return false;
        const PlaceholderTextView& text = m_view.editor()->textView();
        if (event->type() == QEvent::Paint && watched == text.viewport())
            ++paints;
        if (event->type() == QEvent::Show && watched == &text)
            shownAt = elapsedMilliseconds(m_clock);
        return false;
    }

private:
    const WritingView& m_view;
    const QElapsedTimer& m_clock;
};

// Runs the event loop until a new editor has painted, or ten seconds pass.
bool waitForNewEditorPainted(const WritingView& view, const RichTextEditor* old,
                             PaintWatch& watch) {
    watch.paints = 0;
    QElapsedTimer deadline;
    deadline.start();
    while (deadline.elapsed() < 10'000) {
        QCoreApplication::processEvents();
        if (view.editor() != old && watch.paints > 0)
            return true;
    }
    return false;
}

void openDocument(benchmark::State& state, bool spelling) {
    LibraryFixture fixture(int(state.range(0)), spelling);
    if (fixture.document.isEmpty())
        return state.SkipWithError("cannot create the document");
    const qsizetype length = fixture.store->currentContent().text().size();
    QElapsedTimer loading;
    loading.start();
    const auto checker = spelling ? englishChecker(fixture.settings, state.range(1) != 0) : nullptr;
    const double checkerMilliseconds = elapsedMilliseconds(loading);
    WritingView view(*fixture.store, nullptr, checker.get());
    view.resize(900, 700);
    view.show();
    QElapsedTimer timer;
    timer.start();
    PaintWatch watch(view, timer);

    std::vector<double> totals, reads, layouts;
    for (auto _ : state) {
        // From an empty untitled document, as after New Document.
        const RichTextEditor* previous = view.editor();
        if (!fixture.store->newDocument() || !waitForNewEditorPainted(view, previous, watch))
            return state.SkipWithError("cannot start a new document");
        previous = view.editor();
        timer.start();
        if (!fixture.store->openDocument(fixture.document))
            return state.SkipWithError("cannot open the document");
        reads.push_back(elapsedMilliseconds(timer));
        if (!waitForNewEditorPainted(view, previous, watch))
            return state.SkipWithError("the editor never showed the document");
        totals.push_back(elapsedMilliseconds(timer));
        layouts.push_back(totals.back() - watch.shownAt);
        state.SetIterationTime(totals.back() / 1e3);
        if (view.editor()->textView().document()->characterCount() != length + 1)
            return state.SkipWithError("the editor shows other text");
    }
    state.counters["median_ms"] = percentile(totals, 0.5);
    state.counters["read_ms"] = percentile(reads, 0.5);
    state.counters["layout_ms"] = percentile(layouts, 0.5);
    if (spelling) // once per launch, when the writer window is built
        state.counters["checker_ms"] = checkerMilliseconds;
    state.counters["per_budget"] = percentile(totals, 0.5) / kOpenBudgetMilliseconds;
}
void openFromLibrary(benchmark::State& state) {
    openDocument(state, false);
}
BENCHMARK(openFromLibrary)
    ->Arg(100'000)
    ->Iterations(10)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void openSpelling(benchmark::State& state) {
    openDocument(state, true);
}
BENCHMARK(openSpelling)
    ->Args({100'000, 0})
    ->Args({100'000, 1})
    ->Iterations(10)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

QtMessageHandler standardMessageHandler = nullptr;

// The offscreen platform says once per window that it cannot pass size
// hints on; hundreds of those lines would bury the results.
void quietOffscreenNotes(QtMsgType type, const QMessageLogContext& context,
                         const QString& message) {
    if (message.contains(QLatin1String("propagateSizeHints")) || !standardMessageHandler)
        return;
    standardMessageHandler(type, context, message);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    standardMessageHandler = qInstallMessageHandler(quietOffscreenNotes);
    QApplication application(argc, argv);
    return inkwarden::bench::runBenchmarks(argc, argv);
}
