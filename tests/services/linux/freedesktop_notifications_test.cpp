#include "services/linux/freedesktop_notifications.h"
#include "support/private_bus.h"
#include "support/qt_printers.h"
#include "support/wait.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace inkwarden {
namespace {

// Plays the desktop's notification server on a private bus and records
// every Notify call.
class FakeNotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Call {
        QString appName;
        uint replacesId;
        QString icon;
        QString summary;
        QString body;
        QStringList actions;
        QVariantMap hints;
        int timeout;
    };
    QList<Call> calls;

public Q_SLOTS:
    uint Notify(const QString& appName, uint replacesId, const QString& icon,
                const QString& summary, const QString& body, const QStringList& actions,
                const QVariantMap& hints, int timeout) {
        calls.append({appName, replacesId, icon, summary, body, actions, hints, timeout});
        return uint(calls.size() + 40);
    }
    QString GetServerInformation(QString& vendor, QString& version, QString& specVersion) {
        vendor = QStringLiteral("test");
        version = QStringLiteral("1");
        specVersion = QStringLiteral("1.2");
        return QStringLiteral("fake");
    }
};

class FreedesktopNotificationsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(bus.isRunning()); }
    void startServer() {
        serverConnection = bus.connect(QStringLiteral("server"));
        ASSERT_TRUE(
            serverConnection.registerObject(QStringLiteral("/org/freedesktop/Notifications"),
                                            &server, QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(
            serverConnection.registerService(QStringLiteral("org.freedesktop.Notifications")));
    }
    void emitFromServer(const QString& name, const QVariantList& arguments) {
        QDBusMessage signal =
            QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                                       QStringLiteral("org.freedesktop.Notifications"), name);
        signal.setArguments(arguments);
        serverConnection.send(signal);
    }
    std::optional<bool> availability(FreedesktopNotifications& notifications) {
        std::optional<bool> answer;
        notifications.checkAvailable([&](bool available) { answer = available; });
        testing::waitUntil([&] { return answer.has_value(); });
        return answer;
    }

    testing::PrivateBus bus;
    QDBusConnection serverConnection{QStringLiteral("unconnected")};
    FakeNotificationServer server;
};

TEST_F(FreedesktopNotificationsTest, NotifiesWithOurNameIconSoundAndAClickAction) {
    startServer();
    FreedesktopNotifications notifications(bus.connect(QStringLiteral("client")));
    EXPECT_EQ(availability(notifications), true);
    notifications.deliver({QStringLiteral("writing-start"), QStringLiteral("Inkwarden"),
                           QStringLiteral("It\u2019s time for your writing session."), true,
                           DailyTrigger{9, 0}});
    ASSERT_TRUE(testing::waitUntil([&] { return !server.calls.isEmpty(); }));
    const FakeNotificationServer::Call& call = server.calls.first();
    EXPECT_EQ(call.appName, QStringLiteral("Inkwarden"));
    EXPECT_EQ(call.replacesId, 0u);
    EXPECT_EQ(call.icon, QStringLiteral("inkwarden"));
    EXPECT_EQ(call.summary, QStringLiteral("Inkwarden"));
    EXPECT_EQ(call.body, QStringLiteral("It\u2019s time for your writing session."));
    EXPECT_EQ(call.actions.value(0), QStringLiteral("default"));
    EXPECT_EQ(call.hints.value(QStringLiteral("desktop-entry")).toString(),
              QStringLiteral("inkwarden"));
    EXPECT_EQ(call.hints.value(QStringLiteral("sound-name")).toString(),
              QStringLiteral("message-new-instant"));
    EXPECT_EQ(call.timeout, -1);
}

TEST_F(FreedesktopNotificationsTest, ClickingOneOfOursActivatesAndOthersDoNot) {
    startServer();
    FreedesktopNotifications notifications(bus.connect(QStringLiteral("client")));
    QSignalSpy activated(&notifications, &NotificationDelivery::activated);
    notifications.deliver({QStringLiteral("writing-soon"),
                           QStringLiteral("Inkwarden"),
                           QStringLiteral("b"),
                           true,
                           {}});
    ASSERT_TRUE(testing::waitUntil([&] { return !server.calls.isEmpty(); }));
    QCoreApplication::processEvents(); // the reply with the server's id

    emitFromServer(QStringLiteral("ActionInvoked"),
                   {uint(999), QStringLiteral("default")}); // not ours
    emitFromServer(QStringLiteral("ActionInvoked"), {uint(41), QStringLiteral("default")});
    ASSERT_TRUE(activated.wait(5000));
    EXPECT_EQ(activated.count(), 1);

    notifications.deliver({QStringLiteral("writing-start"),
                           QStringLiteral("Inkwarden"),
                           QStringLiteral("b"),
                           true,
                           {}});
    ASSERT_TRUE(testing::waitUntil([&] { return server.calls.size() == 2; }));
    QCoreApplication::processEvents();
    emitFromServer(QStringLiteral("NotificationClosed"), {uint(41), uint(2)});
    emitFromServer(QStringLiteral("ActionInvoked"), {uint(41), QStringLiteral("default")});
    emitFromServer(QStringLiteral("ActionInvoked"), {uint(42), QStringLiteral("other-action")});
    emitFromServer(QStringLiteral("ActionInvoked"), {uint(42), QStringLiteral("default")});
    ASSERT_TRUE(activated.wait(5000));
    // Signals arrive in order, so the ignored ones were already handled.
    EXPECT_EQ(activated.count(), 2) << "a closed notification or another action activates nothing";
}

TEST_F(FreedesktopNotificationsTest, WithoutAServerNothingIsAvailableOrShown) {
    FreedesktopNotifications notifications(bus.connect(QStringLiteral("client")));
    EXPECT_EQ(availability(notifications), false);
    notifications.deliver({QStringLiteral("writing-soon"),
                           QStringLiteral("Inkwarden"),
                           QStringLiteral("b"),
                           true,
                           {}});
    QCoreApplication::processEvents();

    FreedesktopNotifications noBus(QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent/inkwarden-test-bus"), QStringLiteral("nowhere")));
    EXPECT_EQ(availability(noBus), false);
}

} // namespace
} // namespace inkwarden

#include "freedesktop_notifications_test.moc"
