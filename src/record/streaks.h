#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>

namespace inkwarden {

struct Streaks {
    int current = 0;
    int longest = 0;
    friend bool operator==(const Streaks&, const Streaks&) = default;
};

// Streaks of consecutive calendar days with a completed session, in the
// local calendar at `now`. Today counts once completed and, until then,
// does not break the streak that ends yesterday. A completed day just after
// today (the clock set back past midnight) counts as today; days further
// ahead only count towards the longest streak.
Streaks computeStreaks(QList<QDate> completedDays, const QDateTime& now);

} // namespace inkwarden
