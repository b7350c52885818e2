#pragma once

namespace inkwarden {

// `inkwarden --remind NAME`, as the system's timer runs it at a daily
// reminder's time, perhaps with no display: hands the reminder to the running
// Inkwarden, or else shows it and starts Inkwarden when it is clicked.
// Builds its own application object; returns the exit code.
int runReminderMode(int argc, char* argv[]);

} // namespace inkwarden
