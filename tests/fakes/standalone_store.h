#pragma once

#include "fakes/manual_clock.h"
#include "fakes/recording_services.h"
#include "store/settings_store.h"
#include "store/writing_store.h"

namespace inkwarden::testing {

// A store over the settings and documents of the current XDG folders, with
// a clock stopped at a morning before the daily time (so no session starts)
// and recording services: for the programs the tests run as processes of
// their own, and for a store started over another test's files.
struct StandaloneStore {
    ManualClock clock{QDateTime(QDate(2031, 5, 20), QTime(7, 0), Qt::LocalTime)};
    SettingsStore settings{SettingsStore::defaultFilePath()};
    CallLog log;
    RecordingReminders reminders{log};
    RecordingFocus focus{log};
    WritingStore store{WritingStore::Services{clock, settings, reminders, focus}};
};

} // namespace inkwarden::testing
