#include "documents/atomic_file.h"
#include "support/file_bytes.h"
#include "support/scoped_file_size_limit.h"
#include "support/temp_home.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace inkwarden {
namespace {

constexpr QFileDevice::Permissions kOwnerOnlyFile = QFileDevice::ReadOwner |
                                                    QFileDevice::WriteOwner |
                                                    QFileDevice::ReadUser | QFileDevice::WriteUser;

class AtomicFileTest : public ::testing::Test {
protected:
    testing::TempHome home;
    QString root() const { return home.dataHome() + QStringLiteral("/Inkwarden"); }
};

TEST_F(AtomicFileTest, CreatesMissingFoldersPrivatelyAndWritesAPrivateFile) {
    const QString path = root() + QStringLiteral("/Entries/2026-12-07.rtf");
    EXPECT_FALSE(writeFileAtomically(path, "{\\rtf1 hello}"));
    EXPECT_EQ(testing::bytesOf(path), QByteArray("{\\rtf1 hello}"));
    EXPECT_EQ(QFileInfo(path).permissions(), kOwnerOnlyFile);
    for (const QString& folder : {root(), root() + QStringLiteral("/Entries")}) {
        const auto mode = QFileInfo(folder).permissions();
        EXPECT_TRUE(mode & QFileDevice::ExeOwner) << folder.toStdString();
        EXPECT_FALSE(mode & (QFileDevice::ReadGroup | QFileDevice::ExeGroup |
                             QFileDevice::ReadOther | QFileDevice::ExeOther))
            << folder.toStdString();
    }
}

TEST_F(AtomicFileTest, ReplacingTightensAnOpenFileModeAndLeavesNoTemporaryFile) {
    const QString path = root() + QStringLiteral("/note.rtf");
    QDir().mkpath(root());
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    QFile::setPermissions(path, kOwnerOnlyFile | QFileDevice::ReadGroup | QFileDevice::ReadOther);

    EXPECT_FALSE(writeFileAtomically(path, "new"));
    EXPECT_EQ(testing::bytesOf(path), QByteArray("new"));
    EXPECT_EQ(QFileInfo(path).permissions(), kOwnerOnlyFile);
    EXPECT_EQ(QDir(root()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("note.rtf")});
}

TEST_F(AtomicFileTest, FailedWriteLeavesTheOldFileWhole) {
    const QString path = root() + QStringLiteral("/note.rtf");
    ASSERT_FALSE(writeFileAtomically(path, "the old text"));
    std::optional<QString> error;
    {
        testing::ScopedFileSizeLimit limit(64);
        error = writeFileAtomically(path, QByteArray(1024, 'x'));
    }
    ASSERT_TRUE(error);
    EXPECT_TRUE(error->contains(QStringLiteral("note.rtf"))) << error->toStdString();
    EXPECT_EQ(testing::bytesOf(path), QByteArray("the old text"));
    EXPECT_EQ(QDir(root()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("note.rtf")});
}

TEST_F(AtomicFileTest, AFileInThePlaceOfAFolderIsAnError) {
    QDir().mkpath(home.dataHome());
    QFile blocker(root());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const std::optional<QString> error =
        writeFileAtomically(root() + QStringLiteral("/Documents/a.rtf"), "x");
    ASSERT_TRUE(error);
    EXPECT_TRUE(QFileInfo(root()).isFile());
    EXPECT_TRUE(ensurePrivateFolder(root()).has_value());
}

TEST_F(AtomicFileTest, ExistingFoldersKeepTheirMode) {
    QDir().mkpath(root());
    const auto shared = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                        QFileDevice::ReadGroup | QFileDevice::ExeGroup;
    QFile::setPermissions(root(), shared);
    EXPECT_FALSE(ensurePrivateFolder(root() + QStringLiteral("/Documents")));
    // Owner, group and other bits only; the "user" bits depend on who runs the test.
    constexpr int kModeBits = 0x7077;
    EXPECT_EQ(QFileInfo(root()).permissions() & kModeBits, shared);
}

TEST_F(AtomicFileTest, ALinkIsWrittenThroughAndLeftoverSavesAreSweptAlone) {
    QDir().mkpath(root() + QStringLiteral("/elsewhere"));
    const QString target = root() + QStringLiteral("/elsewhere/real.rtf");
    const QString link = root() + QStringLiteral("/linked.rtf");
    ASSERT_FALSE(writeFileAtomically(target, "old"));
    ASSERT_TRUE(QFile::link(QStringLiteral("elsewhere/real.rtf"), link));
    EXPECT_FALSE(writeFileAtomically(link, "new"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(testing::bytesOf(target), QByteArray("new"));
    // A chain of links is followed to its end; every link stays a link.
    const QString outer = root() + QStringLiteral("/outer.rtf");
    ASSERT_TRUE(QFile::link(QStringLiteral("linked.rtf"), outer));
    EXPECT_FALSE(writeFileAtomically(outer, "newer"));
    EXPECT_TRUE(QFileInfo(outer).isSymLink());
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(testing::bytesOf(target), QByteArray("newer"));

    // What a crash mid-save leaves goes; files that merely look alike stay.
    for (const QString& name : {kLeftoverSavePrefix + QStringLiteral("a1B2c3"),
                                kLeftoverSavePrefix + QStringLiteral("short"),
                                QStringLiteral("notes.rtf.backup"),
                                QStringLiteral("inkwarden-save-a1B2c3")}) {
        QFile file(root() + u'/' + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    removeLeftoverSaves(root());
    QStringList left = QDir(root()).entryList(QDir::Files | QDir::Hidden | QDir::System);
    left.sort();
    EXPECT_EQ(left, (QStringList{kLeftoverSavePrefix + QStringLiteral("short"),
                                 QStringLiteral("inkwarden-save-a1B2c3"), QStringLiteral("linked.rtf"),
                                 QStringLiteral("notes.rtf.backup"), QStringLiteral("outer.rtf")}));
}

TEST_F(AtomicFileTest, AnExportOverAnExistingFileKeepsItsModeANewOneIsPrivate) {
    QDir().mkpath(root());
    const QString existing = root() + QStringLiteral("/shared.rtf");
    ASSERT_FALSE(writeFileAtomically(existing, "old"));
    const auto readable = kOwnerOnlyFile | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    QFile::setPermissions(existing, readable);
    EXPECT_FALSE(writeFileAtomically(existing, "new", false));
    EXPECT_EQ(testing::bytesOf(existing), QByteArray("new"));
    EXPECT_EQ(QFileInfo(existing).permissions(), readable);
    const QString fresh = root() + QStringLiteral("/fresh.rtf");
    EXPECT_FALSE(writeFileAtomically(fresh, "new", false));
    EXPECT_EQ(QFileInfo(fresh).permissions(), kOwnerOnlyFile);
}

} // namespace
} // namespace inkwarden
