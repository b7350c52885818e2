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

class RecordingReminders final : public ReminderControl {
public:
    explicit RecordingReminders(CallLog& log)
        : m_log(log) {}
    void configure(qint64 hour, qint64 minute) override {
        m_log.calls.append(QStringLiteral("configure %1:%2").arg(hour).arg(minute));
    }
    void remindIfIncomplete() override { m_log.calls.append(QStringLiteral("followup")); }

private:
    CallLog& m_log;
};

class RecordingFocus final : public FocusControl {
public:
    explicit RecordingFocus(CallLog& log)
        : m_log(log) {}
    void begin() override { m_log.calls.append(QStringLiteral("begin")); }
    void end() override { m_log.calls.append(QStringLiteral("end")); }

private:
    CallLog& m_log;
};

// Answers the document questions from a script the test fills in; with an
// empty script every question is cancelled.
class ScriptedPrompts final : public DocumentPrompts {
public:
    QList<LeaveAnswer> leaveAnswers;
    QStringList suggestedNames; // what each leave question proposed
    std::optional<QString> exportPath;
    QStringList proposedExportNames;   // what each export panel proposed
    std::function<void()> whileAsking; // what happens while a leave question is open

    LeaveAnswer askToSaveBeforeLeaving(const QString& suggestedName) override {
        suggestedNames.append(suggestedName);
        if (whileAsking)
            whileAsking();
        return leaveAnswers.isEmpty() ? LeaveAnswer{} : leaveAnswers.takeFirst();
    }
    std::optional<QString> chooseExportPath(const QString& proposedFileName) override {
        proposedExportNames.append(proposedFileName);
        return exportPath;
    }
};

class RecordingFileViewer final : public FileViewer {
public:
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
