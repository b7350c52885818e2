#include "documents/storage_layout.h"
#include "store/settings_keys.h"
#include "store/store_harness.h"
#include "support/file_bytes.h"
#include "support/scoped_file_size_limit.h"
#include "support/wait.h"

#include <QDir>
#include <QFile>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace inkwarden {
namespace {

using namespace Qt::StringLiterals;
using testing::localTime;
using testing::writing;

QString fileText(const QString& path) {
    const storage::ReadResult read = storage::readDocument(path);
    return read.ok() ? read.text.text() : u"<unreadable: "_s + read.error + u">"_s;
}

// The store as the program runs it: documents written on the writer thread.
class BackgroundWritesTest : public ::testing::Test {
protected:
    void SetUp() override {
        h.clock.set(localTime(2026, 12, 7, 11, 0));
        h.defaults().setString(keys::kLastScheduledDay, u"2026-12-07"_s);
        h.start().setWritesInBackground(true);
        first = library(u"First.rtf"_s);
        second = library(u"Second.rtf"_s);
        EXPECT_FALSE(storage::writeDocument(first, writing(u"first"_s)));
        EXPECT_FALSE(storage::writeDocument(second, writing(u"second"_s)));
        EXPECT_TRUE(store().openDocument(QUrl::fromLocalFile(first)));
    }
    WritingStore& store() { return *h.store; }
    static QString library(const QString& name) { return storage::documentsFolder() + u'/' + name; }
    // A burst of keystrokes, each handing over the whole text, as the editor does.
    QString type(const QString& start, int keys) {
        QString text = start;
        for (int key = 0; key < keys; ++key) {
            text += QChar(u'a' + key % 26);
            store().saveEntry(writing(text));
        }
        return text;
    }

    testing::StoreHarness h;
    QString first, second;
};

TEST_F(BackgroundWritesTest, EverythingThatLeavesOrReadsTheFileWaitsForTheNewestText) {
    // Reported by the writer's own message once the event loop runs.
    QString typed = type(u"first"_s, 200);
    EXPECT_TRUE(testing::waitUntil([&] { return fileText(first) == typed; }));
    EXPECT_FALSE(store().hasUnsavedChanges());

    // Each of these comes right after a burst, before any report arrived.
    typed = type(typed, 50);
    store().refreshDocuments();
    EXPECT_EQ(fileText(first), typed) << "listing";
    typed = type(typed, 50);
    EXPECT_TRUE(store().confirmSaveBeforeLeaving());
    EXPECT_TRUE(h.prompts.suggestedNames.isEmpty()) << "a pending write is no unsaved writing";
    EXPECT_EQ(fileText(first), typed) << "leaving";
    typed = type(typed, 50);
    EXPECT_TRUE(store().openDocument(QUrl::fromLocalFile(second)));
    EXPECT_EQ(fileText(first), typed) << "opening another document";
    EXPECT_EQ(store().currentContent().text(), u"second"_s);

    // A write still queued must not bring a deleted document back.
    type(u"second"_s, 50);
    EXPECT_TRUE(store().deleteDocument({QUrl::fromLocalFile(second), {}, false}));
    QCoreApplication::processEvents();
    EXPECT_FALSE(QFile::exists(second));

    // The store's end writes what is still queued.
    EXPECT_TRUE(store().openDocument(QUrl::fromLocalFile(first)));
    typed = type(typed, 50);
    h.store.reset();
    EXPECT_EQ(fileText(first), typed) << "closing";
}

TEST_F(BackgroundWritesTest, AFailedWriteIsReportedAndTheNextGoodOneClearsTheFlag) {
    const QByteArray before = testing::bytesOf(first);
    {
        testing::ScopedFileSizeLimit limit(64);
        type(u"first"_s, 3);
        ASSERT_TRUE(testing::waitUntil([&] { return store().hasUnsavedChanges(); }));
        store().finishWrites(); // every queued write meets the limit too
    }
    EXPECT_TRUE(store().fileError().value_or(QString()).contains(u"First.rtf"_s));
    EXPECT_EQ(testing::bytesOf(first), before);
    EXPECT_TRUE(QDir(storage::documentsFolder()).entryList(QDir::Hidden | QDir::Files).size() == 2)
        << "no temporary file is left";

    // Save on a library document answers at once, like the synchronous store.
    store().saveCurrent();
    EXPECT_FALSE(store().hasUnsavedChanges());
    EXPECT_EQ(fileText(first), u"firstabc"_s);
}

// Writes slower than the typing: each failure is reported although newer
// writes are already queued, and only the newest success clears the flag.
TEST_F(BackgroundWritesTest, FailuresOvertakenByTypingAreStillReported) {
    {
        testing::ScopedFileSizeLimit limit(200);
        QString text(500, u'z');
        for (int key = 0; key < 20; ++key) {
            text += u'k';
            // Each report is read only after the next keystroke has queued
            // a newer write: the earlier write is done by then.
            store().saveEntry(writing(text));
            QCoreApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        // The newest write's own report is not read yet.
        EXPECT_TRUE(store().hasUnsavedChanges()) << "while typing goes on";
        EXPECT_TRUE(store().fileError().value_or(QString()).contains(u"First.rtf"_s));
    }
    store().saveEntry(writing(u"short again"_s));
    EXPECT_TRUE(testing::waitUntil([&] { return !store().hasUnsavedChanges(); }));
    EXPECT_EQ(fileText(first), u"short again"_s);
}

// The daily entry whose last write failed is written again at midnight;
// once that works, the day moves on (it used to stay on yesterday's file).
TEST_F(BackgroundWritesTest, MidnightAfterAFailedWriteMovesOnOnceWritingWorks) {
    const QString monday = storage::entryPath(u"2026-12-07"_s);
    ASSERT_FALSE(storage::writeDocument(monday, writing(u"x"_s)));
    ASSERT_TRUE(store().openDocument(QUrl::fromLocalFile(monday)));
    {
        testing::ScopedFileSizeLimit limit(200);
        store().saveEntry(writing(QString(500, u'q')));
        store().finishWrites();
        ASSERT_TRUE(store().hasUnsavedChanges());
    }
    h.tickAt(localTime(2026, 12, 8, 0, 0, 1));
    EXPECT_EQ(fileText(monday), QString(500, u'q'));
    EXPECT_FALSE(store().hasUnsavedChanges());
    EXPECT_EQ(store().currentDocumentURL(), QUrl::fromLocalFile(storage::entryPath(u"2026-12-08"_s)));
}

// A writer made again numbers its writes from the start: its first failure
// must not pass for an outcome the store has already taken in.
TEST_F(BackgroundWritesTest, AWriterMadeAgainReportsItsFirstFailure) {
    type(u"first"_s, 1);
    store().finishWrites();
    store().setWritesInBackground(false);
    store().setWritesInBackground(true);
    {
        testing::ScopedFileSizeLimit limit(10);
        store().saveEntry(writing(QString(500, u'c')));
        store().finishWrites();
    }
    EXPECT_TRUE(store().hasUnsavedChanges());
}

} // namespace
} // namespace inkwarden
