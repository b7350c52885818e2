#include "services/linux/xdg_autostart_login_item.h"
#include "services/login_service.h"
#include "store/settings_keys.h"
#include "store/settings_store.h"
#include "support/temp_home.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace inkwarden {
namespace {

using Status = LoginItemStatus;

class XdgAutostartTest : public ::testing::Test {
protected:
    QString entry() const {
        return m_home.configHome() + QStringLiteral("/autostart/inkwarden.desktop");
    }

    // An executable file at `relative` inside the temporary home.
    QString makeExecutable(const QString& relative, bool executable = true) {
        const QString path = m_home.path() + QLatin1Char('/') + relative;
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.setPermissions(executable ? QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                       : QFile::ReadOwner | QFile::WriteOwner);
        return path;
    }

    void writeEntry(const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(entry()).path());
        QFile file(entry());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    unsigned entryMode() const {
        struct stat info {};
        EXPECT_EQ(::stat(QFile::encodeName(entry()).constData(), &info), 0);
        return info.st_mode & 0777;
    }

    QByteArray readEntry() const {
        QFile file(entry());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    testing::TempHome m_home;
};

TEST_F(XdgAutostartTest, StatusReadsTheDesktopEntryGroupOnly) {
    XdgAutostartLoginItem item(makeExecutable(QStringLiteral("bin/inkwarden")));
    EXPECT_EQ(XdgAutostartLoginItem::entryPath(), entry());
    EXPECT_EQ(item.status(), Status::NotRegistered);
    const QList<std::pair<QByteArray, Status>> rows = {
        {"Type=Application\nExec=other\n", Status::Enabled},
        {"Hidden=true\n", Status::RequiresApproval},
        {"X-GNOME-Autostart-enabled=false\n", Status::RequiresApproval},
        {"Hidden = true\r\n", Status::RequiresApproval},
        {"Hidden=false\nX-GNOME-Autostart-enabled=true\n", Status::Enabled},
        {"hidden=true\nHidden=True\nHidden[de]=true\n", Status::Enabled},
        {"# Hidden=true\n[Desktop Action quit]\nHidden=true\n", Status::Enabled},
    };
    for (const auto& [group, status] : rows) {
        writeEntry("[Desktop Entry]\nName=Mine\n" + group);
        EXPECT_EQ(item.status(), status) << group.constData();
    }
    writeEntry("[Other]\nHidden=true\n[Desktop Entry]\nName=Mine\n");
    EXPECT_EQ(item.status(), Status::Enabled);
}

TEST_F(XdgAutostartTest, UnfitExecutableIsNeverRegistered) {
    const QStringList paths = {QString(), m_home.path() + QStringLiteral("/gone"),
                               makeExecutable(QStringLiteral("plain-file"), false), m_home.path(),
                               QStringLiteral("bin/inkwarden")};
    makeExecutable(QStringLiteral("bin/inkwarden"));
    const QString previousFolder = QDir::currentPath();
    QDir::setCurrent(m_home.path()); // so the relative path names a real file
    for (const QString& path : paths) {
        XdgAutostartLoginItem item(path);
        EXPECT_EQ(item.status(), Status::NotFound) << path.toStdString();
        EXPECT_FALSE(item.registerItem());
    }
    QDir::setCurrent(previousFolder);
    // A newline would end the Exec line and start a key of its own.
    EXPECT_FALSE(XdgAutostartLoginItem(makeExecutable(QStringLiteral("a\nHidden=true/inkwarden")))
                     .registerItem());
    EXPECT_FALSE(QFile::exists(entry()));
}

TEST_F(XdgAutostartTest, RegistrationWritesAPrivateEntryOnlyWhereNoneIs) {
    XdgAutostartLoginItem item(makeExecutable(QStringLiteral("bin/inkwarden")));
    ASSERT_TRUE(item.registerItem());
    EXPECT_EQ(item.status(), Status::Enabled);
    EXPECT_EQ(entryMode(), 0600u);
    EXPECT_EQ(readEntry(), "[Desktop Entry]\nType=Application\nName=Inkwarden\n"
                           "Comment=Keeps Inkwarden running for your daily writing time\nExec=" +
                               QFile::encodeName(m_home.path()) +
                               "/bin/inkwarden\nIcon=inkwarden\nTerminal=false\n"
                               "X-GNOME-Autostart-enabled=true\n");

    writeEntry("[Desktop Entry]\nExec=mine\n");
    EXPECT_FALSE(item.registerItem());
    EXPECT_EQ(readEntry(), "[Desktop Entry]\nExec=mine\n");

    // A dangling link holds the name; writing through it would create its target.
    QFile::remove(entry());
    const QString target = m_home.path() + QStringLiteral("/elsewhere.desktop");
    ASSERT_TRUE(QFile::link(target, entry()));
    EXPECT_EQ(item.status(), Status::Other);
    EXPECT_FALSE(item.registerItem());
    EXPECT_FALSE(QFile::exists(target));

    QFile::remove(entry());
    QDir().rmdir(QFileInfo(entry()).path());
    QFile blocker(QFileInfo(entry()).path()); // autostart/ as a file: nothing can be written
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    EXPECT_FALSE(item.registerItem());
}

// Folders (under the home, "@") whose names need the Exec quoting, and the Exec value for each.
const QList<std::pair<QString, QString>> kAwkwardFolders = {
    {QStringLiteral("plain"), QStringLiteral("@/plain/inkwarden")},
    {QStringLiteral("my apps"), QStringLiteral(R"("@/my apps/inkwarden")")},
    {QStringLiteral(R"(it's "here")"), QStringLiteral(R"("@/it's \\"here\\"/inkwarden")")},
    {QStringLiteral("$HOME"), QStringLiteral(R"("@/\\$HOME/inkwarden")")},
    {QStringLiteral("tick`"), QStringLiteral(R"("@/tick\\`/inkwarden")")},
    {QStringLiteral("100%"), QStringLiteral("@/100%%/inkwarden")},
    {QStringLiteral("50% off"), QStringLiteral(R"("@/50%% off/inkwarden")")},
    {QStringLiteral(R"(back\slash)"), QStringLiteral(R"("@/back\\\\slash/inkwarden")")},
};

// The validator runs where it is installed; without it only the Exec lines are checked.
TEST_F(XdgAutostartTest, AwkwardPathsGiveValidQuotedExecLines) {
    const QString validator =
        QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    for (const auto& [folder, exec] : kAwkwardFolders) {
        QFile::remove(entry());
        ASSERT_TRUE(XdgAutostartLoginItem(makeExecutable(folder + QStringLiteral("/inkwarden")))
                        .registerItem());
        const QString line = QStringLiteral("\nExec=") +
                             QString(exec).replace(QLatin1Char('@'), m_home.path()) +
                             QLatin1Char('\n');
        EXPECT_TRUE(QString::fromUtf8(readEntry()).contains(line)) << readEntry().constData();
        if (validator.isEmpty())
            continue;
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(validator, {entry()});
        ASSERT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitCode(), 0) << folder.toStdString();
        EXPECT_EQ(process.readAll(), QByteArray()) << folder.toStdString();
    }
    if (validator.isEmpty())
        GTEST_SKIP() << "desktop-file-validate is not installed (Debian: desktop-file-utils)";
}

TEST_F(XdgAutostartTest, UsersOwnEntryIsNeverTouched) {
    const QList<QByteArray> entries = {
        "[Desktop Entry]\nType=Application\nExec=/opt/x\nHidden=true\n",
        "[Desktop Entry]\nType=Application\nExec=/opt/x\nX-GNOME-Autostart-enabled=false\n",
        "[Desktop Entry]\nType=Application\nExec=/opt/x --quiet\n",
    };
    XdgAutostartLoginItem item(makeExecutable(QStringLiteral("bin/inkwarden")));
    for (const QByteArray& bytes : entries) {
        writeEntry(bytes);
        ::chmod(QFile::encodeName(entry()).constData(), 0604);
        QFile::remove(SettingsStore::defaultFilePath());
        SettingsStore defaults(SettingsStore::defaultFilePath());
        LoginService(defaults, keys::kDidRegisterLoginItemByDefault, item)
            .enableByDefaultIfNeeded();
        EXPECT_EQ(readEntry(), bytes);
        EXPECT_EQ(entryMode(), 0604u);
        EXPECT_EQ(defaults.boolean(keys::kDidRegisterLoginItemByDefault), true);
    }
}

} // namespace
} // namespace inkwarden
