#include "services/linux/file_manager_viewer.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QFileInfo>

namespace inkwarden {

FileManagerViewer::FileManagerViewer(QDBusConnection bus, FolderOpener openFolder, QObject* parent)
    : QObject(parent)
    , m_bus(std::move(bus))
    , m_openFolder(std::move(openFolder)) {
    if (!m_openFolder)
        m_openFolder = [](const QUrl& folder) {
            QDesktopServices::openUrl(folder);
        };
}

void FileManagerViewer::showFile(const QString& path) {
    const QUrl folder = QUrl::fromLocalFile(QFileInfo(path).absolutePath());
    if (!m_bus.isConnected()) {
        m_openFolder(folder);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, folder](QDBusPendingCallWatcher* finished) {
                if (finished->isError())
                    m_openFolder(folder);
                finished->deleteLater();
            });
}

} // namespace inkwarden
