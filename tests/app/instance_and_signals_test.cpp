#include "app/single_instance.h"
#include "app/termination_signals.h"
#include "support/wait.h"

#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace inkwarden {
namespace {

using Launch = SingleInstance::Launch;
using testing::waitUntil;

class SingleInstanceTest : public ::testing::Test {
protected:
    QString socketPath() const { return m_runtime.path() + QStringLiteral("/inkwarden.socket"); }

    // What a crashed instance leaves behind: a socket file nobody listens on.
    void leaveStaleSocket() {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_GE(fd, 0);
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        const QByteArray path = QFile::encodeName(socketPath());
        ASSERT_LT(size_t(path.size()), sizeof address.sun_path);
        qstrcpy(address.sun_path, path.constData());
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
        ASSERT_TRUE(QFileInfo::exists(socketPath()));
    }

private:
    QTemporaryDir m_runtime{QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
                            QStringLiteral("/instance-XXXXXX")};
};

TEST_F(SingleInstanceTest, ALaterLaunchHandsOverAndThePrimaryIsActivated) {
    SingleInstance first(socketPath());
    ASSERT_EQ(first.tryBecomePrimary(), Launch::Primary);
    EXPECT_EQ(QFileInfo(socketPath()).permissions() &
                  (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
              QFileDevice::Permissions());
    int activations = 0;
    QObject::connect(&first, &SingleInstance::activationRequested, [&] { ++activations; });
    for (int launch = 1; launch <= 2; ++launch) {
        SingleInstance later(socketPath());
        EXPECT_EQ(later.tryBecomePrimary(), Launch::HandedOver);
        EXPECT_FALSE(later.isPrimary());
        EXPECT_TRUE(waitUntil([&] { return activations == launch; }));
    }
    EXPECT_TRUE(first.isPrimary());
}

TEST_F(SingleInstanceTest, AStaleSocketIsTakenOverAndAClosedPrimaryLeavesNone) {
    leaveStaleSocket();
    {
        SingleInstance revived(socketPath());
        ASSERT_EQ(revived.tryBecomePrimary(), Launch::Primary);
        SingleInstance later(socketPath());
        EXPECT_EQ(later.tryBecomePrimary(), Launch::HandedOver);
    }
    EXPECT_FALSE(QFileInfo::exists(socketPath()));
}

TEST_F(SingleInstanceTest, AnInstanceThatAnswersStrangelyIsNeverReplaced) {
    QLocalServer stranger;
    ASSERT_TRUE(stranger.listen(socketPath()));
    QObject::connect(&stranger, &QLocalServer::newConnection, [&] {
        QLocalSocket* socket = stranger.nextPendingConnection();
        QObject::connect(socket, &QLocalSocket::readyRead,
                         [socket] { socket->write(QByteArrayLiteral("busy\n")); });
    });
    SingleInstance later(socketPath());
    EXPECT_EQ(later.tryBecomePrimary(), Launch::Unanswered);
    EXPECT_FALSE(later.isPrimary());
    EXPECT_TRUE(QFileInfo::exists(socketPath()));
}

TEST_F(SingleInstanceTest, ARequestThatIsNotOursIsDroppedWithoutActivating) {
    SingleInstance first(socketPath());
    ASSERT_EQ(first.tryBecomePrimary(), Launch::Primary);
    int activations = 0;
    QObject::connect(&first, &SingleInstance::activationRequested, [&] { ++activations; });
    QLocalSocket client;
    client.connectToServer(socketPath());
    client.write(QByteArrayLiteral("open /etc/passwd\n"));
    EXPECT_TRUE(waitUntil([&] { return client.state() == QLocalSocket::UnconnectedState; }));
    EXPECT_EQ(client.readAll(), QByteArray());
    EXPECT_EQ(activations, 0);
}

TEST(TerminationSignalsTest, EachSignalReachesTheCallbackOnTheMainThread) {
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        QThread* ranOn = nullptr;
        TerminationSignals handlers([&] { ranOn = QThread::currentThread(); });
        ASSERT_TRUE(handlers.isInstalled());
        ASSERT_EQ(::kill(::getpid(), signal), 0);
        EXPECT_TRUE(waitUntil([&] { return ranOn != nullptr; })) << signal;
        EXPECT_EQ(ranOn, QCoreApplication::instance()->thread());
    }
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        struct sigaction now = {};
        ASSERT_EQ(::sigaction(signal, nullptr, &now), 0);
        EXPECT_EQ(now.sa_handler, SIG_DFL) << signal;
    }
}

} // namespace
} // namespace inkwarden
