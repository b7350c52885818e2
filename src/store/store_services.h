#pragma once

#include <QObject>

namespace inkwarden {

// What the store needs from the system services. The application hands in
// the real ones; tests hand in recorders. The store never owns them.

class ReminderControl {
public:
    virtual ~ReminderControl() = default;
    // Replaces the two repeating daily reminders for the given time.
    virtual void configure(qint64 hour, qint64 minute) = 0;
    // Posts the follow-up reminder at once.
    virtual void remindIfIncomplete() = 0;
};

class FocusControl {
public:
    virtual ~FocusControl() = default;
    // Brings the writer forward, pauses music and keeps the writer in front.
    virtual void begin() = 0;
    // Stops keeping the writer in front.
    virtual void end() = 0;
};

// Reports that the computer woke from sleep. Emitted on the main thread.
class WakeNotifier : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

Q_SIGNALS:
    void didWake();
};

} // namespace inkwarden
