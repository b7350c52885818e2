#include "documents/atomic_file.h"
#include "documents/rtf/rtf.h"
#include "store_harness.h"
#include "support/file_bytes.h"
#include "support/scoped_file_size_limit.h"
#include "support/wait.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <chrono>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

namespace inkwarden {
namespace {

using namespace Qt::Literals::StringLiterals;
using Choice = DocumentPrompts::LeaveChoice;
using namespace testing;

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

// Every operation must behave the same whether documents are written at
// once or, as in the program, on the writer thread.
using WritingStoreTest = IdleStoreTest;
INSTANTIATE_TEST_SUITE_P(AtOnceAndInTheBackground, WritingStoreTest, ::testing::Bool());

// Untitled writing stays in memory, and leaving it asks first. Saved under a
// name it overwrites nothing and stays in the editor; Save writes it again.
// An export goes only where the person chose.
TEST_P(WritingStoreTest, UntitledWritingIsAskedAboutAndSavedUnderANameThatOverwritesNothing) {
    writeBytes(storage::documentsFolder(), "a file where the library folder belongs");
    EXPECT_FALSE(store().saveToLibrary(u"Blocked"_s) || error().isEmpty());
    QFile::remove(storage::documentsFolder());
    const QUuid revision = store().documentRevision();
    EXPECT_TRUE(store().newDocument());
    EXPECT_NE(store().documentRevision(), revision) << "nothing to lose: a fresh editor";
    edit(writing(u"Morning pages\nmore"_s));
    h.prompts.leaveAnswers = {{Choice::Cancel, {}}, {Choice::Save, u"\nSecond line"_s}};
    EXPECT_FALSE(store().newDocument() || store().newDocument());
    EXPECT_EQ(error(), u"Enter a document name."_s);
    {
        const auto limit = fileSizeLimit(64);
        EXPECT_FALSE(store().saveToLibrary(u"Big"_s));
    }
    EXPECT_TRUE(error().contains(u"Big.rtf"_s));
    EXPECT_EQ(seen(), u"untitled*! Morning pages\nmore"_s);
    EXPECT_EQ(h.prompts.suggestedNames, QStringList(2, u"Morning pages"_s));
    store().finishWrites();
    EXPECT_EQ(textOf(storage::recoveryPath()), u"Morning pages\nmore"_s) << "kept from a crash";

    saved(library(u"Essay.rtf"_s), u"kept"_s);
    const QUuid typed = store().documentRevision();
    ASSERT_TRUE(store().saveToLibrary(u" Essay "_s));
    EXPECT_EQ(seen(), u"Essay 2.rtf! Morning pages\nmore"_s);
    EXPECT_FALSE(QFileInfo::exists(storage::recoveryPath())) << "saved, so no longer kept apart";
    EXPECT_EQ(store().documentRevision(), typed) << "the editor keeps its text";
    EXPECT_EQ(store().documents().size(), 2) << "no Big.rtf";
    store().revealCurrentInFinder();
    EXPECT_EQ(h.fileViewer.shown, QStringList{library(u"Essay 2.rtf"_s)});
    edit(writing(u"then more"_s, 4));
    QFile::remove(library(u"Essay 2.rtf"_s));
    store().saveCurrent();
    EXPECT_EQ(storage::readDocument(library(u"Essay 2.rtf"_s)).text, writing(u"then more"_s, 4));
    EXPECT_EQ(textOf(library(u"Essay.rtf"_s)) + u' ' + store().currentTitle(), u"kept Essay 2"_s);
    h.prompts.exportPath = h.home.path() + u"/Missing/shared.rtf"_s;
    store().exportCurrent();
    EXPECT_TRUE(error().contains(u"Missing"_s) &&
                !QFileInfo::exists(h.home.path() + u"/Missing"_s));
    // A new export is the person's to share: the usual mode, not our private one.
    h.prompts.exportPath = h.home.path() + u"/shared.rtf"_s;
    store().exportCurrent();
    const mode_t mask = ::umask(022);
    ::umask(mask);
    EXPECT_EQ(modeOf(*h.prompts.exportPath), 0666 & ~mask);
    EXPECT_EQ(store().notice(), u"Exported “shared.rtf”."_s);
}

// A refused write keeps the old file as it was and the new text in the
// editor, names the file, makes leaving ask, and keeps the entry open at
// midnight; the first write once the disk allows it writes everything.
TEST_P(WritingStoreTest, ARefusedWriteKeepsTheOldFileAndTheNewTextUntilWritingWorks) {
    int day = 8;
    for (const QString& path : {library(u"Plan.rtf"_s), storage::entryPath(u"2026-12-08"_s)}) {
        const bool isEntry = path.contains(u"/Entries/"_s);
        open(saved(path, u"the words already kept"_s));
        const RichText typed = writing(u"Typed line\nmore"_s, 3);
        {
            const auto limit = fileSizeLimit(64);
            edit(typed);
            EXPECT_TRUE(error().contains(QFileInfo(path).fileName()));
            store().setFileError(std::nullopt);
            store().saveCurrent(); // a document is written again, an entry saved under a name
            EXPECT_EQ(store().isSavePresented(), isEntry);
            EXPECT_FALSE(store().newDocument());
            EXPECT_EQ(h.prompts.suggestedNames.join(u','),
                      isEntry ? u"Plan,Typed line"_s : u"Plan"_s);
            store().saveEntry(typed); // still being written at midnight
            h.tickAt(localTime(2026, 12, day++, 0, 0, 1));
            EXPECT_EQ(seen(), QFileInfo(path).fileName() + u"*! Typed line\nmore"_s);
        }
        EXPECT_EQ(textOf(path), u"the words already kept"_s);
        edit(store().currentContent());
        QCoreApplication::processEvents(); // late reports of the refused writes change nothing
        EXPECT_FALSE(store().hasUnsavedChanges());
        EXPECT_EQ(storage::readDocument(path).text, typed);
        EXPECT_EQ(filesIn(QFileInfo(path).path()), QStringList{QFileInfo(path).fileName()});
    }
    // Nothing outside the two folders is opened, deleted or written, also
    // through the open file replaced by a link to elsewhere; a document that
    // cannot be read is not opened either.
    const QString outside = saved(h.home.path() + u"/outside.rtf"_s, u"private"_s);
    writeBytes(library(u"Broken.rtf"_s), "not rtf");
    for (const QString& refused : {outside, library(u"Broken.rtf"_s)}) {
        EXPECT_FALSE(store().openDocument(QUrl::fromLocalFile(refused)));
        EXPECT_TRUE(error().contains(QFileInfo(refused).fileName()));
    }
    EXPECT_FALSE(store().deleteDocument({QUrl::fromLocalFile(outside), {}, false}));
    EXPECT_EQ(error(), u"This document can\u2019t be deleted from the library."_s);
    const QString entry = storage::entryPath(u"2026-12-08"_s);
    ASSERT_TRUE(QFile::remove(entry) && QFile::link(outside, entry));
    edit(writing(u"typed"_s));
    EXPECT_EQ(seen() + u' ' + textOf(outside), u"2026-12-08.rtf*! typed private"_s);
}

// Another program's version of the open file is never overwritten: with
// nothing newer here it is shown; with newer typing both are kept, ours as a
// conflict copy beside it that the editor goes on writing.
TEST_P(WritingStoreTest, AnotherProgramsVersionIsNeverOverwritten) {
    const QString plan = saved(library(u"Plan.rtf"_s), u"ours"_s);
    open(plan);
    const auto theirs = [&](const QString& text) {
        writeBytes(plan, *rtf::write(writing(text)));
    };
    theirs(u"them"_s); // same size, same file: only the time tells
    h.tickAt(localTime(2026, 12, 7, 14, 5));
    EXPECT_EQ(seen(), u"Plan.rtf them"_s);
    EXPECT_TRUE(store().notice().value_or(QString()).contains(u"reloaded"_s));
    theirs(u"their change"_s);
    edit(writing(u"mine"_s));
    const QString copy = library(u"Plan (conflict 2026-12-07 14.05).rtf"_s);
    EXPECT_EQ(seen() + textOf(plan), u"Plan (conflict 2026-12-07 14.05).rtf minetheir change"_s);
    EXPECT_TRUE(store().notice().value_or(QString()).contains(u"Plan (conflict"_s));
    edit(writing(u"mine, more"_s));
    h.tickAt(localTime(2026, 12, 7, 14, 6));
    EXPECT_EQ(textOf(copy) + u'|' + textOf(plan), u"mine, more|their change"_s);
}

// At midnight an open daily entry gives way to the new day's: the one written
// ahead, or an empty one that its first change creates, once text whose write
// had failed is written; never a file that cannot be read, which the next
// change would overwrite. Other documents stay open.
TEST_P(WritingStoreTest, AnOpenDailyEntryFollowsTheDay) {
    h.mark(keys::kTrackingStartDay, u"2099-01-01"_s); // no session interrupts the nights
    open(saved(storage::entryPath(u"2026-12-07"_s), u"today"_s));
    saved(storage::entryPath(u"2026-12-08"_s), u"written ahead"_s);
    h.tickAt(localTime(2026, 12, 8, 0, 0, 1));
    EXPECT_EQ(seen(), u"2026-12-08.rtf written ahead"_s);
    {
        const auto limit = fileSizeLimit(64);
        edit(writing(u"unsaved"_s));
        h.tickAt(localTime(2026, 12, 9, 0, 0, 1));
    }
    h.tickAt(localTime(2026, 12, 9, 0, 0, 2));
    EXPECT_EQ(seen(), u"2026-12-08.rtf*! unsaved"_s) << "kept until its text is on disk";
    edit(writing(u"unsaved"_s));
    h.tickAt(localTime(2026, 12, 9, 0, 0, 3));
    EXPECT_EQ(textOf(storage::entryPath(u"2026-12-08"_s)), u"unsaved"_s);
    EXPECT_EQ(seen(), u"2026-12-09.rtf "_s) << "moved by the first write that works";
    EXPECT_FALSE(QFileInfo::exists(storage::entryPath(u"2026-12-09"_s))) << "made by a change";
    const QString zip = storage::entryPath(u"2026-12-10"_s);
    writeBytes(zip, "PK\x03\x04 a zip archive");
    h.tickAt(localTime(2026, 12, 10, 0, 0, 1));
    edit(writing(u"after midnight"_s));
    EXPECT_EQ(seen(), u"untitled*! after midnight"_s);
    EXPECT_TRUE(error().contains(u"2026-12-10.rtf"_s));
    EXPECT_EQ(bytesOf(zip), "PK\x03\x04 a zip archive"_ba);
    h.prompts.leaveAnswers = {{Choice::DontSave, {}}};
    open(saved(library(u"Plan.rtf"_s), u"plan"_s));
    h.tickAt(localTime(2026, 12, 11, 0, 0, 1));
    EXPECT_EQ(seen(), u"Plan.rtf! plan"_s);
}

// The daily time passing while a leave question is open starts no session
// inside it: after "Cancel" the next heartbeat starts it; after "Don't Save"
// and a quit, the next launch makes it up.
TEST(WritingStoreQuestions, TheDailyTimeWaitsForAnOpenQuestion) {
    for (const Choice choice : {Choice::Cancel, Choice::DontSave}) {
        StoreHarness h;
        h.clock.set(localTime(2026, 12, 7, 8, 59, 50));
        h.mark(keys::kLastScheduledDay, u"2026-12-06"_s);
        h.start();
        h.store->newDocument();
        h.store->saveEntry(writing(u"draft"_s));
        h.prompts.whileAsking = [&] {
            h.tickAt(localTime(2026, 12, 7, 9, 0, 1));
        };
        h.prompts.leaveAnswers = {{choice, {}}};
        EXPECT_EQ(h.store->newDocument(), choice == Choice::DontSave);
        EXPECT_FALSE(h.store->isSessionActive());
        h.clock.set(localTime(2026, 12, 7, 9, 3));
        if (choice == Choice::DontSave)
            h.restart();
        else
            h.store->tick();
        EXPECT_TRUE(h.store->isSessionActive());
    }
}

// A relaunch keeps the daily time and the font, hands the reminders every
// new time, and clears what saves cut short left behind.
TEST_P(WritingStoreTest, ARelaunchKeepsTheChoicesAndClearsWhatACrashLeft) {
    store().setScheduleHour(6);
    store().setScheduleMinute(45);
    store().setFontName(u"Menlo"_s);
    EXPECT_EQ(store().fontName() + store().scheduledTime().toString(u" HH:mm"_s), u"Menlo 06:45"_s);
    store().setTextZoom(1000);
    store().stepTextZoom(1);
    EXPECT_EQ(store().textZoom(), 300) << "the largest step";
    for (const QString& folder : {storage::documentsFolder(), storage::entriesFolder()})
        writeBytes(folder + u'/' + kLeftoverSavePrefix + u"Xy12ab"_s, "cut short");
    h.clock.set(localTime(2026, 12, 8, 6, 45)); // the new time made up at launch
    EXPECT_EQ(h.restart().fontName() + QString::number(store().textZoom()), u"Menlo300"_s);
    EXPECT_TRUE(
        (filesIn(storage::documentsFolder()) + filesIn(storage::entriesFolder())).isEmpty());
    EXPECT_EQ(h.log.calls, (QStringList{u"configure 9:0"_s, u"configure 6:0"_s, u"configure 6:45"_s,
                                        u"configure 6:45"_s, u"begin"_s}));
}

// Right after a burst of typing, whatever leaves or deletes the file finds
// the newest text there, and the store's end writes what is still queued.
// Each failure is reported although newer writes are queued, and only the
// newest write's success clears the flag.
TEST_P(WritingStoreTest, EverythingWaitsForTheNewestTextAndTheNewestWriteDecides) {
    const QString first = saved(library(u"First.rtf"_s), u"first"_s);
    const QString second = saved(library(u"Second.rtf"_s), u"second"_s);
    open(first);
    const auto type = [&](QString text, int keys) {
        for (int key = 0; key < keys; ++key)
            store().saveEntry(writing(text += QChar(u'a' + key % 26)));
        return text;
    };
    QString typed = type(u"first"_s, 200);
    open(second);
    EXPECT_EQ(textOf(first), typed) << "opening another document";
    type(u"second"_s, 50);
    EXPECT_TRUE(store().deleteDocument({QUrl::fromLocalFile(second), {}, false}));
    EXPECT_FALSE(QFile::exists(second)) << "a queued write brought a deleted document back";
    EXPECT_EQ(seen() + QString::number(store().documents().size()), u"untitled 1"_s)
        << "deleting the open document leaves an empty one, and the list without it";

    open(first);
    {
        const auto limit = fileSizeLimit(200);
        QString text(500, u'z');
        for (int key = 0; key < 20; ++key) {
            // Each report is read after the next keystroke queued a newer write.
            store().saveEntry(writing(text += u'k'));
            QCoreApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_EQ(seen().left(11), u"First.rtf*!"_s) << "while typing goes on";
    }
    store().saveEntry(writing(u"short again"_s));
    EXPECT_TRUE(waitUntil([&] { return !store().hasUnsavedChanges(); }));
    // A writer made again numbers its writes anew; a failing write still under
    // way is unsaved writing, which leaving asks about.
    store().setWritesInBackground(!GetParam());
    store().setWritesInBackground(GetParam());
    {
        const auto limit = fileSizeLimit(200);
        store().saveEntry(writing(QString(500, u'y')));
        EXPECT_EQ(store().hasUnsavedChanges(), !GetParam()) << "a writer thread answers later";
        EXPECT_FALSE(store().confirmSaveBeforeLeaving());
    }
    typed = type(u"short again"_s, 50);
    h.store.reset();
    EXPECT_EQ(textOf(first), typed) << "closing";
}

} // namespace
} // namespace inkwarden
