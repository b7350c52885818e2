#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <functional>

namespace inkwarden::testing {

// Runs the event loop until `done` holds or the deadline passes; for answers
// that arrive from another process. Returns whether `done` came to hold.
inline bool waitUntil(const std::function<bool()>& done, int timeoutMilliseconds = 5000) {
    const QDeadlineTimer deadline(timeoutMilliseconds);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

} // namespace inkwarden::testing
