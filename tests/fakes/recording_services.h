#pragma once

#include "store/store_services.h"

#include <QList>
#include <QStringList>
#include <functional>
#include <optional>

namespace inkwarden::testing {

// Service calls in the order they happened, shared by the recorders below so
// tests can check ordering across services: "configure 9:0", "followup",
// "begin", "end".
struct CallLog {
    QStringList calls;
    qsizetype count(const QString& call) const { return calls.count(call); }
};

struct RecordingReminders final : ReminderControl {
    CallLog& log;
    explicit RecordingReminders(CallLog& into)
        : log(into) {}
    void configure(qint64 hour, qint64 minute) override {
        log.calls.append(QStringLiteral("configure %1:%2").arg(hour).arg(minute));
    }
    void remindIfIncomplete() override { log.calls.append(QStringLiteral("followup")); }
};

struct RecordingFocus final : FocusControl {
    CallLog& log;
    explicit RecordingFocus(CallLog& into)
        : log(into) {}
    void begin() override { log.calls.append(QStringLiteral("begin")); }
    void end() override { log.calls.append(QStringLiteral("end")); }
};

// Answers the document questions from a script the test fills in; with an
// empty script every question is cancelled.
struct ScriptedPrompts final : DocumentPrompts {
    QList<LeaveAnswer> leaveAnswers;
    QStringList suggestedNames; // what each leave question proposed
    std::optional<QString> exportPath;
    std::function<void()> whileAsking; // what happens while a leave question is open

    LeaveAnswer askToSaveBeforeLeaving(const QString& suggestedName) override {
        suggestedNames.append(suggestedName);
        if (whileAsking)
            whileAsking();
        return leaveAnswers.isEmpty() ? LeaveAnswer{} : leaveAnswers.takeFirst();
    }
    std::optional<QString> chooseExportPath(const QString&) override { return exportPath; }
};

struct RecordingFileViewer final : FileViewer {
    QStringList shown;
    void showFile(const QString& path) override { shown.append(path); }
};

// A wake notifier the test triggers by hand.
class ManualWakeNotifier final : public WakeNotifier {
    Q_OBJECT
public:
    void wake() { Q_EMIT didWake(); }
};

} // namespace inkwarden::testing
