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

    // A file at `relative` inside the temporary home, executable or not.
    QString makeExecutable(const QString& relative, bool executable = true) {
        const QString path = m_home.path() + QLatin1Char('/') + relative;
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner |
                            (executable ? QFile::ExeOwner : QFile::Permissions()));
        return path;
    }

    void writeEntry(const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(entry()).path());
        QFile file(entry());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QByteArray readEntry() const {
        QFile file(entry());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    unsigned entryMode() const {
        struct stat info {};
        EXPECT_EQ(::stat(QFile::encodeName(entry()).constData(), &info), 0);
        return info.st_mode & 0777;
    }

    testing::TempHome m_home;
};

TEST_F(XdgAutostartTest, StatusReadsTheDesktopEntryGroupOnly) {
    XdgAutostartLoginItem item(makeExecutable(QStringLiteral("bin/inkwarden")));
    EXPECT_EQ(item.status(), Status::NotRegistered);
    const QList<std::pair<QByteArray, Status>> rows = {
        {"[Desktop Entry]\nExec=other\n", Status::Enabled},
        {"[Desktop Entry]\nHidden=true\n", Status::RequiresApproval},
        {"[Desktop Entry]\nX-GNOME-Autostart-enabled=false\n", Status::RequiresApproval},
        {"[Desktop Entry]\nHidden = true\r\n", Status::RequiresApproval},
        {"[Desktop Entry]\nHidden=false\nX-GNOME-Autostart-enabled=true\n", Status::Enabled},
        {"[Desktop Entry]\nhidden=true\nHidden=True\nHidden[de]=true\n", Status::Enabled},
        {"[Desktop Entry]\n# Hidden=true\n[Desktop Action quit]\nHidden=true\n", Status::Enabled},
        {"[Other]\nHidden=true\n[Desktop Entry]\nName=Mine\n", Status::Enabled},
    };
    for (const auto& [contents, status] : rows) {
        writeEntry(contents);
        EXPECT_EQ(item.status(), status) << contents.constData();
    }
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

// Folders (under the home, "@") whose names need the Exec quoting, and the
// Exec value for each. The validator runs where it is installed.
TEST_F(XdgAutostartTest, RegistrationWritesAValidPrivateEntry) {
    const QList<std::pair<QString, QString>> rows = {
        {QStringLiteral("plain"), QStringLiteral("@/plain/inkwarden")},
        {QStringLiteral("my apps"), QStringLiteral(R"("@/my apps/inkwarden")")},
        {QStringLiteral(R"(it's "here")"), QStringLiteral(R"("@/it's \\"here\\"/inkwarden")")},
        {QStringLiteral("$HOME"), QStringLiteral(R"("@/\\$HOME/inkwarden")")},
        {QStringLiteral("tick`"), QStringLiteral(R"("@/tick\\`/inkwarden")")},
        {QStringLiteral("100%"), QStringLiteral("@/100%%/inkwarden")},
        {QStringLiteral("50% off"), QStringLiteral(R"("@/50%% off/inkwarden")")},
        {QStringLiteral(R"(back\slash)"), QStringLiteral(R"("@/back\\\\slash/inkwarden")")},
    };
    const QString validator =
        QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    for (const auto& [folder, exec] : rows) {
        SCOPED_TRACE(folder.toStdString());
        QFile::remove(entry());
        XdgAutostartLoginItem item(makeExecutable(folder + QStringLiteral("/inkwarden")));
        ASSERT_TRUE(item.registerItem());
        EXPECT_EQ(item.status(), Status::Enabled);
        EXPECT_EQ(entryMode(), 0600u);
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
        EXPECT_EQ(process.exitCode(), 0);
        EXPECT_EQ(process.readAll(), QByteArray());
    }
    if (validator.isEmpty())
        GTEST_SKIP() << "desktop-file-validate is not installed (Debian: desktop-file-utils)";
}

// The user's own entry, enabled or not, is theirs: the service finds it done.
TEST_F(XdgAutostartTest, AnExistingEntryIsNeverOverwritten) {
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
        EXPECT_FALSE(item.registerItem());
        EXPECT_EQ(readEntry(), bytes);
        EXPECT_EQ(entryMode(), 0604u);
        EXPECT_EQ(defaults.boolean(keys::kDidRegisterLoginItemByDefault), true);
    }

    // A dangling link holds the name; writing through it would create its target.
    QFile::remove(entry());
    const QString target = m_home.path() + QStringLiteral("/elsewhere.desktop");
    ASSERT_TRUE(QFile::link(target, entry()));
    EXPECT_EQ(item.status(), Status::Other);
    EXPECT_FALSE(item.registerItem());
    EXPECT_FALSE(QFile::exists(target));

    // autostart/ as a file: nothing can be written.
    QFile::remove(entry());
    QDir().rmdir(QFileInfo(entry()).path());
    QFile blocker(QFileInfo(entry()).path());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    EXPECT_FALSE(item.registerItem());
}

} // namespace
} // namespace inkwarden
