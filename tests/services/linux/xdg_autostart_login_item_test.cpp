#include "services/linux/xdg_autostart_login_item.h"
#include "support/file_bytes.h"
#include "support/temp_home.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace inkwarden {
namespace {

using namespace Qt::StringLiterals;
using testing::bytesOf;

// Programs in folders (under the home, "@") whose names need the Exec
// quoting, and the Exec line each entry gets. An entry is written only where
// none is, and never for a program that is not there: it would fail at every
// login.
//
// Our entry follows the program when the one it names is gone; a user's own
// entry, or ours turned off, stays as it is. A program run from its build
// folder writes nothing. The menu's switch keeps a turned-off entry, hidden.
TEST(XdgAutostartLoginItem, WritesOneQuotedEntryThatFollowsTheProgramAndTheUsersSwitch) {
    testing::TempHome home;
    const QString entry = home.configHome() + u"/autostart/inkwarden.desktop"_s;
    const QList<std::pair<QString, QString>> rows = {
        {u"plain"_s, u"@/plain/inkwarden"_s},
        {u"my apps"_s, uR"("@/my apps/inkwarden")"_s},
        {uR"(a "b" $c `d` e\f)"_s, uR"("@/a \\"b\\" \\$c \\`d\\` e\\\\f/inkwarden")"_s},
        {u"50% off"_s, uR"("@/50%% off/inkwarden")"_s},
    };
    QString program;
    for (const auto& [folder, exec] : rows) {
        program = home.path() + u'/' + folder + u"/inkwarden"_s;
        testing::writeBytes(program, {});
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::remove(entry);
        XdgAutostartLoginItem item(program);
        EXPECT_EQ(item.status(), LoginItemStatus::NotRegistered);
        ASSERT_TRUE(item.registerItem());
        EXPECT_EQ(item.status(), LoginItemStatus::Enabled);
        const QString line = QString(exec).replace(u'@', home.path());
        EXPECT_TRUE(bytesOf(entry).contains("\nExec=" + line.toUtf8() + '\n'))
            << bytesOf(entry).data();
    }
    const QByteArray inPlace = bytesOf(entry);
    EXPECT_FALSE(XdgAutostartLoginItem(program).registerItem());
    EXPECT_EQ(bytesOf(entry), inPlace);
    QFile::remove(entry);
    const QString gone = home.path() + u"/gone"_s;
    EXPECT_EQ(XdgAutostartLoginItem(gone).status(), LoginItemStatus::NotFound);
    EXPECT_FALSE(XdgAutostartLoginItem(gone).registerItem() || QFile::exists(entry));

    program = QCoreApplication::applicationFilePath();
    const QByteArray ours = "[Desktop Entry]\nExec=/gone/inkwarden\nX-Inkwarden-Entry=true\n";
    const QList<std::pair<QByteArray, bool>> entries = {
        {ours, true},
        {"[Desktop Entry]\nExec=/gone/inkwarden\n", false}, // the user's own
        {ours + "Hidden=true\n", false},
    };
    for (const auto& [contents, follows] : entries) {
        testing::writeBytes(entry, contents);
        EXPECT_FALSE(XdgAutostartLoginItem(program, false).followThisProgram());
        EXPECT_EQ(XdgAutostartLoginItem(program).followThisProgram(), follows);
        EXPECT_EQ(bytesOf(entry).contains(program.toUtf8()), follows) << bytesOf(entry).data();
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
