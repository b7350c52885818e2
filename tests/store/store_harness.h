#pragma once

#include "fakes/manual_clock.h"
#include "fakes/recording_services.h"
#include "store/settings_store.h"
#include "store/writing_store.h"
#include "support/temp_home.h"

#include <QCoreApplication>
#include <QDateTime>
#include <memory>

namespace inkwarden::testing {

// Local wall-clock time in the process time zone.
inline QDateTime localTime(int year, int month, int day, int hour, int minute, int second = 0,
                           int millisecond = 0) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second, millisecond),
                     Qt::LocalTime);
}

// A store over a settings file in a throw-away home, with a hand-moved clock
// and recording services. restart() rebuilds both from what is on disk, as a
// relaunch of the program would.
struct StoreHarness {
    TempHome home;
    ManualClock clock;
    CallLog log;
    RecordingReminders reminders{log};
    RecordingFocus focus{log};
    ManualWakeNotifier wake;
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<WritingStore> store;

    QString settingsPath() const {
        return home.configHome() + QStringLiteral("/Inkwarden/defaults.json");
    }

    SettingsStore& defaults() {
        if (!settings)
            settings = std::make_unique<SettingsStore>(settingsPath());
        return *settings;
    }

    WritingStore& start() {
        store = std::make_unique<WritingStore>(
            WritingStore::Services{clock, defaults(), reminders, focus, &wake});
        return *store;
    }

    WritingStore& restart() {
        store.reset();
        settings.reset();
        return start();
    }

    // Runs what the heartbeat would have queued.
    void tickAt(const QDateTime& moment) {
        clock.set(moment);
        store->tick();
    }

    QString marker(const QString& key) {
        return defaults().string(key).value_or(QStringLiteral("<none>"));
    }
};

} // namespace inkwarden::testing
