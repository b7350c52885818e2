#pragma once

#include "store/clock.h"

namespace inkwarden::testing {

// A clock that moves only when the test moves it.
class ManualClock final : public Clock {
public:
    explicit ManualClock(QDateTime now = QDateTime::currentDateTimeUtc())
        : m_now(std::move(now)) {}

    QDateTime now() const override { return m_now; }
    void set(const QDateTime& now) { m_now = now; }

private:
    QDateTime m_now;
};

} // namespace inkwarden::testing
