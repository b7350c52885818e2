#include "store/daily_schedule.h"

namespace inkwarden {
namespace {

constexpr qint64 kMinutesPerDay = 24 * 60;
// Far beyond any real setting, but small enough that nothing overflows.
constexpr qint64 kLenienceLimitDays = 1'000'000;

qint64 floorDiv(qint64 value, qint64 divisor) {
    const qint64 quotient = value / divisor;
    return (value % divisor != 0 && (value < 0) != (divisor < 0)) ? quotient - 1 : quotient;
}

// A local wall time that does not exist (it falls in a daylight-saving gap)
// is read with the offset in force before the gap, which moves it forward by
// the gap's length, as calendars conventionally do. The same time a day
// earlier is surely before the change, whatever the zone's distance from UTC.
QDateTime localWallTime(QDate day, QTime time) {
    const QDateTime local(day, time, Qt::LocalTime);
    if (local.isValid())
        return local;
    QDateTime before(day.addDays(-1), time, Qt::LocalTime);
    if (!before.isValid())
        before = day.addDays(-1).startOfDay();
    const QDateTime asUtc(day, time, Qt::UTC);
    return asUtc.addSecs(-before.offsetFromUtc()).toLocalTime();
}

} // namespace

QString dayKey(const QDateTime& moment) {
    return moment.toLocalTime().date().toString(QStringLiteral("yyyy-MM-dd"));
}

QDateTime scheduledTimeOn(QDate day, qint64 hour, qint64 minute) {
    constexpr qint64 hourLimit = kLenienceLimitDays * 24;
    constexpr qint64 minuteLimit = kLenienceLimitDays * kMinutesPerDay;
    if (!day.isValid() || hour > hourLimit || hour < -hourLimit || minute > minuteLimit ||
        minute < -minuteLimit)
        return {};
    const qint64 totalMinutes = hour * 60 + minute;
    const qint64 dayOffset = floorDiv(totalMinutes, kMinutesPerDay);
    const qint64 minuteOfDay = totalMinutes - dayOffset * kMinutesPerDay;
    const QTime time(int(minuteOfDay / 60), int(minuteOfDay % 60));
    return localWallTime(day.addDays(dayOffset), time);
}

QDateTime scheduledTime(const QDateTime& now, qint64 hour, qint64 minute) {
    const QDateTime result = scheduledTimeOn(now.toLocalTime().date(), hour, minute);
    return result.isValid() ? result : now;
}

QDateTime mostRecentScheduledTime(const QDateTime& moment, qint64 hour, qint64 minute) {
    const QDateTime today = scheduledTime(moment, hour, minute);
    if (moment >= today)
        return today;
    const QDateTime yesterday =
        scheduledTimeOn(moment.toLocalTime().date().addDays(-1), hour, minute);
    return yesterday.isValid() ? yesterday : today;
}

} // namespace inkwarden
