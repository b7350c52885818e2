#include "services/linux/freedesktop_notifications.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>

namespace inkwarden {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kDefaultAction = QStringLiteral("default");
constexpr int kCallTimeoutMilliseconds = 5000;

QDBusMessage call(const QString& method) {
    return QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
}

} // namespace

FreedesktopNotifications::FreedesktopNotifications(QDBusConnection bus, QObject* parent)
    : NotificationDelivery(parent)
    , m_bus(std::move(bus)) {
    if (!m_bus.isConnected())
        return;
    m_bus.connect(kService, kPath, kInterface, QStringLiteral("ActivationToken"), this,
                  SLOT(activationTokenSent(uint, QString)));
    m_bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                  SLOT(actionInvoked(uint, QString)));
    m_bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                  SLOT(notificationClosed(uint, uint)));
    auto* watcher =
        new QDBusServiceWatcher(kService, m_bus, QDBusServiceWatcher::WatchForRegistration, this);
    connect(watcher, &QDBusServiceWatcher::serviceRegistered, this,
            &FreedesktopNotifications::serverAppeared);
}

void FreedesktopNotifications::checkAvailable(std::function<void(bool)> answer) {
    if (!m_bus.isConnected()) {
        QMetaObject::invokeMethod(
            this, [answer] { answer(false); }, Qt::QueuedConnection);
        return;
    }
    auto* watcher = new QDBusPendingCallWatcher(
        m_bus.asyncCall(call(QStringLiteral("GetServerInformation")), kCallTimeoutMilliseconds),
        this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [answer](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                answer(!finished->isError());
            });
}

void FreedesktopNotifications::deliver(const NotificationRequest& request) {
    if (!m_bus.isConnected())
        return;
    QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("inkwarden")}};
    if (request.defaultSound)
        hints.insert(QStringLiteral("sound-name"), QStringLiteral("message-new-instant"));
    QDBusMessage notify = call(QStringLiteral("Notify"));
    notify << QStringLiteral("Inkwarden") << uint(0) << QStringLiteral("inkwarden") << request.title
           << request.body << QStringList{kDefaultAction, QStringLiteral("Open Inkwarden")} << hints
           << int(-1);
    auto* watcher =
        new QDBusPendingCallWatcher(m_bus.asyncCall(notify, kCallTimeoutMilliseconds), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                const QDBusPendingReply<uint> reply = *finished;
                if (reply.isError())
                    Q_EMIT closed();
                else
                    m_shown.insert(reply.value());
            });
}

void FreedesktopNotifications::closeShown() {
    for (const uint id : std::exchange(m_shown, {})) {
        QDBusMessage close = call(QStringLiteral("CloseNotification"));
        close << id;
        m_bus.call(close, QDBus::Block, kCallTimeoutMilliseconds);
    }
}

void FreedesktopNotifications::activationTokenSent(uint id, const QString& token) {
    if (m_shown.contains(id))
        m_activationToken = token;
}

void FreedesktopNotifications::actionInvoked(uint id, const QString& actionKey) {
    const QString token = std::exchange(m_activationToken, {});
    if (actionKey == kDefaultAction && m_shown.contains(id))
        Q_EMIT activated(token);
}

void FreedesktopNotifications::notificationClosed(uint id, uint) {
    if (m_shown.remove(id))
        Q_EMIT closed();
}

} // namespace inkwarden
