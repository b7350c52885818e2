#pragma once

#include <QPointer>
#include <memory>

class QMainWindow;

namespace inkwarden {

class FileManagerViewer;
class FocusService;
class LogindWakeNotifier;
class ReminderService;
class SettingsStore;
class SystemClock;
class WritingStore;

// The composition root: builds the clock, the settings, the services and the
// one store, and shows the writer window. Nothing else creates these.
class InkwardenApp {
public:
    InkwardenApp();
    ~InkwardenApp();

    // Runs the event loop; returns the process exit code.
    int run();

    // Built on first use and kept for the life of the process.
    WritingStore& store();
    QMainWindow& writerWindow();

private:
    std::unique_ptr<SystemClock> m_clock;
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<ReminderService> m_reminders;
    std::unique_ptr<FocusService> m_focus;
    std::unique_ptr<LogindWakeNotifier> m_wake;
    std::unique_ptr<FileManagerViewer> m_fileViewer;
    std::unique_ptr<WritingStore> m_store;
    QPointer<QMainWindow> m_writerWindow;
};

} // namespace inkwarden
