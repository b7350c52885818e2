#pragma once

#include <QDBusConnection>
#include <QPointer>
#include <memory>

class QDialog;
class QMainWindow;
class QSessionManager;

namespace inkwarden {

class AppDelegate;
class FileManagerViewer;
class QtDocumentPrompts;
class FocusService;
class FreedesktopNotifications;
class LocalNotificationCenter;
class LogindWakeNotifier;
class MprisPlayers;
class QtWindowSystem;
class SingleInstance;
class ReminderService;
class SearchIndex;
class SettingsStore;
class SpellChecker;
class XdgAutostartLoginItem;
class SystemClock;
class SystemdReminderTimers;
class TerminationSignals;
class WritingRecord;
class WritingStore;

// The composition root: builds the clock, the settings, the Linux services,
// the spell checker and the one store, and shows the writer window. Nothing else creates these.
// Main thread; owns everything it builds.
class InkwardenApp {
public:
    // `sessionBus` is the desktop's, where notifications, music players and
    // the systemd user manager answer.
    explicit InkwardenApp(QDBusConnection sessionBus = QDBusConnection::sessionBus());
    ~InkwardenApp();

    // Runs the event loop; returns the process exit code.
    int run();

    // Built on first use and kept for the life of the process.
    WritingStore& store();
    // The writer window, built again if it was closed and destroyed.
    QMainWindow& writerWindow();
    // Shows the writer window and asks for it to come to the front.
    void showWriter();
    // A later launch handed over to this one: bring the writer to the front;
    // the system's timer handed over a reminder: show it.
    void takeActivationsFrom(SingleInstance& instance);
    // The desktop is ending the program (SIGTERM, SIGINT, SIGHUP) and nobody can be
    // asked: keep the writing safe, then leave the event loop.
    void endPolitely();

private:
    // A later launch or a click on a notification asks for the writer, with
    // the desktop's activation token when it sent one.
    void bringWriterForward(const QString& activationToken);
    void registerLoginItemOnce();
    void requestQuit();
    void commitData(QSessionManager& manager);
    void showProgress();

    std::unique_ptr<SystemClock> m_clock;
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<LogindWakeNotifier> m_wake;
    std::unique_ptr<FreedesktopNotifications> m_notifications;
    std::unique_ptr<LocalNotificationCenter> m_notificationCenter;
    std::unique_ptr<SystemdReminderTimers> m_systemTimers; // none when run from the build
    std::unique_ptr<ReminderService> m_reminders;
    std::unique_ptr<QtWindowSystem> m_windowSystem;
    std::unique_ptr<MprisPlayers> m_music;
    std::unique_ptr<FocusService> m_focus;
    std::unique_ptr<FileManagerViewer> m_fileViewer;
    std::unique_ptr<XdgAutostartLoginItem> m_loginItem;
    std::unique_ptr<QtDocumentPrompts> m_prompts;
    std::unique_ptr<AppDelegate> m_delegate;
    std::unique_ptr<WritingRecord> m_record;    // outlives the store, which records into it
    std::unique_ptr<SearchIndex> m_searchIndex; // outlives the store, which reports to it
    std::unique_ptr<WritingStore> m_store;
    std::unique_ptr<SpellChecker> m_spelling;
    QPointer<QMainWindow> m_writerWindow;
    QPointer<QDialog> m_progress;
    std::unique_ptr<TerminationSignals> m_terminationSignals;
};

} // namespace inkwarden
