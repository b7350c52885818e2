#include "app/inkwarden_app.h"

#include "app/app_delegate.h"
#include "app/menu_commands.h"
#include "app/qt_document_prompts.h"
#include "app/single_instance.h"
#include "app/termination_signals.h"
#include "app/window_close_guard.h"
#include "documents/storage_layout.h"
#include "record/writing_record.h"
#include "screens/progress_view.h"
#include "screens/readable_palette.h"
#include "screens/writing_view.h"
#include "search/search_index.h"
#include "services/focus_service.h"
#include "services/linux/build_tree.h"
#include "services/linux/file_manager_viewer.h"
#include "services/linux/freedesktop_notifications.h"
#include "services/linux/logind_wake_notifier.h"
#include "services/linux/mpris_players.h"
#include "services/linux/qt_window_system.h"
#include "services/linux/systemd_reminder_timers.h"
#include "services/linux/xdg_autostart_login_item.h"
#include "services/local_notification_center.h"
#include "services/login_service.h"
#include "services/reminder_service.h"
#include "spelling/enchant_backend.h"
#include "spelling/spell_checker.h"
#include "store/clock.h"
#include "store/settings_keys.h"
#include "store/settings_store.h"
#include "store/writing_store.h"

#include <QApplication>
#include <QFileInfo>
#include <QMainWindow>
#include <QScreen>
#include <QSessionManager>
#include <QTimer>
#include <csignal>

namespace inkwarden {
namespace {

constexpr QSize kDefaultWindowSize(952, 780);
constexpr QSize kMinimumWindowSize(700, 560);
constexpr int kCatchUpDelayMilliseconds = 1500;
constexpr int kSpellingLoadDelayMilliseconds = 300;

// Timers that outlive the program start it again and again: only for an installed one.
std::unique_ptr<SystemdReminderTimers> systemTimers(const QDBusConnection& bus) {
    const QString program = QCoreApplication::applicationFilePath();
    if (runsFromBuildTree(program))
        return nullptr;
    return std::make_unique<SystemdReminderTimers>(program, bus);
}

// "Daily writing · 2026-12-07 — Inkwarden": which document is open, and
// Qt's modified marker while its writing is not on disk.
void followTheDocumentInTitle(QMainWindow& window, WritingStore& store) {
    const auto follow = [&window, &store] {
        window.setWindowTitle(store.currentTitle() + QStringLiteral("[*] \u2014 Inkwarden"));
        window.setWindowModified(store.hasUnsavedChanges());
    };
    follow();
    QObject::connect(&store, &WritingStore::objectWillChange, &window, [&window, follow] {
        QMetaObject::invokeMethod(&window, follow, Qt::QueuedConnection);
    });
}

} // namespace

InkwardenApp::InkwardenApp(QDBusConnection sessionBus)
    : m_clock(std::make_unique<SystemClock>())
    , m_settings(std::make_unique<SettingsStore>(SettingsStore::defaultFilePath()))
    , m_wake(std::make_unique<LogindWakeNotifier>())
    , m_notifications(std::make_unique<FreedesktopNotifications>(sessionBus))
    , m_notificationCenter(
          std::make_unique<LocalNotificationCenter>(*m_clock, *m_notifications, m_wake.get()))
    , m_systemTimers(systemTimers(sessionBus))
    , m_reminders(std::make_unique<ReminderService>(*m_notificationCenter, m_systemTimers.get()))
    , m_windowSystem(std::make_unique<QtWindowSystem>())
    , m_music(std::make_unique<MprisPlayers>(sessionBus))
    , m_focus(std::make_unique<FocusService>(*m_windowSystem, *m_music))
    , m_fileViewer(std::make_unique<FileManagerViewer>(sessionBus))
    , m_loginItem(std::make_unique<XdgAutostartLoginItem>(
          QCoreApplication::applicationFilePath(),
          !runsFromBuildTree(QCoreApplication::applicationFilePath())))
    , m_prompts(std::make_unique<QtDocumentPrompts>([this] { return m_writerWindow.data(); }))
    , m_delegate(std::make_unique<AppDelegate>(
          [this](const QString& message, const QString& informative, const QStringList& buttons) {
              return QtDocumentPrompts::ask(m_writerWindow, message, informative, buttons);
          })) {
    // Queued: a session may begin while the store is still being built (its
    // first heartbeat), and the window needs the finished store.
    m_focus->setOpenWriter([this] { QTimer::singleShot(0, [this] { showWriter(); }); });
    QObject::connect(m_notifications.get(), &NotificationDelivery::activated, m_notifications.get(),
                     [this](const QString& token) { bringWriterForward(token); });
    // Without a notification server at launch nothing was scheduled; one may come later.
    QObject::connect(m_notifications.get(), &FreedesktopNotifications::serverAppeared,
                     m_reminders.get(), &ReminderService::reconfigure);
}

InkwardenApp::~InkwardenApp() {
    delete m_writerWindow;
}

WritingStore& InkwardenApp::store() {
    if (!m_store) {
        // Rebuilt from the entries and the completed-day marker when missing or damaged.
        m_record = std::make_unique<WritingRecord>(WritingRecord::Setup{
            WritingRecord::defaultPath(), storage::entriesFolder(),
            QStringList{m_settings->string(keys::kLastCompletedDay).value_or(QString())}});
        QObject::connect(m_record.get(), &WritingRecord::sessionCompleted, m_reminders.get(),
                         [this](int daysInARow) { m_reminders->announceCompletion(daysInARow); });
        m_store = std::make_unique<WritingStore>(
            WritingStore::Services{*m_clock, *m_settings, *m_reminders, *m_focus, m_wake.get(),
                                   m_fileViewer.get(), m_record.get()});
        m_store->setPrompts(m_prompts.get());
        // Keystrokes never wait for the encoder or the disk.
        m_store->setWritesInBackground(true);
        m_searchIndex = std::make_unique<SearchIndex>(SearchIndex::defaultPath());
        m_store->setDocumentIndex(m_searchIndex.get());
        // Files changed while the program was closed are read once the
        // window is up, so starting never waits for them.
        QTimer::singleShot(kCatchUpDelayMilliseconds, m_searchIndex.get(), &SearchIndex::catchUp);
    }
    return *m_store;
}

QMainWindow& InkwardenApp::writerWindow() {
    if (!m_writerWindow) {
        WritingStore& model = store();
        auto* window = new QMainWindow;
        window->setObjectName(QStringLiteral("writer"));
        followTheDocumentInTitle(*window, model);
        // Never larger than the screen leaves room for, whatever its scale.
        const QScreen* screen = QGuiApplication::primaryScreen();
        const QSize room = screen ? screen->availableGeometry().size() : kDefaultWindowSize;
        window->resize(kDefaultWindowSize.boundedTo(room));
        window->setMinimumSize(kMinimumWindowSize.boundedTo(room));
        if (!m_spelling) {
            m_spelling =
                std::make_unique<SpellChecker>(*m_settings, std::make_unique<EnchantBackend>());
            // Loading a dictionary takes a core for a tenth of a second:
            // not while the window is first drawn.
            QTimer::singleShot(kSpellingLoadDelayMilliseconds, m_spelling.get(),
                               &SpellChecker::loadInBackground);
        }
        auto* view = new WritingView(model, nullptr, m_spelling.get());
        view->setSearchIndex(m_searchIndex.get());
        window->setCentralWidget(view);
        // Installed before the window is ever shown, so no close escapes it.
        new WindowCloseGuard(model, *window);
        installMenuCommands(
            *window, model, [this] { requestQuit(); }, m_loginItem.get(),
            [this] { showProgress(); }, m_spelling.get());
        m_writerWindow = window;
    }
    return *m_writerWindow;
}

void InkwardenApp::showWriter() {
    QMainWindow& window = writerWindow();
    const bool appearing = !window.isVisible();
    window.show();
    window.raise();
    window.activateWindow();
    if (!appearing)
        return;
    m_delegate->setStore(&store());
    // A running session (one restored at launch, say) keeps the writer in front.
    if (store().isSessionActive())
        m_focus->begin();
}

// Wayland lets a window come to the front only with a token from the desktop;
// Qt's Wayland plugin takes it from the environment when the window asks to be
// activated, and unsets it. One left from an earlier request would be refused.
void InkwardenApp::bringWriterForward(const QString& activationToken) {
    if (activationToken.isEmpty())
        qunsetenv("XDG_ACTIVATION_TOKEN");
    else
        qputenv("XDG_ACTIVATION_TOKEN", activationToken.toUtf8());
    showWriter();
}

// One window at a time; a day opens in the writer through the usual leave question.
void InkwardenApp::showProgress() {
    if (!m_progress) {
        m_progress = new ProgressView(
            *m_record, *m_clock,
            [this](QDate day) {
                const QString path = storage::entryPath(day.toString(Qt::ISODate));
                return QFileInfo::exists(path) && store().openDocument(QUrl::fromLocalFile(path));
            },
            &writerWindow());
        m_progress->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_progress->show();
    m_progress->raise();
    m_progress->activateWindow();
}

// Every way out asks the same questions; an approved quit ends the loop.
void InkwardenApp::requestQuit() {
    if (m_delegate->applicationShouldTerminate())
        QCoreApplication::quit();
}

void InkwardenApp::takeActivationsFrom(SingleInstance& instance) {
    QObject::connect(&instance, &SingleInstance::activationRequested, &instance,
                     [this](const QString& token) { bringWriterForward(token); });
    QObject::connect(&instance, &SingleInstance::reminderRequested, m_reminders.get(),
                     &ReminderService::deliverDailyReminder);
}

void InkwardenApp::endPolitely() {
    m_delegate->endWithoutAsking();
    // exit() rather than quit(): quit() first asks every window to close, and
    // a question open at this moment must not keep the process alive.
    QCoreApplication::exit(0);
}

// The session manager quits the program itself once the logout goes ahead.
void InkwardenApp::commitData(QSessionManager& manager) {
    if (!manager.allowsInteraction()) {
        m_delegate->endWithoutAsking();
        return;
    }
    const bool mayEnd = m_delegate->applicationShouldTerminate();
    manager.release();
    if (!mayEnd)
        manager.cancel();
}

// Once per launch, after the event loop has started, so it never delays the
// window; the service itself decides whether anything is left to do.
void InkwardenApp::registerLoginItemOnce() {
    QTimer::singleShot(0, [this] {
        if (LoginService(*m_settings, keys::kDidRegisterLoginItemByDefault, *m_loginItem)
                .enableByDefaultIfNeeded())
            store().setNotice(QObject::tr("Inkwarden now starts when you log in, so your daily "
                                          "writing time is never missed; Write ▸ Start at Login "
                                          "turns this off."));
    });
}

int InkwardenApp::run() {
    // Closing the last window is a quit request like any other, which may be refused.
    QApplication::setQuitOnLastWindowClosed(false);
    // An approved quit closes the windows on its way out; that last close is
    // not a new request and must not ask again.
    QObject::connect(qApp, &QGuiApplication::lastWindowClosed, qApp, [this] {
        if (!m_store || !m_store->isTerminationApproved())
            requestQuit();
    });
    QObject::connect(
        qApp, &QGuiApplication::commitDataRequest, qApp,
        [this](QSessionManager& manager) { commitData(manager); }, Qt::DirectConnection);
    m_terminationSignals = std::make_unique<TerminationSignals>([this] { endPolitely(); });
    // A file-size limit met mid-write would end the process on the spot, with
    // the writing in it; ignored, the write fails with an error like any other.
    std::signal(SIGXFSZ, SIG_IGN);
    keepSecondaryTextReadable();
    showWriter();
    registerLoginItemOnce();
    return QApplication::exec();
}

} // namespace inkwarden
