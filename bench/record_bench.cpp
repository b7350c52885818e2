// The writing record over ten years of history (3,650 entries, about two
// million words): the background fill from the Entries folder, opening the
// progress window, and counting the words of a 100,000-word document, which
// the writer thread does after each keystroke's save.

#include "bench_support.h"
#include "documents/rtf/rtf.h"
#include "documents/storage_layout.h"
#include "record/word_count.h"
#include "record/writing_record.h"
#include "screens/progress_calendar.h"
#include "screens/progress_view.h"
#include "store/clock.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>

namespace {

using namespace inkwarden;

constexpr int kDays = 3650;
constexpr int kWordsPerEntry = 550;

// Ten years of daily entries in a temporary data folder, every day completed
// but each ninth; written once for the whole program.
class History {
public:
    static History& instance() {
        static History history;
        return history;
    }
    QString databasePath() const { return m_folder.filePath(QStringLiteral("record.sqlite")); }
    QStringList completedDays() const { return m_completed; }

private:
    History() {
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_folder.path()));
        QDir().mkpath(storage::entriesFolder());
        const QByteArray bytes = rtf::write(bench::sampleWriting(kWordsPerEntry)).value_or("");
        const QDate last(2026, 12, 7);
        for (int back = 0; back < kDays; ++back) {
            const QString day = last.addDays(-back).toString(Qt::ISODate);
            QFile file(storage::entryPath(day));
            if (file.open(QIODevice::WriteOnly))
                file.write(bytes);
            if (back % 9 != 0)
                m_completed.append(day);
        }
    }
    QTemporaryDir m_folder;
    QStringList m_completed;
};

class FixedClock final : public Clock {
public:
    QDateTime now() const override {
        return QDateTime(QDate(2026, 12, 7), QTime(20, 0), Qt::LocalTime);
    }
};

void fillFromEntries(benchmark::State& state) {
    History& history = History::instance();
    for (auto _ : state) {
        QFile::remove(history.databasePath());
        QElapsedTimer timer;
        timer.start();
        WritingRecord record(
            {history.databasePath(), storage::entriesFolder(), history.completedDays()});
        record.waitUntilIdle();
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        state.counters["days"] = double(record.days().size());
    }
}
BENCHMARK(fillFromEntries)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void openProgressWindow(benchmark::State& state) {
    History& history = History::instance();
    WritingRecord record(
        {history.databasePath(), storage::entriesFolder(), history.completedDays()});
    record.waitUntilIdle();
    FixedClock clock;
    std::vector<double> milliseconds;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        ProgressView view(record, clock, {});
        view.show();
        view.calendar()->repaint();
        QCoreApplication::processEvents();
        milliseconds.push_back(double(timer.nsecsElapsed()) / 1e6);
        state.SetIterationTime(milliseconds.back() / 1e3);
    }
    std::sort(milliseconds.begin(), milliseconds.end());
    state.counters["median_ms"] = milliseconds[milliseconds.size() / 2];
}
BENCHMARK(openProgressWindow)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);

void countWordsOf(benchmark::State& state) {
    const RichText text = bench::sampleWriting(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(countWords(text.text()));
}
BENCHMARK(countWordsOf)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    return inkwarden::bench::runBenchmarks(argc, argv);
}
