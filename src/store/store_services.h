#pragma once

#include <QObject>
#include <QString>
#include <optional>

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

// The questions the document operations ask the user. The application installs
// dialogs; tests script the answers. Each call runs modally and returns the answer.
class DocumentPrompts {
public:
    enum class LeaveChoice { Save, DontSave, Cancel };
    struct LeaveAnswer {
        LeaveChoice choice = LeaveChoice::Cancel;
        QString name; // the name typed for "Save"
    };

    virtual ~DocumentPrompts() = default;
    // "Save this writing?" with a name field pre-filled with `suggestedName`.
    virtual LeaveAnswer askToSaveBeforeLeaving(const QString& suggestedName) = 0;
    // A save panel for RTF files; nothing when cancelled.
    virtual std::optional<QString> chooseExportPath(const QString& proposedFileName) = 0;
};

// Shows a file selected in the desktop's file manager.
class FileViewer {
public:
    virtual ~FileViewer() = default;
    virtual void showFile(const QString& path) = 0;
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
