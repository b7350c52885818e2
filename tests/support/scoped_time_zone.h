#pragma once

#include <QByteArray>
#include <QScopeGuard>
#include <cstdlib>
#include <ctime>
#include <optional>

namespace inkwarden::testing {

// Sets the process time zone (TZ) until the returned guard goes; Qt reads it
// on every local-time conversion.
[[nodiscard]] inline auto scopedTimeZone(const char* zone) {
    std::optional<QByteArray> previous;
    if (qEnvironmentVariableIsSet("TZ"))
        previous = qgetenv("TZ");
    setenv("TZ", zone, 1);
    tzset();
    return qScopeGuard([previous] {
        previous ? setenv("TZ", previous->constData(), 1) : unsetenv("TZ");
        tzset();
    });
}

} // namespace inkwarden::testing
