// The store's steady costs: one heartbeat (idle and mid-session) and one
// durable settings write, which every marker and setting change pays.

#include "store/clock.h"
#include "store/settings_store.h"
#include "store/store_services.h"
#include "store/writing_store.h"

#include <QCoreApplication>
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

class IgnoringServices final : public ReminderControl, public FocusControl {
public:
    void configure(qint64, qint64) override {}
    void remindIfIncomplete() override {}
    void begin() override {}
    void end() override {}
};

struct StoreFixture {
    QTemporaryDir folder;
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

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
