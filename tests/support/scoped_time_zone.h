#pragma once

#include <QByteArray>
#include <cstdlib>
#include <ctime>

namespace inkwarden::testing {

// Sets the process time zone (TZ) for one scope; Qt reads it on every
// local-time conversion.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone)
        : m_previous(qgetenv("TZ"))
        , m_hadPrevious(qEnvironmentVariableIsSet("TZ")) {
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTimeZone() {
        if (m_hadPrevious)
            setenv("TZ", m_previous.constData(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    QByteArray m_previous;
    bool m_hadPrevious;
};

} // namespace inkwarden::testing
