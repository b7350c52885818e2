#pragma once

#include <QString>

namespace inkwarden {

// Whether the program at `executablePath` is the one in the folder this
// build puts it in (as `make run` starts it) rather than an installed copy.
// Such a program leaves nothing with the desktop that would outlive the
// build: no login item, no reminder timers.
bool runsFromBuildTree(const QString& executablePath);

} // namespace inkwarden
