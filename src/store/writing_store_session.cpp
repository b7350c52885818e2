// The session engine: the fifteen-minute session, the heartbeat's idle
// checks (day rollover, follow-up, scheduled start) and session restore.

#include "record/session_recorder.h"
#include "store/clock.h"
#include "store/daily_schedule.h"
#include "store/settings_keys.h"
#include "store/settings_store.h"
#include "store/store_services.h"
#include "store/writing_store.h"

namespace inkwarden {
namespace {

// Whether the day `key` counts as handled by a marker for day `handled`: the
// same day, or the day before it. The second covers a wall clock set back (an
// hour, past midnight) or set right after running a day ahead, which would
// otherwise hand the same day a second session or follow-up. Bigger gaps are
// taken as a clock that was wrong, and leave the days alone.
bool isHandled(const QString& key, const QString& handled) {
    if (key == handled)
        return true;
    const QDate day = QDate::fromString(key, Qt::ISODate);
    return day.isValid() && day.addDays(1) == QDate::fromString(handled, Qt::ISODate);
}

// Whole seconds from `now` to `end`, rounded up, never negative.
qint64 secondsLeft(const QDateTime& now, const QDateTime& end) {
    const qint64 milliseconds = now.msecsTo(end);
    return milliseconds <= 0 ? 0 : (milliseconds + 999) / 1000;
}

} // namespace

void WritingStore::restoreSession(const QDateTime& startup) {
    const std::optional<QDateTime> end = m_defaults.date(keys::kSessionEnd);
    if (!end || *end <= startup) {
        // An end that passed while the program was not running is not a completion.
        m_defaults.remove(keys::kSessionEnd);
        return;
    }
    m_sessionEnd = *end;
    m_isSessionActive = true;
    m_remainingSeconds = secondsLeft(startup, *end);
    if (m_remainingSeconds > kSessionSeconds) {
        // Only a clock set back (or a damaged file) puts the end this far out;
        // the session still lasts no longer than one session.
        m_sessionEnd = startup.addSecs(kSessionSeconds);
        m_remainingSeconds = kSessionSeconds;
        m_defaults.setDate(keys::kSessionEnd, *m_sessionEnd);
    }
}

void WritingStore::startSession() {
    if (m_isSessionActive)
        return;
    moveDailyEntryToTodayIfNeeded();
    // A session's writing goes straight to a file: the day's entry.
    if (!m_currentDocumentURL && m_currentContent.isEmpty())
        openTodaysEntry();
    const QDateTime now = m_clock.now();
    m_defaults.setString(keys::kLastScheduledDay,
                         dayKey(mostRecentScheduledTime(now, m_scheduleHour, m_scheduleMinute)));
    m_sessionEnd = now.addSecs(kSessionSeconds);
    m_defaults.setDate(keys::kSessionEnd, *m_sessionEnd);
    m_defaults.setString(keys::kSessionDay, m_currentDateKey);
    m_defaults.setString(keys::kLastSessionDay, m_currentDateKey);
    publish(m_isSessionActive, true);
    updateRemainingSeconds(now);
    if (m_recorder)
        m_recorder->sessionStarted(now, m_currentDateKey, m_wordCount);
    m_focus.begin();
}

void WritingStore::endSession(bool completed) {
    // A session completes the day it was started for, not the day it ends on:
    // one that runs past midnight must not take the new day's session away.
    const QString sessionDay = marker(keys::kSessionDay);
    publish(m_isSessionActive, false);
    publish(m_remainingSeconds, qint64(0));
    m_sessionEnd.reset();
    m_defaults.remove(keys::kSessionEnd);
    m_defaults.remove(keys::kSessionDay);
    const QString day = sessionDay.isEmpty() ? dayKey(m_clock.now()) : sessionDay;
    if (completed)
        m_defaults.setString(keys::kLastCompletedDay, day);
    if (m_recorder) {
        recordDayWords(true);
        m_recorder->sessionEnded(m_clock.now(), day, completed, m_wordCount);
    }
    m_focus.end();
}

QString WritingStore::remainingLabel() const {
    return QString::asprintf("%02lld:%02lld", static_cast<long long>(m_remainingSeconds / 60),
                             static_cast<long long>(m_remainingSeconds % 60));
}

void WritingStore::tick() {
    const QDateTime now = m_clock.now();
    if (m_sessionEnd) {
        updateRemainingSeconds(now);
        if (m_remainingSeconds == 0)
            endSession(true);
        return;
    }
    const QString today = dayKey(now);
    if (m_currentDateKey != today || (m_entryLeftBehind && !m_hasUnsavedChanges))
        moveDailyEntryToTodayIfNeeded();
    reloadIfChangedElsewhere();
    recordDayWords(false);
    checkFollowup(now, today);
    checkScheduledStart(now);
}

// Always derived from the end moment, so a late tick shows the truth at once.
// The countdown never goes up, though: a clock set back mid-session would
// stretch the session, so the end moves back with the clock instead.
void WritingStore::updateRemainingSeconds(const QDateTime& now) {
    const qint64 limit = m_remainingSeconds > 0 ? m_remainingSeconds : kSessionSeconds;
    qint64 left = secondsLeft(now, *m_sessionEnd);
    if (left > limit) {
        m_sessionEnd = now.addSecs(limit);
        m_defaults.setDate(keys::kSessionEnd, *m_sessionEnd);
        left = limit;
    }
    publish(m_remainingSeconds, left);
}

void WritingStore::checkFollowup(const QDateTime& now, const QString& today) {
    const qint64 lagMilliseconds =
        inkwarden::scheduledTime(now, m_scheduleHour, m_scheduleMinute).msecsTo(now);
    if (lagMilliseconds < kFollowupWindowStartSeconds * 1000 ||
        lagMilliseconds >= kFollowupWindowEndSeconds * 1000)
        return;
    if (marker(keys::kLastCompletedDay) == today ||
        isHandled(today, marker(keys::kLastFollowupDay)))
        return;
    m_defaults.setString(keys::kLastFollowupDay, today);
    m_reminders.remindIfIncomplete();
}

// Each scheduled time starts at most one session, at the first heartbeat at or
// after it, and only within a day of it; a day already started, handled or
// completed, or one before the program first ran, is skipped.
void WritingStore::checkScheduledStart(const QDateTime& now) {
    // Started inside an open question, the session would be lost to its answer
    // (a quit); it waits, or the next launch makes it up.
    if (m_isAsking)
        return;
    const QDateTime recent = mostRecentScheduledTime(now, m_scheduleHour, m_scheduleMinute);
    // A daily time no calendar can place (only a damaged settings file holds
    // one) reads as "now" and would start a session at every launch.
    if (recent == now &&
        !scheduledTimeOn(now.toLocalTime().date(), m_scheduleHour, m_scheduleMinute).isValid())
        return;
    const QString key = dayKey(recent);
    if (key < marker(keys::kTrackingStartDay))
        return;
    if (recent.msecsTo(now) >= kScheduledStartLimitSeconds * 1000)
        return;
    if (isHandled(key, marker(keys::kLastScheduledDay)) || key == marker(keys::kLastSessionDay) ||
        key == marker(keys::kLastCompletedDay))
        return;
    startSession();
}

// A missing marker, or one of the wrong kind, reads as the empty string,
// which differs from every day key.
QString WritingStore::marker(const QString& key) const {
    return m_defaults.string(key).value_or(QString());
}

} // namespace inkwarden
