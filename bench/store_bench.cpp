// The store's steady costs: one heartbeat (idle and mid-session), one
// durable settings write, which every marker and setting change pays, and
// saveEntry, which every keystroke in a document with a file pays.

#include "bench_support.h"
#include "store/clock.h"
#include "store/settings_store.h"
#include "store/store_services.h"
#include "store/writing_store.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

using namespace inkwarden;

class FixedClock final : public Clock {
public:
    QDateTime now() const override { return m_now; }
    void advanceMilliseconds(qint64 milliseconds) { m_now = m_now.addMSecs(milliseconds); }

private:
    QDateTime m_now = QDateTime(QDate(2026, 12, 7), QTime(10, 0), Qt::LocalTime);
};

using bench::IgnoringServices;
using bench::sampleWriting;

struct StoreFixture {
    QTemporaryDir folder;
    // Documents go to the temporary folder, never to the real home.
    bool pointed = qputenv("XDG_DATA_HOME", QFile::encodeName(folder.path()));
    FixedClock clock;
    IgnoringServices services;
    SettingsStore settings{folder.filePath(QStringLiteral("defaults.json"))};
    WritingStore store{WritingStore::Services{clock, settings, services, services}};

    StoreFixture() {
        settings.setString(QStringLiteral("lastScheduledDay"), QStringLiteral("2026-12-07"));
    }
};

void idleTick(benchmark::State& state) {
    StoreFixture fixture;
    for (auto _ : state) {
        fixture.clock.advanceMilliseconds(1);
        fixture.store.tick();
    }
}
BENCHMARK(idleTick);

void sessionTick(benchmark::State& state) {
    StoreFixture fixture;
    fixture.store.startSession();
    for (auto _ : state) {
        fixture.store.tick(); // the clock stands still, so the session never ends
        benchmark::DoNotOptimize(fixture.store.remainingSeconds());
    }
}
BENCHMARK(sessionTick);

void durableSettingsWrite(benchmark::State& state) {
    QTemporaryDir folder;
    SettingsStore settings(folder.filePath(QStringLiteral("defaults.json")));
    for (const char* key : {"scheduleHour", "scheduleMinute", "trackingStartDay", "lastSessionDay"})
        settings.setString(QString::fromLatin1(key), QStringLiteral("2026-12-07"));
    qint64 value = 0;
    for (auto _ : state)
        settings.setInteger(QStringLiteral("scheduleMinute"), ++value % 60);
}
BENCHMARK(durableSettingsWrite)->Unit(benchmark::kMicrosecond);

void saveEntryOfTenThousandWords(benchmark::State& state) {
    StoreFixture fixture;
    fixture.store.saveEntry(sampleWriting(10));
    if (!fixture.store.saveToLibrary(QStringLiteral("Benchmark")))
        state.SkipWithError("cannot create the document");
    const RichText writing = sampleWriting(10'000);
    for (auto _ : state)
        fixture.store.saveEntry(writing);
    if (fixture.store.hasUnsavedChanges())
        state.SkipWithError("the save failed");
}
BENCHMARK(saveEntryOfTenThousandWords)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    return inkwarden::bench::runBenchmarks(argc, argv);
}
