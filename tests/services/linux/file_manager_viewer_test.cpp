#include "services/linux/file_manager_viewer.h"
#include "support/private_bus.h"
#include "support/wait.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnectionInterface>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace inkwarden {
namespace {

// Plays the desktop's file manager on a private bus.
class FakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QStringList shown;
    QString startupId;

public Q_SLOTS:
    void ShowItems(const QStringList& uris, const QString& startup) {
        shown = uris;
        startupId = startup;
        Q_EMIT called();
    }

Q_SIGNALS:
    void called();
};

TEST(FileManagerViewer, AsksTheFileManagerToSelectTheFile) {
    testing::PrivateBus bus;
    ASSERT_TRUE(bus.isRunning());
    QDBusConnection managerConnection = bus.connect(QStringLiteral("file-manager"));
    FakeFileManager manager;
    ASSERT_TRUE(managerConnection.registerObject(QStringLiteral("/org/freedesktop/FileManager1"),
                                                 &manager, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(managerConnection.registerService(QStringLiteral("org.freedesktop.FileManager1")));

    QList<QUrl> opened;
    FileManagerViewer viewer(bus.connect(QStringLiteral("viewer")),
                             [&](const QUrl& folder) { opened.append(folder); });
    QSignalSpy called(&manager, &FakeFileManager::called);
    viewer.showFile(
        QStringLiteral("/home/someone/.local/share/Inkwarden/Documents/My plan #1.rtf"));
    ASSERT_TRUE(called.wait(5000));
    EXPECT_EQ(manager.shown,
              QStringList{QStringLiteral(
                  "file:///home/someone/.local/share/Inkwarden/Documents/My plan %231.rtf")});
    EXPECT_TRUE(manager.startupId.isEmpty());
    QCoreApplication::processEvents();
    EXPECT_TRUE(opened.isEmpty());
}

TEST(FileManagerViewer, OpensTheFolderWhenNoFileManagerAnswers) {
    testing::PrivateBus bus;
    ASSERT_TRUE(bus.isRunning());
    QList<QUrl> opened;
    FileManagerViewer viewer(bus.connect(QStringLiteral("viewer")),
                             [&](const QUrl& folder) { opened.append(folder); });
    viewer.showFile(QStringLiteral("/data/Inkwarden/Entries/2026-12-07.rtf"));
    ASSERT_TRUE(testing::waitUntil([&] { return !opened.isEmpty(); }));
    EXPECT_EQ(opened, QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/data/Inkwarden/Entries"))});
}

} // namespace
} // namespace inkwarden

#include "file_manager_viewer_test.moc"
