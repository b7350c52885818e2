#include "services/linux/mpris_players.h"

#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

namespace inkwarden {
namespace {

const QString kPlayerPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

} // namespace

MprisPlayers::MprisPlayers(QDBusConnection bus, int timeoutMilliseconds, QObject* parent)
    : QObject(parent)
    , m_bus(std::move(bus))
    , m_timeoutMilliseconds(timeoutMilliseconds) {}

void MprisPlayers::listNames(NamesAnswer answer) {
    const QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ListNames"));
    send(call, [answer = std::move(answer)](const QDBusMessage& reply) {
        const QVariantList arguments = reply.arguments();
        answer(reply.type() == QDBusMessage::ReplyMessage && !arguments.isEmpty()
                   ? arguments.constFirst().toStringList()
                   : QStringList());
    });
}

void MprisPlayers::playbackStatus(const QString& busName, StatusAnswer answer) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        busName, kPlayerPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    call << kPlayerInterface << QStringLiteral("PlaybackStatus");
    send(call, [answer = std::move(answer)](const QDBusMessage& reply) {
        const QVariantList arguments = reply.arguments();
        if (reply.type() != QDBusMessage::ReplyMessage || arguments.isEmpty()) {
            answer(QString());
            return;
        }
        const QVariant value = arguments.constFirst().value<QDBusVariant>().variant();
        answer(value.metaType() == QMetaType::fromType<QString>() ? value.toString() : QString());
    });
}

void MprisPlayers::pause(const QString& busName, Done done) {
    const QDBusMessage call = QDBusMessage::createMethodCall(busName, kPlayerPath, kPlayerInterface,
                                                             QStringLiteral("Pause"));
    send(call, [done = std::move(done)](const QDBusMessage&) { done(); });
}

// The watcher is a child of this object: destroying the backend destroys it,
// and its answer never runs. Without a connection Qt gives no pending call to
// watch, so the failure is handed over on a later turn of the event loop.
void MprisPlayers::send(const QDBusMessage& call, std::function<void(const QDBusMessage&)> answer) {
    if (!m_bus.isConnected()) {
        QMetaObject::invokeMethod(
            this, [answer = std::move(answer)] { answer(QDBusMessage()); }, Qt::QueuedConnection);
        return;
    }
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, m_timeoutMilliseconds), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [answer = std::move(answer)](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                answer(finished->reply());
            });
}

} // namespace inkwarden
