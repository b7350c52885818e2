#include "app/app_delegate.h"
#include "app/inkwarden_app.h"
#include "app/single_instance.h"
#include "app/termination_signals.h"
#include "documents/storage_layout.h"
#include "store/settings_keys.h"
#include "store/store_harness.h"
#include "support/fake_bus_service.h"
#include "support/file_bytes.h"
#include "support/scoped_read_only_folder.h"
#include "support/wait.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QLabel>
#include <QLocalSocket>
#include <QMainWindow>
#include <QMessageBox>
#include <QProcess>
#include <QSessionManager>
#include <QTest>
#include <QTextEdit>
#include <QThread>
#include <QTimer>
#include <cstring>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

// The offscreen platform's session manager never lets a program interact and
// ignores cancel(); the test program's own definitions stand in for a desktop's.
static bool gMayInteract = false;
static int gLogoutsCancelled = 0;
bool QSessionManager::allowsInteraction() {
    return gMayInteract;
}
void QSessionManager::cancel() {
    ++gLogoutsCancelled;
}

namespace inkwarden {
namespace {

using namespace Qt::StringLiterals;
using testing::waitUntil;
using testing::writing;
using Script = QList<std::pair<QString, QString>>; // a question, then the button or key

const QString kSave = u"Save this writing?"_s, kSession = u"End this writing session?"_s;
const QString kSigterm = u"SIGTERM"_s; // sent instead of an answer

// Answers the open question as a person would when it is the script's next
// one, with a click on the button named there or with that key; any other
// question is a failure, and refused.
void answer(Script& script) {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog || dialog->property("signalled").toBool())
        return;
    auto* box = qobject_cast<QMessageBox*>(dialog);
    const QString question = box ? box->text() : dialog->findChild<QLabel*>()->text();
    if (script.isEmpty() || script.first().first != question) {
        ADD_FAILURE() << "asked: " << question.toStdString();
        return dialog->reject();
    }
    const QString button = script.takeFirst().second;
    if (button == kSigterm && ::kill(::getpid(), SIGTERM) == 0)
        dialog->setProperty("signalled", true);
    else if (button == u"Escape"_s || button == u"Return"_s)
        QTest::keyClick(dialog, button == u"Escape"_s ? Qt::Key_Escape : Qt::Key_Return);
    for (QAbstractButton* each : dialog->findChildren<QAbstractButton*>())
        if (each->text() == button)
            each->click();
}

QAction* action(QWidget& window, const QString& text) {
    for (QAction* item : window.findChildren<QAction*>())
        if (item->text() == text)
            return item;
    return nullptr;
}

QStringList documentFiles() {
    return QDir(storage::documentsFolder()).entryList(QDir::Files) +
           QDir(storage::entriesFolder()).entryList(QDir::Files);
}

// A fresh home whose daily time never starts a session by itself.
struct QuietHome : testing::TempHome {
    QuietHome() { settings().setString(keys::kTrackingStartDay, u"9999-12-31"_s); }
    SettingsStore settings() const { return SettingsStore(SettingsStore::defaultFilePath()); }
};

enum class Way { Quit, Close, Logout, UnattendedLogout, Sigterm };

// Each way out asks only the questions it must and keeps or drops the
// writing as answered; an end nobody is asked about keeps untitled writing
// whatever its first line (one that cleans to nothing, one past the file
// system's limit).
TEST(AppTest, EveryWayOutAsksOnlyWhatItMustAndKeepsOrDropsTheWritingAsAnswered) {
    const QString text = u"Night thoughts\nand more"_s, copy = u"Night thoughts.rtf"_s;
    const QString khmer = QString(u"សួស្តី"_s).repeated(30);
    const QString cancel = u"Cancel"_s, dontSave = u"Don’t Save"_s, keep = u"Keep Writing"_s;
    struct Case {
        Way way;
        bool session;
        QString text; // unsaved untitled writing
        Script script;
        bool ends;    // else the program keeps running with its writing
        QString kept; // the library copy's name ("*": any one), else no file at all
    };
    const QList<Case> cases = {
        {Way::Quit, false, text, {{kSave, u"Escape"_s}}, false, {}},
        {Way::Quit, false, text, {{kSave, dontSave}}, true, {}},
        {Way::Quit, false, text, {{kSave, u"Return"_s}}, true, copy},
        {Way::Quit, true, text, {{kSession, u"Escape"_s}}, false, {}},
        {Way::Quit, true, text, {{kSession, u"End and Quit"_s}, {kSave, dontSave}}, true, {}},
        {Way::Quit, true, {}, {{kSession, u"End and Quit"_s}}, true, {}},
        {Way::Close, false, text, {{kSave, cancel}}, false, {}},
        {Way::Close, false, text, {{kSave, dontSave}}, true, {}},
        {Way::Logout, false, text, {{kSave, cancel}}, false, {}},
        {Way::Logout, true, text, {{kSession, keep}}, false, {}},
        {Way::Logout, false, text, {{kSave, dontSave}}, true, {}},
        {Way::UnattendedLogout, true, text, {}, true, copy},
        {Way::Sigterm, true, text, {}, true, copy},
        {Way::Quit, false, text, {{kSave, kSigterm}}, true, copy},
        {Way::Sigterm, false, u"...\nthe rest"_s, {}, true, u"Untitled.rtf"_s},
        {Way::Sigterm, false, khmer, {}, true, u"*"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases.data());
        QuietHome home;
        gMayInteract = c.way == Way::Logout;
        gLogoutsCancelled = 0;
        Script script = c.script;
        QTimer person;
        person.callOnTimeout([&] { answer(script); });
        person.start(5);
        InkwardenApp app;
        QMainWindow& window = app.writerWindow();
        QTimer::singleShot(0, &window, [&] {
            WritingStore& store = app.store();
            if (c.session)
                store.startSession();
            store.newDocument(); // untitled writing, not the day's entry
            store.saveEntry(writing(c.text));
            if (c.way == Way::Quit)
                action(window, u"Quit"_s)->trigger();
            else if (c.way == Way::Close)
                window.close();
            else if (c.way != Way::Sigterm)
                Q_EMIT qApp->commitDataRequest(*qApp->findChild<QSessionManager*>());
            else if (::kill(::getpid(), SIGTERM) == 0)
                waitUntil([&] { return store.isTerminationApproved(); });
            if (!store.isTerminationApproved()) {
                EXPECT_EQ(store.currentContent(), writing(c.text));
                EXPECT_EQ(store.isSessionActive(), c.session);
                EXPECT_TRUE(window.isVisible());
                QCoreApplication::exit(1); // still running
            } else if (c.way == Way::Logout || c.way == Way::UnattendedLogout) {
                QCoreApplication::quit(); // the session manager going ahead
            }
        });
        QTimer::singleShot(20000, &window, [] { QCoreApplication::exit(2); });
        EXPECT_EQ(app.run(), c.ends ? 0 : 1);
        // The next program's connections are its own.
        QObject::disconnect(qApp, &QGuiApplication::lastWindowClosed, qApp, nullptr);
        QObject::disconnect(qApp, &QGuiApplication::commitDataRequest, qApp, nullptr);
        EXPECT_TRUE(script.isEmpty());
        EXPECT_EQ(gLogoutsCancelled, c.way == Way::Logout && !c.ends ? 1 : 0);
        const QStringList files = documentFiles();
        EXPECT_EQ(files, c.kept.isEmpty()
                             ? QStringList()
                             : QStringList{c.kept == u"*"_s ? files.value(0) : c.kept});
        EXPECT_EQ(storage::readDocument(storage::documentsFolder() + u'/' + files.value(0)).text,
                  c.kept.isEmpty() ? RichText() : writing(c.text));
        // A session ends early, never completed, and only with the program.
        EXPECT_EQ(home.settings().contains(keys::kSessionEnd), c.session && !c.ends);
        EXPECT_FALSE(home.settings().contains(keys::kLastCompletedDay));
    }
}

// A file-size limit met while writing fails that write, with the reason,
// instead of ending the program with the writing in it.
TEST(AppTest, AFileSizeLimitFailsTheWriteInsteadOfEndingTheProgram) {
    QuietHome home;
    InkwardenApp app;
    QTimer::singleShot(0, &app.writerWindow(), [&] {
        app.store().saveEntry(writing(u"Notes"_s));
        ASSERT_TRUE(app.store().saveToLibrary(u"Notes"_s));
        rlimit previous{};
        ::getrlimit(RLIMIT_FSIZE, &previous);
        const rlimit low{64, previous.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &low);
        app.store().saveEntry(writing(u"Notes, more than sixty-four bytes of a document hold"_s));
        app.store().finishWrites();
        ::setrlimit(RLIMIT_FSIZE, &previous);
        QCoreApplication::processEvents();
        // The title says which document is open, and marks it while its writing is not on disk.
        EXPECT_EQ(app.writerWindow().windowTitle(), u"Notes[*] — Inkwarden"_s);
        EXPECT_TRUE(app.writerWindow().isWindowModified() && app.store().hasUnsavedChanges());
        EXPECT_TRUE(app.store().writeProblem().value_or(QString()).contains(
            QString::fromLocal8Bit(std::strerror(EFBIG))))
            << app.store().writeProblem().value_or(u"no error"_s).toStdString();
        QCoreApplication::exit(1);
    });
    EXPECT_EQ(app.run(), 1);
    QObject::disconnect(qApp, &QGuiApplication::lastWindowClosed, qApp, nullptr);
    QObject::disconnect(qApp, &QGuiApplication::commitDataRequest, qApp, nullptr);
}

// One primary while it lives, whatever happens to its socket: left behind
// by a crash, removed by another program, or closed by the server when
// accepting finds no file descriptor left. A socket folder another user
// could own is refused.
TEST(AppTest, OnlyOnePrimaryWhateverHappensToItsSocket) {
    QuietHome home;
    const QString socket = home.path() + u"/inkwarden.socket"_s;
    sockaddr_un address = {AF_UNIX, {}};
    qstrncpy(address.sun_path, QFile::encodeName(socket).constData(), sizeof address.sun_path);
    const int stale = ::socket(AF_UNIX, SOCK_STREAM, 0); // bound, and nobody listens
    ASSERT_EQ(::bind(stale, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(stale);
    SingleInstance primary(socket);
    ASSERT_EQ(primary.tryBecomePrimary(), SingleInstance::Launch::Primary);
    QFile::remove(socket);
    EXPECT_EQ(SingleInstance(socket).tryBecomePrimary(), SingleInstance::Launch::Unanswered);
    ASSERT_TRUE(waitUntil([&] { return QFileInfo::exists(socket); }));

    const int client = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    rlimit previous{};
    ::getrlimit(RLIMIT_NOFILE, &previous);
    rlimit none = previous;
    none.rlim_cur = ::dup(client); // the lowest free descriptor: none is left below the limit
    ::close(int(none.rlim_cur));
    ::setrlimit(RLIMIT_NOFILE, &none);
    ASSERT_EQ(::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    QTest::qWait(100); // the server tries to accept, fails and closes
    ::setrlimit(RLIMIT_NOFILE, &previous);
    ::close(client);
    EXPECT_TRUE(waitUntil([&] {
        return SingleInstance(socket).tryBecomePrimary() == SingleInstance::Launch::HandedOver;
    }));

    const QString shared = home.path() + u"/shared"_s;
    ASSERT_TRUE(QDir().mkdir(shared) &&
                QFile::setPermissions(shared, QFile::ReadOwner | QFile::WriteOwner |
                                                  QFile::ExeOwner | QFile::ReadOther |
                                                  QFile::ExeOther));
    EXPECT_EQ(SingleInstance(shared + u"/inkwarden.socket"_s).tryBecomePrimary(),
              SingleInstance::Launch::Unsafe);
}

TEST(AppTest, TheWriterComesForwardForARunningSessionAndEveryLaterLaunchAndItsMenusWork) {
    QuietHome home;
    home.settings().setDate(keys::kSessionEnd, QDateTime::currentDateTimeUtc().addSecs(600));
    const QString socket = home.path() + u"/inkwarden.socket"_s;
    SingleInstance primary(socket);
    ASSERT_EQ(primary.tryBecomePrimary(), SingleInstance::Launch::Primary);
    InkwardenApp app;
    app.takeActivationsFrom(primary);
    app.showWriter();
    QMainWindow& window = app.writerWindow();
    EXPECT_TRUE(waitUntil([&] { return window.isFullScreen(); }));

    EXPECT_FALSE(action(window, u"Start Focus Session"_s)->isEnabled());
    action(window, u"End Session Early"_s)->trigger();
    EXPECT_TRUE(waitUntil([&] { return action(window, u"Start Focus Session"_s)->isEnabled(); }));
    EXPECT_FALSE(action(window, u"End Session Early"_s)->isEnabled());
    EXPECT_FALSE(app.store().isSessionActive() ||
                 home.settings().contains(keys::kLastCompletedDay));
    auto* text = window.findChild<QTextEdit*>();
    text->setFocus();
    ASSERT_TRUE(waitUntil([&] { return QApplication::focusWidget() == text; }));
    text->setPlainText(u"draft"_s);
    QApplication::clipboard()->clear();
    action(window, u"Select All"_s)->trigger();
    action(window, u"Copy"_s)->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), u"draft"_s);
    action(window, u"Browse Files"_s)->trigger();
    EXPECT_TRUE(app.store().isLibraryPresented());

    // On Wayland the launch's activation token lets the window come forward:
    // Qt's plugin takes it from the environment, where a spent one must not
    // stay. A request the running one refuses (a token too long, or a running
    // Inkwarden from before tokens) is made again without it.
    const QString token = u"gnome-shell/Inkwarden/4242-1-host_TIME90"_s;
    for (const auto& [sent, received] :
         {std::pair{token, token}, std::pair{QString(600, u'x'), QString()}}) {
        window.hide();
        EXPECT_EQ(SingleInstance(socket).tryBecomePrimary(sent),
                  SingleInstance::Launch::HandedOver);
        EXPECT_TRUE(waitUntil([&] { return window.isVisible(); }));
        EXPECT_EQ(qEnvironmentVariable("XDG_ACTIVATION_TOKEN"), received);
    }
}

// A reminder from the system's timer: a running Inkwarden shows it once,
// however often it comes; with none running, the reminder mode shows it and
// a click on it starts Inkwarden. A notification server that appears after launch
// still gets the reminders scheduled, with the system too.
TEST(AppTest, RemindersFromTheSystemComeOnceWithOrWithoutInkwardenRunning) {
    QuietHome home;
    testing::PrivateBus bus;
    qputenv("DBUS_SESSION_BUS_ADDRESS", bus.address().toUtf8()); // for the reminder mode
    const QString notifications = u"org.freedesktop.Notifications"_s;
    testing::FakeService systemd(bus, u"org.freedesktop.systemd1"_s);
    QStringList shown;
    std::optional<testing::FakeService> server;
    {
        SingleInstance primary;
        ASSERT_EQ(primary.tryBecomePrimary(), SingleInstance::Launch::Primary);
        QDBusConnection connection = bus.connect(u"inkwarden"_s);
        InkwardenApp app(connection);
        app.takeActivationsFrom(primary);
        app.store();
        // Answered in order: the program's own question has been answered "no server".
        EXPECT_FALSE(connection.interface()->isServiceRegistered(notifications));
        server.emplace(bus, notifications, [&](const QDBusMessage& call) {
            if (call.member() == u"Notify"_s)
                shown.append(call.arguments().value(4).toString());
            return QVariantList{uint(shown.size())};
        });
        const QString timer = home.configHome() + u"/systemd/user/inkwarden-reminder-start.timer"_s;
        EXPECT_TRUE(waitUntil([&] { return QFile::exists(timer); }));
        for (int each = 0; each < 2; ++each)
            EXPECT_TRUE(SingleInstance().handOverReminder(u"start"_s));
    }
    QProcess alone;
    alone.start(QStringLiteral(INKWARDEN_PROGRAM), {u"--remind"_s, u"start"_s});
    EXPECT_TRUE(waitUntil([&] { return shown.size() == 2; }));
    server->emitSignal(notifications, u"ActivationToken"_s, {2u, u"click-token"_s});
    server->emitSignal(notifications, u"ActionInvoked"_s, {2u, u"default"_s});
    EXPECT_TRUE(waitUntil([&] { return alone.state() == QProcess::NotRunning; }));
    EXPECT_EQ(alone.exitCode(), 0);
    EXPECT_EQ(shown, QStringList(2, u"It’s time for your writing session."_s));
    QLocalSocket started; // the click started Inkwarden, which outlives the reminder
    ASSERT_TRUE(waitUntil([&] {
        started.connectToServer(SingleInstance::defaultSocketPath());
        return started.waitForConnected(100);
    }));
    ucred peer = {};
    socklen_t size = sizeof peer;
    ::getsockopt(int(started.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &size);
    ASSERT_TRUE(peer.pid > 0 && peer.pid != ::getpid());
    EXPECT_TRUE(testing::bytesOf(u"/proc/%1/environ"_s.arg(peer.pid))
                    .split('\0')
                    .contains("XDG_ACTIVATION_TOKEN=click-token"))
        << "the click's token goes to the Inkwarden it starts";
    ASSERT_EQ(::kill(peer.pid, SIGTERM), 0);
    EXPECT_TRUE(waitUntil([&] { return started.state() == QLocalSocket::UnconnectedState; }));
}

QStringList gWarnings;

// The program writes on a thread of its own, so that a keystroke never waits
// for the disk; ending must then await the retry's outcome, or a needless
// second copy is made.
TEST(AppTest, EndingWithoutAskingWritesAFailedDocumentOnceMoreAndSaysWhenItCannot) {
    QuietHome home;
    InkwardenApp app;
    WritingStore& store = app.store();
    AppDelegate delegate({});
    delegate.setStore(&store);
    store.newDocument();
    store.saveEntry(writing(u"before"_s));
    ASSERT_TRUE(store.saveToLibrary(u"Plan"_s));
    {
        const auto readOnly = testing::readOnlyFolder(storage::documentsFolder());
        if (!readOnly)
            GTEST_SKIP() << "this file system cannot make a folder read-only for this user";
        gWarnings.clear();
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& message) {
            gWarnings.append(message);
        });
        store.saveEntry(writing(u"after"_s));
        EXPECT_FALSE(store.hasUnsavedChanges()) << "the keystroke waited for the disk";
        EXPECT_FALSE(delegate.endWithoutAsking());
        EXPECT_EQ(gWarnings.filter(u"could not save"_s).size(), 1);
    }
    EXPECT_TRUE(delegate.endWithoutAsking());
    qInstallMessageHandler(nullptr);
    EXPECT_EQ(gWarnings.filter(u"could not save"_s).size(), 1) << "said only when it could not";
    EXPECT_EQ(documentFiles(), QStringList{u"Plan.rtf"_s});
    EXPECT_EQ(storage::readDocument(storage::documentsFolder() + u"/Plan.rtf"_s).text,
              writing(u"after"_s));
}

// Closing the terminal the program runs in (SIGHUP) or ^C must not lose writing either.
TEST(AppTest, EachTerminationSignalReachesTheMainThread) {
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        QThread* ranOn = nullptr;
        TerminationSignals handlers([&] { ranOn = QThread::currentThread(); });
        ASSERT_TRUE(handlers.isInstalled() && ::kill(::getpid(), signal) == 0);
        EXPECT_TRUE(waitUntil([&] { return ranOn == QCoreApplication::instance()->thread(); }));
    }
}

} // namespace
} // namespace inkwarden
