#include "app/single_instance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QTimer>
#include <fcntl.h>
#include <functional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace inkwarden {
namespace {

const QByteArray kActivate = QByteArrayLiteral("activate\n");
const QByteArray kActivateWithToken = QByteArrayLiteral("activate "); // and the token
const QByteArray kRemind = QByteArrayLiteral("remind ");              // and the reminder's name
const QByteArray kAcknowledge = QByteArrayLiteral("ok\n");
// Anything longer than a request is not one of ours; activation tokens are
// well under it.
constexpr qint64 kLongestRequest = 512;
// How often the primary checks that its socket still listens.
constexpr int kListenCheckMilliseconds = 2000;

// A folder only this user can own and enter: a socket in a folder another
// user made could be answered, or blocked, by that user.
bool isPrivateFolder(const QString& folder) {
    struct stat status = {};
    return ::lstat(QFile::encodeName(folder).constData(), &status) == 0 &&
           S_ISDIR(status.st_mode) && status.st_uid == ::getuid() &&
           (status.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

// Runs a local event loop until `done` holds, the socket closes or time runs
// out. A local loop rather than waitFor*(): the primary may be served by
// this very thread (as in the tests), and it must get to answer.
bool waitFor(QLocalSocket& socket, const std::function<bool()>& done, QDeadlineTimer deadline) {
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&socket, &QLocalSocket::readyRead, &loop, &QEventLoop::quit);
    QObject::connect(&socket, &QLocalSocket::stateChanged, &loop, &QEventLoop::quit);
    QObject::connect(&socket, &QLocalSocket::errorOccurred, &loop, &QEventLoop::quit);
    while (!done()) {
        if (deadline.hasExpired() || socket.state() == QLocalSocket::UnconnectedState)
            return done();
        timer.start(int(qMax<qint64>(1, deadline.remainingTime())));
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    return true;
}

} // namespace

SingleInstance::SingleInstance(QString socketPath, QObject* parent)
    : QObject(parent)
    , m_socketPath(std::move(socketPath)) {}

SingleInstance::~SingleInstance() {
    // Closing the server removes its socket file, so the next launch starts clean.
    if (m_server)
        m_server->close();
    if (m_primaryLock >= 0)
        ::close(m_primaryLock);
}

QString SingleInstance::defaultSocketPath() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty())
        return runtime + QStringLiteral("/inkwarden.socket");
    const QString folder = QDir::tempPath() + QStringLiteral("/inkwarden-%1").arg(::getuid());
    ::mkdir(QFile::encodeName(folder).constData(), S_IRWXU); // checked before use
    return folder + QStringLiteral("/inkwarden.socket");
}

QString SingleInstance::unsafeFolderReason() const {
    return tr("“%1” is not a folder that only this user can own and enter.")
        .arg(QFileInfo(m_socketPath).path());
}

SingleInstance::Launch SingleInstance::tryBecomePrimary(const QString& activationToken) {
    if (m_server)
        return Launch::Primary;
    if (!isPrivateFolder(QFileInfo(m_socketPath).path()))
        return Launch::Unsafe;
    // Two launches at the same moment must not both find the socket stale
    // and each remove the other's fresh one.
    QLockFile lock(m_socketPath + QStringLiteral(".lock"));
    if (!lock.tryLock(kAnswerMilliseconds))
        return Launch::Unanswered;
    // The primary holds this lock for life, so a socket that was removed or
    // closed under it never lets a second primary write the same files.
    const int primaryLock = ::open(QFile::encodeName(m_socketPath + QStringLiteral(".primary")),
                                   O_RDWR | O_CREAT | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (primaryLock >= 0 && ::flock(primaryLock, LOCK_EX | LOCK_NB) == 0) {
        m_primaryLock = primaryLock;
        if (listen())
            return Launch::Primary;
        ::close(std::exchange(m_primaryLock, -1));
        return Launch::Unanswered;
    }
    if (primaryLock >= 0)
        ::close(primaryLock);
    // A running instance from before an update knows only the plain request.
    const QByteArray token = activationToken.toUtf8();
    const bool handedOver = (!token.isEmpty() && !token.contains('\n') &&
                             handOver(kActivateWithToken + token + '\n')) ||
                            handOver(kActivate);
    return handedOver ? Launch::HandedOver : Launch::Unanswered;
}

bool SingleInstance::handOverReminder(const QString& name) {
    if (m_server || !isPrivateFolder(QFileInfo(m_socketPath).path()))
        return false;
    // Only the primary holds this lock: if it can be taken, nobody runs. It
    // is let go at once, so a launch at this moment still becomes the primary.
    const int primaryLock =
        ::open(QFile::encodeName(m_socketPath + QStringLiteral(".primary")), O_RDWR | O_CLOEXEC);
    if (primaryLock < 0)
        return false;
    const bool running = ::flock(primaryLock, LOCK_EX | LOCK_NB) != 0;
    ::close(primaryLock);
    return running && handOver(kRemind + name.toUtf8() + '\n');
}

bool SingleInstance::handOver(const QByteArray& request) {
    const QDeadlineTimer deadline(kAnswerMilliseconds);
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    const auto connected = [&] {
        return socket.state() == QLocalSocket::ConnectedState;
    };
    if (!waitFor(socket, connected, deadline))
        return false;
    socket.write(request);
    const auto answered = [&] {
        return socket.canReadLine();
    };
    return waitFor(socket, answered, deadline) && socket.readLine() == kAcknowledge;
}

bool SingleInstance::listen() {
    // A socket file nobody answers on was left by an instance that crashed.
    QLocalServer::removeServer(m_socketPath);
    auto* server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(m_socketPath)) {
        qWarning("Inkwarden cannot listen on %s: %s", qPrintable(m_socketPath),
                 qPrintable(server->errorString()));
        delete server;
        return false;
    }
    m_server = server;
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    // The server closes itself, and removes its socket, when accepting fails
    // (no file descriptors left), and another program may remove the socket
    // file; later launches must still find us.
    auto* check = new QTimer(m_server);
    connect(check, &QTimer::timeout, this, &SingleInstance::listenAgainIfClosed);
    check->start(kListenCheckMilliseconds);
    return true;
}

void SingleInstance::listenAgainIfClosed() {
    if (m_server && m_server->isListening() && QFileInfo::exists(m_socketPath))
        return;
    if (m_server) {
        m_server->close();
        m_server->deleteLater();
    }
    m_server = nullptr;
    if (!listen())
        QTimer::singleShot(kListenCheckMilliseconds, this, &SingleInstance::listenAgainIfClosed);
}

void SingleInstance::acceptConnections() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
        if (socket->bytesAvailable() > 0)
            readRequest(socket);
    }
}

void SingleInstance::readRequest(QLocalSocket* socket) {
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > kLongestRequest)
            socket->abort();
        return;
    }
    const QByteArray request = socket->readLine(kLongestRequest);
    const auto argument = [&request](const QByteArray& prefix) {
        return request.startsWith(prefix) && request.endsWith('\n')
                   ? QString::fromUtf8(request.mid(prefix.size()).chopped(1))
                   : QString();
    };
    const QString reminder = argument(kRemind);
    const QString token = argument(kActivateWithToken);
    if (request != kActivate && reminder.isEmpty() && token.isEmpty()) {
        socket->abort();
        return;
    }
    // Answer first: the launch waiting on us should not wait for a window.
    socket->write(kAcknowledge);
    socket->flush();
    socket->disconnectFromServer();
    if (reminder.isEmpty())
        Q_EMIT activationRequested(token);
    else
        Q_EMIT reminderRequested(reminder);
}

} // namespace inkwarden
