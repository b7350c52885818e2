#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

namespace inkwarden {

// Day keys and the daily writing time, always in the system time zone as it
// is at the moment of the call: nothing is cached, so a change of zone (or
// of `TZ`) takes effect at once.

// "yyyy-MM-dd" of the local calendar day containing `moment`.
QString dayKey(const QDateTime& moment);

// `day` at hour:minute:00 local time. Out-of-range values roll over as a
// lenient calendar would (hour 24 is the next day's midnight), and a wall
// time skipped by a daylight-saving change is moved forward by the gap.
QDateTime scheduledTimeOn(QDate day, qint64 hour, qint64 minute);

// Today's scheduled time, "today" being the local day of `now`.
QDateTime scheduledTime(const QDateTime& now, qint64 hour, qint64 minute);

// The latest scheduled time not after `moment`: today's, or the same wall
// time on the previous day.
QDateTime mostRecentScheduledTime(const QDateTime& moment, qint64 hour, qint64 minute);

} // namespace inkwarden
