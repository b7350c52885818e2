#pragma once

#include "store/store_services.h"

#include <QStringList>

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

// A wake notifier the test triggers by hand.
class ManualWakeNotifier final : public WakeNotifier {
    Q_OBJECT
public:
    void wake() { Q_EMIT didWake(); }
};

} // namespace inkwarden::testing
