#pragma once

#include "fakes/manual_clock.h"
#include "fakes/recording_services.h"
#include "store/settings_store.h"
#include "store/writing_store.h"
#include "support/qt_printers.h"
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

// Writing as the editor hands it over: Georgia 21 throughout, with an
// optional Butter highlight on the first `highlighted` characters.
inline RichText writing(const QString& text, qsizetype highlighted = 0) {
    if (text.isEmpty())
        return {};
    const TextRun plain{0, text.size(), QStringLiteral("Georgia"), 21, false, false, {}, {}};
    TextRun marked = plain, rest = plain;
    marked.length = highlighted;
    marked.foreground = qRgb(0, 0, 0);
    marked.background = qRgb(0xFF, 0xCC, 0x47);
    rest.start = highlighted;
    rest.length = text.size() - highlighted;
    QList<TextRun> runs;
    if (highlighted > 0)
        runs.append(marked);
    if (highlighted < text.size())
        runs.append(rest);
    return RichText(text, runs);
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
    ScriptedPrompts prompts;
    RecordingFileViewer fileViewer;
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
            WritingStore::Services{clock, defaults(), reminders, focus, &wake, &fileViewer});
        store->setPrompts(&prompts);
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

    void mark(const QString& key, const QString& day) { defaults().setString(key, day); }

    QString marker(const QString& key) {
        return defaults().string(key).value_or(QStringLiteral("<none>"));
    }
};

} // namespace inkwarden::testing
