#include "record/streaks.h"

#include <algorithm>

namespace inkwarden {
namespace {

// The length of the run of consecutive days that ends at `last`.
int runEndingAt(const QList<QDate>& days, QDate last) {
    int length = 0;
    while (std::binary_search(days.begin(), days.end(), last)) {
        ++length;
        last = last.addDays(-1);
    }
    return length;
}

} // namespace

Streaks computeStreaks(QList<QDate> completedDays, const QDateTime& now) {
    std::sort(completedDays.begin(), completedDays.end());
    completedDays.erase(std::unique(completedDays.begin(), completedDays.end()),
                        completedDays.end());
    Streaks streaks;
    int run = 0;
    for (qsizetype i = 0; i < completedDays.size(); ++i) {
        const bool follows = i > 0 && completedDays[i - 1].addDays(1) == completedDays[i];
        run = follows ? run + 1 : 1;
        streaks.longest = std::max(streaks.longest, run);
    }
    const QDate today = now.toLocalTime().date();
    QDate last = today;
    if (std::binary_search(completedDays.begin(), completedDays.end(), today.addDays(1)))
        last = today.addDays(1);
    else if (!std::binary_search(completedDays.begin(), completedDays.end(), today))
        last = today.addDays(-1);
    streaks.current = runEndingAt(completedDays, last);
    return streaks;
}

} // namespace inkwarden
