#pragma once

#include <QDateTime>

namespace inkwarden {

// The one source of "now" for the store, the session engine, the schedule
// and the reminder triggers, so tests can move time by hand.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTimeUtc(); }
};

} // namespace inkwarden
