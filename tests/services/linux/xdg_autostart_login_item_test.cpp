#include "services/linux/xdg_autostart_login_item.h"
#include "support/temp_home.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace inkwarden {
namespace {

// Programs in folders (under the home, "@") whose names need the Exec
// quoting, and the Exec line each entry gets. An entry is written only where
// none is, and never for a program that is not there: it would fail at every
// login.
TEST(XdgAutostartLoginItem, WritesOneEntryWithTheProgramQuoted) {
    testing::TempHome home;
    const QString entry = home.configHome() + QStringLiteral("/autostart/inkwarden.desktop");
    const auto written = [&] {
        QFile file(entry);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QList<std::pair<QString, QString>> rows = {
        {QStringLiteral("plain"), QStringLiteral("@/plain/inkwarden")},
        {QStringLiteral("my apps"), QStringLiteral(R"("@/my apps/inkwarden")")},
        {QStringLiteral(R"(a "b" $c `d` e\f)"),
         QStringLiteral(R"("@/a \\"b\\" \\$c \\`d\\` e\\\\f/inkwarden")")},
        {QStringLiteral("50% off"), QStringLiteral(R"("@/50%% off/inkwarden")")},
    };
    QString program;
    for (const auto& [folder, exec] : rows) {
        program = home.path() + QLatin1Char('/') + folder + QStringLiteral("/inkwarden");
        QDir().mkpath(QFileInfo(program).path());
        QFile file(program);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::remove(entry);
        XdgAutostartLoginItem item(program);
        EXPECT_EQ(item.status(), LoginItemStatus::NotRegistered);
        ASSERT_TRUE(item.registerItem());
        EXPECT_EQ(item.status(), LoginItemStatus::Enabled);
        const QString line = QString(exec).replace(QLatin1Char('@'), home.path());
        EXPECT_TRUE(written().contains("\nExec=" + line.toUtf8() + '\n')) << written().data();
    }
    const QByteArray inPlace = written();
    EXPECT_FALSE(XdgAutostartLoginItem(program).registerItem());
    EXPECT_EQ(written(), inPlace);
    QFile::remove(entry);
    const QString gone = home.path() + QStringLiteral("/gone");
    EXPECT_EQ(XdgAutostartLoginItem(gone).status(), LoginItemStatus::NotFound);
    EXPECT_FALSE(XdgAutostartLoginItem(gone).registerItem());
    EXPECT_FALSE(QFile::exists(entry));
}

// Our entry follows the program when the one it names is gone; a user's own
// entry, or ours turned off, stays as it is. A program run from its build
// folder writes nothing. The menu's switch keeps a turned-off entry, hidden.
TEST(XdgAutostartLoginItem, FollowsTheProgramAndTheUsersSwitch) {
    testing::TempHome home;
    const QString entry = home.configHome() + QStringLiteral("/autostart/inkwarden.desktop");
    const QString program = QCoreApplication::applicationFilePath();
    const auto put = [&](const QByteArray& contents) {
        QDir().mkpath(QFileInfo(entry).path());
        QFile file(entry);
        return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
    };
    const auto text = [&] {
        QFile file(entry);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray ours = "[Desktop Entry]\nExec=/gone/inkwarden\nX-Inkwarden-Entry=true\n";
    const QList<std::pair<QByteArray, bool>> rows = {
        {ours, true},
        {"[Desktop Entry]\nExec=/gone/inkwarden\n", false}, // the user's own
        {ours + "Hidden=true\n", false},
    };
    for (const auto& [contents, follows] : rows) {
        ASSERT_TRUE(put(contents));
        EXPECT_FALSE(XdgAutostartLoginItem(program, false).followThisProgram());
        EXPECT_EQ(XdgAutostartLoginItem(program).followThisProgram(), follows);
        EXPECT_EQ(text().contains(program.toUtf8()), follows) << text().data();
    }
    QFile::remove(entry);
    EXPECT_FALSE(XdgAutostartLoginItem(program, false).registerItem() || QFile::exists(entry));
    XdgAutostartLoginItem item(program);
    ASSERT_TRUE(item.setEnabled(false) && item.setEnabled(true) && item.setEnabled(false));
    EXPECT_EQ(item.status(), LoginItemStatus::RequiresApproval) << "kept, hidden";
    EXPECT_FALSE(item.registerItem());
    EXPECT_TRUE(item.setEnabled(true));
    EXPECT_EQ(item.status(), LoginItemStatus::Enabled);
}

} // namespace
} // namespace inkwarden
