#include "store/settings_store.h"
#include "support/scoped_file_size_limit.h"
#include "support/temp_home.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace inkwarden {
namespace {

using namespace Qt::Literals::StringLiterals;

class SettingsStoreTest : public ::testing::Test {
protected:
    QString path() const { return m_home.configHome() + u"/Inkwarden/defaults.json"_s; }
    QString folder() const { return QFileInfo(path()).path(); }
    void writeRaw(const QByteArray& bytes) {
        QDir().mkpath(folder());
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray readRaw(const QString& at) const {
        QFile file(at);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QStringList brokenCopies() const {
        return QDir(folder()).entryList({u"defaults.json.broken-*"_s},
                                        QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    }
    QStringList filesInFolder() const {
        return QDir(folder()).entryList(QDir::Files | QDir::Hidden);
    }
    // The store starts empty, keeps one copy aside and writes again afterwards.
    void expectKeptAsideAndUsable(SettingsStore& store) {
        EXPECT_FALSE(store.contains(u"scheduleHour"_s));
        ASSERT_EQ(brokenCopies().size(), 1);
        EXPECT_EQ(store.brokenFileKeptAt(), folder() + u'/' + brokenCopies().first());
        store.setInteger(u"scheduleHour"_s, 11);
        EXPECT_EQ(SettingsStore(path()).integer(u"scheduleHour"_s), 11);
    }

    testing::TempHome m_home;
};

TEST_F(SettingsStoreTest, KindsStayApartAcrossARestart) {
    EXPECT_EQ(SettingsStore::defaultFilePath(), path());
    const QDateTime end(QDate(2026, 12, 6), QTime(10, 15, 0, 250), Qt::UTC);
    {
        SettingsStore store(path());
        store.setInteger(u"hour"_s, 9);
        store.setInteger(u"big"_s, std::numeric_limits<qint64>::max());
        store.setString(u"numberText"_s, u"9"_s);
        store.setBoolean(u"flag"_s, true);
        store.setDate(u"end"_s, end);
        store.setString(u"gone"_s, u"x"_s);
        store.remove(u"gone"_s);
    }
    SettingsStore store(path());
    EXPECT_EQ(store.integer(u"hour"_s), 9);
    EXPECT_EQ(store.integer(u"big"_s), std::numeric_limits<qint64>::max());
    EXPECT_EQ(store.string(u"numberText"_s), u"9"_s);
    EXPECT_EQ(store.boolean(u"flag"_s), true);
    EXPECT_EQ(store.date(u"end"_s), end);
    EXPECT_FALSE(store.contains(u"gone"_s));
    // Every read of another kind answers "absent".
    EXPECT_FALSE(store.integer(u"numberText"_s));
    EXPECT_FALSE(store.string(u"hour"_s));
    EXPECT_FALSE(store.boolean(u"hour"_s));
    EXPECT_FALSE(store.date(u"hour"_s));
    EXPECT_FALSE(store.string(u"end"_s));
}

TEST_F(SettingsStoreTest, HandWrittenWrongKindsReadAsAbsentAndUnknownEntriesSurvive) {
    writeRaw(R"({"scheduleHour": "9", "scheduleMinute": 7.5, "fontName": 12,
                "sessionEnd": "2026-12-06T10:15:00Z", "other": {"date": "not a date"},
                "flag": 1, "future": {"kind": "data", "value": "AAE="}})");
    SettingsStore store(path());
    EXPECT_FALSE(store.integer(u"scheduleHour"_s));
    EXPECT_EQ(store.string(u"scheduleHour"_s), u"9"_s);
    EXPECT_FALSE(store.integer(u"scheduleMinute"_s));
    EXPECT_FALSE(store.string(u"fontName"_s));
    EXPECT_FALSE(store.date(u"sessionEnd"_s));
    EXPECT_FALSE(store.date(u"other"_s));
    EXPECT_FALSE(store.boolean(u"flag"_s));
    EXPECT_TRUE(brokenCopies().isEmpty()) << "a parseable file is not broken";

    store.setInteger(u"scheduleHour"_s, 10);
    const QJsonObject onDisk = QJsonDocument::fromJson(readRaw(path())).object();
    EXPECT_EQ(onDisk[u"future"_s].toObject()[u"kind"_s].toString(), u"data"_s);
    EXPECT_EQ(onDisk[u"scheduleHour"_s].toInteger(), 10);
}

TEST_F(SettingsStoreTest, BrokenFilesAreKeptAsideByteForByte) {
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
        EXPECT_EQ(readRaw(store.brokenFileKeptAt()), bytes);
        expectKeptAsideAndUsable(store);
    }
    // A second broken file does not replace the first.
    writeRaw("second broken");
    SettingsStore second(path());
    EXPECT_EQ(brokenCopies().size(), 2);
}

TEST_F(SettingsStoreTest, UnreadableFileIsKeptAside) {
    QDir().mkpath(path()); // a folder in its place cannot be read, even by root
    SettingsStore store(path());
    expectKeptAsideAndUsable(store);
}

TEST_F(SettingsStoreTest, WritesArePrivateAndAFailedWriteKeepsTheOldFile) {
    SettingsStore store(path());
    store.setString(u"fontName"_s, u"Georgia"_s);
    EXPECT_EQ(QFileInfo(path()).permissions(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                   QFileDevice::ReadUser | QFileDevice::WriteUser);
    EXPECT_FALSE(QFileInfo(folder()).permissions() &
                 (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::ExeGroup |
                  QFileDevice::ExeOther));
    const QByteArray before = readRaw(path());
    {
        testing::ScopedFileSizeLimit limit(before.size() + 16);
        store.setString(u"fontName"_s, QString(4096, u'x'));
        EXPECT_FALSE(store.lastWriteError().isEmpty());
    }
    EXPECT_EQ(readRaw(path()), before);
    EXPECT_EQ(filesInFolder(), QStringList{u"defaults.json"_s}) << "no temporary file is left";
    store.setInteger(u"scheduleMinute"_s, 5);
    EXPECT_TRUE(store.lastWriteError().isEmpty()) << "the next good write clears the error";
    EXPECT_EQ(SettingsStore(path()).string(u"fontName"_s)->size(), 4096);
    EXPECT_EQ(filesInFolder(), QStringList{u"defaults.json"_s});
}

TEST_F(SettingsStoreTest, WriteFailsCleanlyWhenTheFolderIsAFile) {
    QDir().mkpath(QFileInfo(folder()).path());
    QFile blocker(folder());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    SettingsStore store(path());
    store.setBoolean(u"flag"_s, true);
    EXPECT_EQ(store.boolean(u"flag"_s), true);
    EXPECT_FALSE(store.lastWriteError().isEmpty());
    EXPECT_TRUE(QFileInfo(folder()).isFile());
}

} // namespace
} // namespace inkwarden
