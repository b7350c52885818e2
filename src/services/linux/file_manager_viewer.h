#pragma once

#include "store/store_services.h"

#include <QDBusConnection>
#include <QObject>
#include <QUrl>
#include <functional>

namespace inkwarden {

// Shows a file selected in the desktop's file manager through
// org.freedesktop.FileManager1.ShowItems; when no file manager answers, opens
// the containing folder instead. Never blocks: the answer is awaited
// asynchronously. Main thread.
class FileManagerViewer final : public QObject, public FileViewer {
    Q_OBJECT
public:
    using FolderOpener = std::function<void(const QUrl&)>;

    // The default opener hands the folder to the desktop (QDesktopServices).
    explicit FileManagerViewer(QDBusConnection bus = QDBusConnection::sessionBus(),
                               FolderOpener openFolder = {}, QObject* parent = nullptr);

    void showFile(const QString& path) override;

private:
    QDBusConnection m_bus;
    FolderOpener m_openFolder;
};

} // namespace inkwarden
