#include "services/linux/logind_wake_notifier.h"

#include <QDBusConnectionInterface>

namespace inkwarden {
namespace {

const QString kLogindService = QStringLiteral("org.freedesktop.login1");
const QString kLogindPath = QStringLiteral("/org/freedesktop/login1");
const QString kManagerInterface = QStringLiteral("org.freedesktop.login1.Manager");

} // namespace

LogindWakeNotifier::LogindWakeNotifier(QDBusConnection bus, QObject* parent)
    : WakeNotifier(parent) {
    if (!bus.isConnected() || !bus.interface() ||
        !bus.interface()->isServiceRegistered(kLogindService))
        return;
    m_isRegistered =
        bus.connect(kLogindService, kLogindPath, kManagerInterface,
                    QStringLiteral("PrepareForSleep"), this, SLOT(prepareForSleep(bool)));
}

void LogindWakeNotifier::prepareForSleep(bool goingToSleep) {
    if (!goingToSleep)
        Q_EMIT didWake();
}

} // namespace inkwarden
