#include "store/settings_store.h"
#include "support/scoped_file_size_limit.h"
#include "support/temp_home.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace inkwarden {
namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
    QString path() const {
        return m_home.configHome() + QStringLiteral("/Inkwarden/defaults.json");
    }
    QString folder() const { return QFileInfo(path()).path(); }

    void writeRaw(const QByteArray& bytes) {
        QDir().mkpath(folder());
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QByteArray readRaw() const {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QStringList brokenCopies() const {
        return QDir(folder()).entryList({QStringLiteral("defaults.json.broken-*")},
                                        QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    }

    testing::TempHome m_home;
};

TEST_F(SettingsStoreTest, DefaultPathFollowsXdgConfigHome) {
    EXPECT_EQ(SettingsStore::defaultFilePath(), path());
}

TEST_F(SettingsStoreTest, KindsStayApartAcrossARestart) {
    const QDateTime end(QDate(2026, 12, 6), QTime(10, 15, 0, 250), Qt::UTC);
    {
        SettingsStore store(path());
        store.setInteger(QStringLiteral("hour"), 9);
        store.setInteger(QStringLiteral("big"), std::numeric_limits<qint64>::max());
        store.setString(QStringLiteral("numberText"), QStringLiteral("9"));
        store.setBoolean(QStringLiteral("flag"), true);
        store.setDate(QStringLiteral("end"), end);
    }
    SettingsStore store(path());
    EXPECT_EQ(store.integer(QStringLiteral("hour")), 9);
    EXPECT_EQ(store.integer(QStringLiteral("big")), std::numeric_limits<qint64>::max());
    EXPECT_EQ(store.string(QStringLiteral("numberText")), QStringLiteral("9"));
    EXPECT_EQ(store.boolean(QStringLiteral("flag")), true);
    EXPECT_EQ(store.date(QStringLiteral("end")), end);

    // Every read of another kind answers "absent".
    EXPECT_FALSE(store.integer(QStringLiteral("numberText")));
    EXPECT_FALSE(store.string(QStringLiteral("hour")));
    EXPECT_FALSE(store.boolean(QStringLiteral("hour")));
    EXPECT_FALSE(store.date(QStringLiteral("hour")));
    EXPECT_FALSE(store.integer(QStringLiteral("flag")));
    EXPECT_FALSE(store.string(QStringLiteral("end")));
    EXPECT_FALSE(store.integer(QStringLiteral("missing")));
}

TEST_F(SettingsStoreTest, RemoveIsPersisted) {
    {
        SettingsStore store(path());
        store.setString(QStringLiteral("a"), QStringLiteral("x"));
        store.setString(QStringLiteral("b"), QStringLiteral("y"));
        store.remove(QStringLiteral("a"));
    }
    SettingsStore store(path());
    EXPECT_FALSE(store.contains(QStringLiteral("a")));
    EXPECT_EQ(store.string(QStringLiteral("b")), QStringLiteral("y"));
}

TEST_F(SettingsStoreTest, HandWrittenValuesOfTheWrongKindReadAsAbsent) {
    writeRaw(R"({"scheduleHour": "9", "scheduleMinute": 7.5, "fontName": 12,
                "sessionEnd": "2026-12-06T10:15:00Z", "other": {"date": "not a date"},
                "flag": 1, "list": [1, 2]})");
    SettingsStore store(path());
    EXPECT_FALSE(store.integer(QStringLiteral("scheduleHour")));
    EXPECT_EQ(store.string(QStringLiteral("scheduleHour")), QStringLiteral("9"));
    EXPECT_FALSE(store.integer(QStringLiteral("scheduleMinute")));
    EXPECT_FALSE(store.string(QStringLiteral("fontName")));
    EXPECT_FALSE(store.date(QStringLiteral("sessionEnd")));
    EXPECT_FALSE(store.date(QStringLiteral("other")));
    EXPECT_FALSE(store.boolean(QStringLiteral("flag")));
    EXPECT_FALSE(store.integer(QStringLiteral("list")));
    EXPECT_TRUE(brokenCopies().isEmpty()) << "a parseable file is not broken";
}

TEST_F(SettingsStoreTest, EntriesItDoesNotUnderstandSurviveAWrite) {
    writeRaw(R"({"future": {"kind": "data", "value": "AAE="}, "list": [1, 2]})");
    SettingsStore(path()).setInteger(QStringLiteral("scheduleHour"), 10);
    const QJsonObject onDisk = QJsonDocument::fromJson(readRaw()).object();
    EXPECT_EQ(
        onDisk.value(QStringLiteral("future")).toObject().value(QStringLiteral("kind")).toString(),
        QStringLiteral("data"));
    EXPECT_EQ(onDisk.value(QStringLiteral("list")).toArray().size(), 2);
    EXPECT_EQ(onDisk.value(QStringLiteral("scheduleHour")).toInteger(), 10);
}

TEST_F(SettingsStoreTest, BrokenFilesAreKeptAsideAndTheStoreStartsEmpty) {
    const QList<QByteArray> broken = {
        QByteArray(),                                     // empty
        QByteArrayLiteral("{\"scheduleHour\": 9, \"fon"), // truncated
        QByteArrayLiteral("scheduleHour=9\n"),            // not JSON
        QByteArrayLiteral("[1, 2, 3]"),                   // JSON, but not an object
        QByteArray("\x00\xff\xfe{\x01", 5),               // binary garbage
    };
    for (const QByteArray& bytes : broken) {
        SCOPED_TRACE(bytes.toHex().toStdString());
        QDir(folder()).removeRecursively();
        writeRaw(bytes);

        SettingsStore store(path());
        EXPECT_FALSE(store.contains(QStringLiteral("scheduleHour")));
        ASSERT_EQ(brokenCopies().size(), 1);
        EXPECT_EQ(store.brokenFileKeptAt(), folder() + QLatin1Char('/') + brokenCopies().first());
        QFile kept(store.brokenFileKeptAt());
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), bytes) << "the broken file must be kept byte for byte";

        store.setInteger(QStringLiteral("scheduleHour"), 11);
        EXPECT_EQ(SettingsStore(path()).integer(QStringLiteral("scheduleHour")), 11);
    }
}

TEST_F(SettingsStoreTest, SecondBrokenFileDoesNotReplaceTheFirst) {
    writeRaw("first broken");
    SettingsStore first(path());
    writeRaw("second broken");
    SettingsStore second(path());
    EXPECT_EQ(brokenCopies().size(), 2);
    EXPECT_NE(first.brokenFileKeptAt(), second.brokenFileKeptAt());
}

TEST_F(SettingsStoreTest, UnreadableFileIsKeptAside) {
    // A folder where the file should be cannot be read, even by root.
    QDir().mkpath(path());
    SettingsStore store(path());
    EXPECT_FALSE(store.contains(QStringLiteral("scheduleHour")));
    ASSERT_EQ(brokenCopies().size(), 1);
    store.setInteger(QStringLiteral("scheduleHour"), 7);
    EXPECT_EQ(SettingsStore(path()).integer(QStringLiteral("scheduleHour")), 7);
}

TEST_F(SettingsStoreTest, WritesArePrivateAndLeaveNoTemporaryFiles) {
    SettingsStore store(path());
    store.setString(QStringLiteral("fontName"), QStringLiteral("Menlo"));
    EXPECT_EQ(QFileInfo(path()).permissions(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                   QFileDevice::ReadUser | QFileDevice::WriteUser);
    const QFileDevice::Permissions folderMode = QFileInfo(folder()).permissions();
    EXPECT_FALSE(folderMode & (QFileDevice::ReadGroup | QFileDevice::ReadOther |
                               QFileDevice::ExeGroup | QFileDevice::ExeOther));
    EXPECT_EQ(QDir(folder()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("defaults.json")});
}

TEST_F(SettingsStoreTest, WritePastTheFileSizeLimitKeepsTheOldFile) {
    SettingsStore store(path());
    store.setString(QStringLiteral("fontName"), QStringLiteral("Georgia"));
    const QByteArray before = readRaw();
    {
        testing::ScopedFileSizeLimit limit(before.size() + 16);
        store.setString(QStringLiteral("fontName"), QString(4096, QLatin1Char('x')));
        EXPECT_FALSE(store.lastWriteError().isEmpty());
    }
    EXPECT_EQ(readRaw(), before);
    store.setInteger(QStringLiteral("scheduleMinute"), 5);
    EXPECT_TRUE(store.lastWriteError().isEmpty()) << "the next good write clears the error";
    EXPECT_EQ(SettingsStore(path()).string(QStringLiteral("fontName"))->size(), 4096);
    EXPECT_EQ(store.string(QStringLiteral("fontName"))->size(), 4096);
    EXPECT_EQ(QDir(folder()).entryList(QDir::Files | QDir::Hidden).size(), 1)
        << "the failed temporary file must be cleaned up";
}

TEST_F(SettingsStoreTest, WriteFailsCleanlyWhenTheFolderIsAFile) {
    QDir().mkpath(QFileInfo(folder()).path());
    QFile blocker(folder());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    SettingsStore store(path());
    store.setBoolean(QStringLiteral("flag"), true);
    EXPECT_EQ(store.boolean(QStringLiteral("flag")), true);
    EXPECT_FALSE(store.lastWriteError().isEmpty());
    EXPECT_TRUE(QFileInfo(folder()).isFile());
}

} // namespace
} // namespace inkwarden
