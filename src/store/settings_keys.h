#pragma once

#include <QString>

namespace inkwarden::keys {

// The persisted settings and progress markers. Day markers hold day keys.
inline const QString kScheduleHour = QStringLiteral("scheduleHour");
inline const QString kScheduleMinute = QStringLiteral("scheduleMinute");
inline const QString kFontName = QStringLiteral("fontName");
inline const QString kCheckSpellingWhileTyping = QStringLiteral("checkSpellingWhileTyping");
inline const QString kSpellingLanguage = QStringLiteral("spellingLanguage"); // a dictionary tag
inline const QString kTextZoom = QStringLiteral("textZoom");                 // percent, view only
inline const QString kSessionEnd = QStringLiteral("sessionEnd");
inline const QString kSessionDay = QStringLiteral("sessionDay");
inline const QString kLastSessionDay = QStringLiteral("lastSessionDay");
inline const QString kLastScheduledDay = QStringLiteral("lastScheduledDay");
inline const QString kLastCompletedDay = QStringLiteral("lastCompletedDay");
inline const QString kLastFollowupDay = QStringLiteral("lastFollowupDay");
inline const QString kTrackingStartDay = QStringLiteral("trackingStartDay");
inline const QString kDidRegisterLoginItemByDefault =
    QStringLiteral("didRegisterLoginItemByDefault");

} // namespace inkwarden::keys
