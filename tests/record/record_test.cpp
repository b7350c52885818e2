#include "documents/storage_layout.h"
#include "record/streaks.h"
#include "record/word_count.h"
#include "record/writing_record.h"
#include "store/store_harness.h"
#include "support/file_bytes.h"
#include "support/scoped_time_zone.h"

#include <QDir>
#include <QFile>
#include <filesystem>
#include <gtest/gtest.h>

namespace inkwarden {
namespace {

using namespace Qt::Literals::StringLiterals;

// Days of 2026 as "MM-dd MM-dd ...".
QList<QDate> dates(const char* days) {
    QList<QDate> parsed;
    for (const QString& day : QString::fromLatin1(days).split(u' ', Qt::SkipEmptyParts))
        parsed.append(QDate::fromString(u"2026-"_s + day, Qt::ISODate));
    return parsed;
}

TEST(Streaks, FollowTheLocalCalendarAtItsEdges) {
    struct Row {
        const char* what;
        const char* zone;
        const char* completed;
        QDateTime now;
        Streaks expected;
    };
    const auto local = [](int month, int day, int hour, int minute, int second = 0) {
        return QDateTime(QDate(2026, month, day), QTime(hour, minute, second), Qt::LocalTime);
    };
    const char* three = "12-05 12-06 12-07";
    const Row rows[] = {
        {"today completed", "UTC", three, local(12, 7, 20, 0), {3, 3}},
        {"today incomplete keeps yesterday's", "UTC", "12-05 12-06", local(12, 7, 20, 0), {2, 2}},
        {"a skipped day breaks it", "UTC", "12-03 12-04", local(12, 6, 9, 0), {0, 2}},
        {"last second of the day", "UTC", three, local(12, 7, 23, 59, 59), {3, 3}},
        {"first second of the next", "UTC", three, local(12, 8, 0, 0), {3, 3}},
        {"a second day without", "UTC", three, local(12, 9, 0, 0), {0, 3}},
        {"clock set back past midnight", "UTC", three, local(12, 6, 23, 30), {3, 3}},
        {"a day far ahead", "UTC", "12-20 12-21 12-06", local(12, 6, 12, 0), {1, 2}},
        {"duplicates", "UTC", "12-05 12-06 12-07 12-06 12-07", local(12, 7, 8, 0), {3, 3}},
        {"short spring day", "Europe/Berlin", "03-28 03-29 03-30", local(3, 30, 0, 30), {3, 3}},
        {"long autumn day", "Europe/Berlin", "10-24 10-25", local(10, 25, 23, 30), {2, 2}},
        // 00:30 local on 30 March is still the 29th in UTC.
        {"the local day, not UTC's",
         "Europe/Berlin",
         "03-27 03-28",
         QDateTime(QDate(2026, 3, 29), QTime(22, 30), Qt::UTC),
         {0, 2}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const auto zone = testing::scopedTimeZone(row.zone);
        const Streaks streaks = computeStreaks(dates(row.completed), row.now);
        EXPECT_EQ(std::pair(streaks.current, streaks.longest),
                  std::pair(row.expected.current, row.expected.longest));
    }
}

TEST(WordCount, CountsWordsInMixedScripts) {
    const struct {
        QString text;
        qint64 words;
    } rows[] = {
        {u""_s, 0},
        {u"  — … !? "_s, 0},
        {u"Hello, world!"_s, 2},
        {u"don't stop: 2,026 times\nnew-line"_s, 6},
        {u"Hello 世界 привет مرحبا"_s, 5},
        {u"𝒜𝒷𝒸 😀"_s, 1}, // letters outside the BMP count, an emoji does not
        {u"日本語"_s, 3},
        {u"ខ្មែរ ភាសាខ្មែរ។"_s, 2}, // Khmer syllables make up words
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text.toStdString());
        EXPECT_EQ(countWords(row.text), row.words);
    }
}

// A record over a throw-away data folder with three entries and the
// completed-day marker for the first.
class Record : public ::testing::Test {
protected:
    void SetUp() override {
        for (const auto& [day, text] : {std::pair{u"2026-12-04"_s, u"one two three"_s},
                                        {u"2026-12-05"_s, u"four five"_s},
                                        {u"2026-12-06"_s, u"six"_s}})
            ASSERT_FALSE(storage::writeDocument(storage::entryPath(day), testing::writing(text)));
        testing::writeBytes(storage::entriesFolder() + u"/notes.rtf"_s, {}); // no day's entry
    }
    std::unique_ptr<WritingRecord> open() {
        auto record = std::make_unique<WritingRecord>(WritingRecord::Setup{
            WritingRecord::defaultPath(), storage::entriesFolder(), {u"2026-12-04"_s}});
        record->waitUntilIdle();
        return record;
    }
    static QString summary(const WritingRecord& record) {
        QStringList days;
        for (const DayRecord& day : record.days())
            days.append(u"%1:%2%3"_s.arg(day.day.toString(Qt::ISODate))
                            .arg(std::max(day.entryWords, day.wordsAdded))
                            .arg(day.completed ? u"✓"_s : QString()));
        return days.join(u' ') + u" sessions:%1"_s.arg(record.completedSessions());
    }
    testing::TempHome home;
};

TEST_F(Record, KeepsSessionsAndIsRebuiltWhenMissingOrDamaged) {
    const QString rebuilt = u"2026-12-04:3✓ 2026-12-05:2 2026-12-06:1 sessions:1"_s;
    {
        auto record = open();
        EXPECT_EQ(summary(*record), rebuilt);
        EXPECT_TRUE(record->problem().isEmpty());
        const QDateTime end(QDate(2026, 12, 6), QTime(9, 15));
        record->sessionStarted(end.addSecs(-900), u"2026-12-06"_s, 1);
        record->sessionEnded(end, u"2026-12-06"_s, true, 40);
        record->wordsWritten(u"2026-12-06"_s, 40, 39);
    }
    const QString kept = u"2026-12-04:3✓ 2026-12-05:2 2026-12-06:40✓ sessions:2"_s;
    EXPECT_EQ(summary(*open()), kept);
    EXPECT_EQ(testing::modeOf(WritingRecord::defaultPath()), 0600);

    const struct {
        const char* what;
        QByteArray contents; // null: the file is deleted
    } rows[] = {
        {"deleted", {}},
        {"garbage", QByteArray(8192, 'x')},
        {"cut short", QByteArray("SQLite format 3") + '\0' + QByteArray(100, '\x10')},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        testing::replaceDatabase(WritingRecord::defaultPath(), row.contents);
        auto record = open();
        EXPECT_EQ(summary(*record), rebuilt);
        const QStringList aside =
            QDir(storage::applicationFolder()).entryList({u"record.sqlite.damaged-*"_s});
        EXPECT_EQ(aside.isEmpty(), row.contents.isEmpty());
        EXPECT_EQ(record->problem().isEmpty(), row.contents.isEmpty());
        for (const QString& name : aside)
            QFile::remove(storage::applicationFolder() + u'/' + name);
    }
}

} // namespace
} // namespace inkwarden
