#include "services/linux/logind_wake_notifier.h"
#include "support/private_bus.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace inkwarden {
namespace {

// Stands in for logind on a private bus: owns its name and emits its signal.
class FakeLogind {
public:
    explicit FakeLogind(testing::PrivateBus& bus)
        : m_connection(bus.connect(QStringLiteral("fake-logind"))) {
        m_connection.interface()->registerService(QStringLiteral("org.freedesktop.login1"));
    }
    void prepareForSleep(bool goingToSleep) {
        QDBusMessage signal = QDBusMessage::createSignal(
            QStringLiteral("/org/freedesktop/login1"),
            QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"));
        signal << goingToSleep;
        m_connection.send(signal);
    }

private:
    QDBusConnection m_connection;
};

TEST(LogindWakeNotifier, ReportsOnlyTheWakingHalfOfPrepareForSleep) {
    testing::PrivateBus bus;
    ASSERT_TRUE(bus.isRunning());
    FakeLogind logind(bus);
    LogindWakeNotifier notifier(bus.connect(QStringLiteral("store")));
    ASSERT_TRUE(notifier.isRegistered());
    QSignalSpy woke(&notifier, &WakeNotifier::didWake);

    logind.prepareForSleep(true);
    logind.prepareForSleep(false);
    ASSERT_TRUE(woke.wait(5000));
    // Signals on one connection arrive in order, so the "going to sleep" one
    // was already delivered, and ignored.
    EXPECT_EQ(woke.count(), 1);
}

TEST(LogindWakeNotifier, WithoutLogindNothingIsRegistered) {
    testing::PrivateBus bus;
    ASSERT_TRUE(bus.isRunning());
    LogindWakeNotifier notifier(bus.connect(QStringLiteral("store")));
    EXPECT_FALSE(notifier.isRegistered());
}

TEST(LogindWakeNotifier, WithoutABusNothingIsRegistered) {
    LogindWakeNotifier notifier(QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent/inkwarden-test-bus"), QStringLiteral("nowhere")));
    EXPECT_FALSE(notifier.isRegistered());
}

} // namespace
} // namespace inkwarden
