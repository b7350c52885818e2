#include "store/settings_store.h"
#include "support/file_bytes.h"
#include "support/temp_home.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace inkwarden {
namespace {

using namespace Qt::Literals::StringLiterals;
using testing::bytesOf;

// A settings file that cannot be read or parsed may hold someone's only copy
// of their settings: it is moved aside as it was, never replaced by a later
// broken one, and the store starts empty and writes again. A value of
// another kind than asked for reads as absent.
TEST(SettingsStore, ABrokenFileIsKeptAsideAndAWrongKindReadsAsAbsent) {
    testing::TempHome home;
    const QString path = SettingsStore::defaultFilePath();
    for (const QByteArray& bytes : {QByteArray(), "{\"hour\": 9, \"fo"_ba, "[1]"_ba}) {
        testing::writeBytes(path, bytes);
        SettingsStore store(path);
        EXPECT_EQ(bytesOf(store.brokenFileKeptAt()), bytes);
        store.setInteger(u"hour"_s, 11);
        EXPECT_EQ(SettingsStore(path).integer(u"hour"_s), 11);
    }
    QFile::remove(path);
    QDir().mkpath(path); // a folder in its place cannot be read, even by root
    EXPECT_TRUE(QFileInfo(SettingsStore(path).brokenFileKeptAt()).isDir());
    EXPECT_EQ(QDir(home.configHome() + u"/Inkwarden"_s).entryList({u"*.broken*"_s}).size(), 4);
    // Another file, since a folder now takes the first one's place.
    testing::writeBytes(path + u"s"_s,
                        R"({"hour": "9", "minute": 7.5, "on": 1, "end": "2026-12-06"})");
    SettingsStore store(path + u"s"_s);
    EXPECT_FALSE(store.integer(u"hour"_s) || store.integer(u"minute"_s) || store.boolean(u"on"_s) ||
                 store.date(u"end"_s) || store.string(u"on"_s));
    store.setBoolean(u"on"_s, true);
    EXPECT_EQ(SettingsStore(path + u"s"_s).boolean(u"on"_s), true);
    // Only a regular file of a sane size is read: a pipe would block the start for ever, a
    // link to /dev/zero would be read until memory ran out, and a file past the cap is
    // kept aside even when it would parse.
    const QString odd = path + u"t"_s;
    for (int kind = 0; kind < 3; ++kind) {
        SCOPED_TRACE(kind);
        if (kind == 0)
            ASSERT_EQ(::mkfifo(QFile::encodeName(odd).constData(), 0600), 0);
        else if (kind == 1)
            ASSERT_TRUE(QFile::link(u"/dev/zero"_s, odd));
        else
            testing::writeBytes(odd, QByteArray(4 * 1024 * 1024, ' ') + "{}");
        SettingsStore oddStore(odd);
        EXPECT_FALSE(oddStore.brokenFileKeptAt().isEmpty());
        oddStore.setInteger(u"hour"_s, 11);
        EXPECT_EQ(SettingsStore(odd).integer(u"hour"_s), 11);
        QFile::remove(odd);
    }
}

} // namespace
} // namespace inkwarden
