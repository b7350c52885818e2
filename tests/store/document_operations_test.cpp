#include "documents/storage_layout.h"
#include "store/settings_keys.h"
#include "store_harness.h"
#include "support/file_bytes.h"
#include "support/scoped_file_size_limit.h"
#include "support/scoped_read_only_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace inkwarden {
namespace {

using namespace Qt::Literals::StringLiterals;
using Choice = DocumentPrompts::LeaveChoice;
using testing::localTime;
using testing::bytesOf;
using testing::writeBytes;
using testing::writing;

// An idle store on 7 December 2026 (the day already handled, so no session
// starts by itself) with the documents folders in a throw-away home.
class DocumentOperationsTest : public ::testing::Test {
protected:
    void SetUp() override {
        h.clock.set(localTime(2026, 12, 7, 11, 0));
        h.defaults().setString(keys::kLastScheduledDay, u"2026-12-07"_s);
        h.start();
    }
    WritingStore& store() { return *h.store; }
    QString library(const QString& name) {
        return storage::documentsFolder() + QLatin1Char('/') + name;
    }
    QString entry(const QString& day) { return storage::entryPath(day); }
    QString save(const QString& path, const QString& text) {
        EXPECT_FALSE(storage::writeDocument(path, writing(text)));
        return path;
    }
    void open(const QString& path) {
        ASSERT_TRUE(store().openDocument(QUrl::fromLocalFile(path)));
        store().refreshDocuments();
    }

    testing::StoreHarness h;
};

TEST_F(DocumentOperationsTest, UntitledWritingStaysInMemoryAndFileBackedEditsAreWrittenAtOnce) {
    store().saveEntry(writing(u"A first line"_s));
    EXPECT_TRUE(store().hasUnsavedChanges());
    EXPECT_EQ(store().currentContent(), writing(u"A first line"_s));
    EXPECT_FALSE(QFileInfo::exists(storage::applicationFolder()))
        << "untitled writing writes no file";
    store().saveEntry(writing(QString()));
    EXPECT_FALSE(store().hasUnsavedChanges());
    EXPECT_EQ(store().currentTitle(), u"Untitled"_s);
    EXPECT_FALSE(store().isLibraryDocument());

    open(save(library(u"Plan.rtf"_s), u"v1"_s));
    const QList<WritingDocument> listed = store().documents();
    for (const QString& text : {u"v2"_s, u"v2 with more"_s}) {
        store().saveEntry(writing(text, 2));
        EXPECT_FALSE(store().hasUnsavedChanges());
        EXPECT_EQ(storage::readDocument(library(u"Plan.rtf"_s)).text, writing(text, 2));
    }
    EXPECT_EQ(store().documents(), listed) << "edits do not refresh the library list";
    EXPECT_EQ(store().currentTitle(), u"Plan"_s);
    EXPECT_TRUE(store().isLibraryDocument());
}

TEST_F(DocumentOperationsTest, FailedWriteKeepsTheOldFileAndTheTextThenRecovers) {
    const QString path = save(entry(u"2026-12-07"_s), u"kept"_s);
    open(path);
    const QByteArray before = bytesOf(path);
    {
        testing::ScopedFileSizeLimit limit(before.size());
        store().saveEntry(writing(QString(2000, u'x')));
    }
    EXPECT_EQ(bytesOf(path), before);
    EXPECT_TRUE(store().hasUnsavedChanges());
    EXPECT_EQ(store().currentContent().text(), QString(2000, u'x'));
    ASSERT_TRUE(store().fileError());
    EXPECT_TRUE(store().fileError()->contains(u"2026-12-07.rtf"_s))
        << store().fileError()->toStdString();

    store().saveEntry(writing(u"recovered"_s));
    EXPECT_FALSE(store().hasUnsavedChanges());
    EXPECT_EQ(storage::readDocument(path).text, writing(u"recovered"_s));
}

TEST_F(DocumentOperationsTest, ReadOnlyFolderKeepsTheFileAndTheTextThenRecovers) {
    const QString path = save(library(u"Plan.rtf"_s), u"before"_s);
    open(path);
    {
        testing::ScopedReadOnlyFolder readOnly(storage::documentsFolder());
        if (!readOnly.isReadOnly())
            GTEST_SKIP() << "this file system cannot make a folder read-only for this user";
        store().saveEntry(writing(u"after"_s));
        EXPECT_TRUE(store().hasUnsavedChanges());
        ASSERT_TRUE(store().fileError());
        EXPECT_TRUE(store().fileError()->contains(u"Plan.rtf"_s));
        EXPECT_FALSE(store().saveToLibrary(u"Copy"_s));
    }
    EXPECT_EQ(storage::readDocument(path).text, writing(u"before"_s));
    EXPECT_EQ(store().currentContent(), writing(u"after"_s));
    store().saveEntry(store().currentContent());
    EXPECT_FALSE(store().hasUnsavedChanges());
    EXPECT_EQ(storage::readDocument(path).text, writing(u"after"_s));
}

TEST_F(DocumentOperationsTest, UnsavedEntryIsWrittenBeforeTheDayMovesOn) {
    const QString path = save(entry(u"2026-12-07"_s), u"short"_s);
    open(path);
    {
        testing::ScopedFileSizeLimit limit(200);
        store().saveEntry(writing(QString(500, u'z')));
        ASSERT_TRUE(store().hasUnsavedChanges());
        h.tickAt(localTime(2026, 12, 8, 0, 0, 1)); // still failing: the entry stays open
        EXPECT_EQ(store().currentDocumentURL(), QUrl::fromLocalFile(path));
        EXPECT_EQ(store().currentContent().text(), QString(500, u'z'));
    }
    store().saveEntry(store().currentContent());
    EXPECT_EQ(storage::readDocument(path).text, writing(QString(500, u'z')));

    // With writing possible again, midnight writes first, then moves on.
    open(save(entry(u"2026-12-08"_s), u"x"_s));
    {
        testing::ScopedFileSizeLimit limit(200);
        store().saveEntry(writing(QString(500, u'q')));
    }
    h.tickAt(localTime(2026, 12, 9, 0, 0, 1));
    EXPECT_EQ(store().currentDocumentURL(), QUrl::fromLocalFile(entry(u"2026-12-09"_s)));
    EXPECT_EQ(storage::readDocument(entry(u"2026-12-08"_s)).text, writing(QString(500, u'q')));
}

TEST_F(DocumentOperationsTest, NewDayEntryLinkedOutsideIsNotTakenOver) {
    const QString outside = save(h.home.path() + u"/diary.rtf"_s, u"private"_s);
    open(save(entry(u"2026-12-07"_s), u"today"_s));
    ASSERT_TRUE(QFile::link(outside, entry(u"2026-12-08"_s)));
    h.tickAt(localTime(2026, 12, 8, 0, 0, 1));
    EXPECT_FALSE(store().currentDocumentURL());
    EXPECT_TRUE(store().currentContent().isEmpty());
    EXPECT_TRUE(store().fileError());
}

TEST_F(DocumentOperationsTest, FoldersRemovedUnderTheProgramAreMadeAgain) {
    open(save(entry(u"2026-12-07"_s), u"day"_s));
    ASSERT_TRUE(QDir(storage::applicationFolder()).removeRecursively());
    store().saveEntry(writing(u"still here"_s));
    EXPECT_FALSE(store().hasUnsavedChanges());
    EXPECT_EQ(storage::readDocument(entry(u"2026-12-07"_s)).text, writing(u"still here"_s));
}

TEST_F(DocumentOperationsTest, NewDocumentAsksOnlyAboutUnsavedWritingAndActsOnTheAnswer) {
    const QUuid revision = store().documentRevision();
    EXPECT_TRUE(store().newDocument());
    EXPECT_TRUE(h.prompts.suggestedNames.isEmpty());
    EXPECT_NE(store().documentRevision(), revision);

    store().saveEntry(writing(u"Morning pages\nmore"_s));
    h.prompts.leaveAnswers = {{Choice::Cancel, {}}};
    EXPECT_FALSE(store().newDocument());
    EXPECT_EQ(h.prompts.suggestedNames, QStringList{u"Morning pages"_s});
    EXPECT_TRUE(store().hasUnsavedChanges());
    EXPECT_EQ(store().currentContent().text(), u"Morning pages\nmore"_s);

    h.prompts.leaveAnswers = {{Choice::Save, u" ... "_s}};
    EXPECT_FALSE(store().newDocument());
    EXPECT_EQ(store().fileError(), u"Enter a document name."_s);
    EXPECT_TRUE(store().hasUnsavedChanges());

    h.prompts.leaveAnswers = {{Choice::DontSave, {}}};
    EXPECT_TRUE(store().newDocument());
    EXPECT_TRUE(store().currentContent().isEmpty());
    EXPECT_FALSE(store().hasUnsavedChanges());
    EXPECT_FALSE(QFileInfo::exists(storage::documentsFolder()));

    store().saveEntry(writing(u"Kept words"_s, 4));
    h.prompts.leaveAnswers = {{Choice::Save, u"Kept"_s}};
    EXPECT_TRUE(store().newDocument());
    EXPECT_EQ(storage::readDocument(library(u"Kept.rtf"_s)).text, writing(u"Kept words"_s, 4));
    EXPECT_FALSE(store().currentDocumentURL());
}

TEST_F(DocumentOperationsTest, LeavingIsRefusedWhileNoOneCanBeAsked) {
    store().setPrompts(nullptr);
    store().saveEntry(writing(u"unsaved"_s));
    EXPECT_FALSE(store().confirmSaveBeforeLeaving());
    EXPECT_FALSE(store().newDocument());
    EXPECT_EQ(store().currentContent().text(), u"unsaved"_s);
}

TEST_F(DocumentOperationsTest, SaveWritesALibraryDocumentAndOtherwiseOpensTheSaveSheet) {
    store().saveCurrent();
    EXPECT_TRUE(store().isSavePresented());
    store().setIsSavePresented(false);

    open(save(entry(u"2026-12-07"_s), u"entry"_s));
    store().saveCurrent();
    EXPECT_TRUE(store().isSavePresented());
    store().setIsSavePresented(false);

    const QString plan = save(library(u"Plan.rtf"_s), u"plan"_s);
    open(plan);
    QFile::remove(plan);
    store().saveCurrent();
    EXPECT_FALSE(store().isSavePresented());
    EXPECT_EQ(storage::readDocument(plan).text, writing(u"plan"_s));
}

TEST_F(DocumentOperationsTest, OpenDailyEntryFollowsTheDay) {
    save(entry(u"2026-12-08"_s), u"written ahead"_s);
    open(save(entry(u"2026-12-07"_s), u"today"_s));
    EXPECT_EQ(store().currentTitle(), u"Daily writing \u00b7 2026-12-07"_s);
    const QUuid revision = store().documentRevision();

    h.tickAt(localTime(2026, 12, 8, 0, 0, 1));
    EXPECT_EQ(store().currentDateKey(), u"2026-12-08"_s);
    EXPECT_EQ(store().currentDocumentURL(), QUrl::fromLocalFile(entry(u"2026-12-08"_s)));
    EXPECT_EQ(store().currentContent(), writing(u"written ahead"_s));
    EXPECT_NE(store().documentRevision(), revision);

    h.tickAt(localTime(2026, 12, 9, 0, 0, 1));
    EXPECT_EQ(store().currentDocumentURL(), QUrl::fromLocalFile(entry(u"2026-12-09"_s)));
    EXPECT_TRUE(store().currentContent().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(entry(u"2026-12-09"_s))) << "created by the first change only";
}

TEST_F(DocumentOperationsTest, DamagedEntryOfTheNewDayIsNeverOverwritten) {
    const QString tomorrow = entry(u"2026-12-08"_s);
    writeBytes(tomorrow, "PK\x03\x04 a zip archive, not a document");
    const QByteArray before = bytesOf(tomorrow);
    ASSERT_FALSE(storage::readDocument(tomorrow).ok());

    open(save(entry(u"2026-12-07"_s), u"today"_s));
    h.tickAt(localTime(2026, 12, 8, 0, 0, 1));
    EXPECT_FALSE(store().currentDocumentURL());
    EXPECT_TRUE(store().fileError());
    store().saveEntry(writing(u"typed after midnight"_s));
    EXPECT_TRUE(store().hasUnsavedChanges());
    EXPECT_EQ(bytesOf(tomorrow), before);
}

TEST_F(DocumentOperationsTest, OtherDocumentsStayOpenAcrossTheDay) {
    open(save(library(u"Plan.rtf"_s), u"plan"_s));
    const QUuid revision = store().documentRevision();
    h.tickAt(localTime(2026, 12, 8, 0, 0, 1));
    EXPECT_EQ(store().currentDateKey(), u"2026-12-08"_s);
    EXPECT_EQ(store().currentDocumentURL(), QUrl::fromLocalFile(library(u"Plan.rtf"_s)));
    EXPECT_EQ(store().documentRevision(), revision);
}

TEST_F(DocumentOperationsTest, SaveToLibraryCleansTheNameAndNeverOverwrites) {
    store().saveEntry(writing(u"Notes"_s));
    ASSERT_TRUE(store().saveToLibrary(u"  Notes: May/June.  "_s));
    EXPECT_EQ(store().currentDocumentURL(), QUrl::fromLocalFile(library(u"Notes- May-June.rtf"_s)));
    EXPECT_FALSE(store().hasUnsavedChanges());
    ASSERT_EQ(store().documents().size(), 1);

    const QUuid revision = store().documentRevision();
    save(library(u"Essay.rtf"_s), u"first"_s);
    save(library(u"Essay 2.rtf"_s), u"second"_s);
    ASSERT_TRUE(store().saveToLibrary(u"Essay"_s));
    EXPECT_EQ(store().currentTitle(), u"Essay 3"_s);
    EXPECT_EQ(store().suggestedTitle(), u"Essay 3"_s);
    EXPECT_EQ(storage::readDocument(library(u"Essay.rtf"_s)).text, writing(u"first"_s));
    EXPECT_EQ(store().documentRevision(), revision) << "the editor keeps its text";
    EXPECT_EQ(store().documents().size(), 4);

    for (const QString& blank : {u"..."_s, u"   "_s, u"\nSecond line"_s}) {
        EXPECT_FALSE(store().saveToLibrary(blank));
        EXPECT_EQ(store().fileError(), u"Enter a document name."_s);
    }
    EXPECT_EQ(store().currentTitle(), u"Essay 3"_s);
    ASSERT_TRUE(store().saveToLibrary(u"Plan"_s + QChar(u'\0') + u"B"_s));
    EXPECT_EQ(store().currentDocumentURL(), QUrl::fromLocalFile(library(u"PlanB.rtf"_s)));
    EXPECT_EQ(store().documents().size(), 5);
}

TEST_F(DocumentOperationsTest, SaveToLibraryFailureLeavesTheCurrentDocument) {
    store().saveEntry(writing(QString(4000, u'y')));
    {
        testing::ScopedFileSizeLimit limit(100);
        EXPECT_FALSE(store().saveToLibrary(u"Big"_s));
    }
    EXPECT_TRUE(store().fileError());
    EXPECT_FALSE(store().currentDocumentURL());
    EXPECT_TRUE(store().hasUnsavedChanges());
    EXPECT_FALSE(QFileInfo::exists(library(u"Big.rtf"_s)));
}

TEST_F(DocumentOperationsTest, OpeningAsksFirstAndRefusesWhatItCannotRead) {
    const QString good = save(library(u"Good.rtf"_s), u"good"_s);
    const QString broken = library(u"Broken.rtf"_s);
    writeBytes(broken, "not rtf at all");

    store().saveEntry(writing(u"draft"_s));
    EXPECT_FALSE(store().openDocument(QUrl::fromLocalFile(broken)));
    EXPECT_TRUE(store().fileError());
    EXPECT_TRUE(h.prompts.suggestedNames.isEmpty()) << "no question for a file that cannot be read";

    h.prompts.leaveAnswers = {{Choice::Cancel, {}}};
    EXPECT_FALSE(store().openDocument(QUrl::fromLocalFile(good)));
    EXPECT_EQ(store().currentContent().text(), u"draft"_s);

    h.prompts.leaveAnswers = {{Choice::DontSave, {}}};
    EXPECT_TRUE(store().openDocument(QUrl::fromLocalFile(good)));
    EXPECT_EQ(store().currentContent(), writing(u"good"_s));
    EXPECT_FALSE(store().hasUnsavedChanges());
}

TEST_F(DocumentOperationsTest, NothingOutsideTheTwoFoldersIsOpenedOrDeleted) {
    const QString outside = save(h.home.path() + u"/outside.rtf"_s, u"private"_s);
    EXPECT_FALSE(store().openDocument(QUrl::fromLocalFile(outside)));
    EXPECT_TRUE(store().fileError());

    // A relative path would be taken from the working folder, not ours.
    QDir::setCurrent(h.home.path());
    EXPECT_FALSE(store().openDocument(QUrl::fromLocalFile(u"outside.rtf"_s)));
    const QString sneaky = storage::documentsFolder() + u"/../../../outside.rtf"_s;
    for (const QString& path : {outside, sneaky, u"outside.rtf"_s}) {
        EXPECT_FALSE(store().deleteDocument({QUrl::fromLocalFile(path), {}, false}));
        EXPECT_EQ(store().fileError(), u"This document can\u2019t be deleted from the library."_s);
    }
    EXPECT_TRUE(QFileInfo::exists(outside));

    // A link in the library is removed as a link; its target is untouched.
    QDir().mkpath(storage::documentsFolder());
    const QString link = library(u"link.rtf"_s);
    ASSERT_TRUE(QFile::link(outside, link));
    EXPECT_FALSE(store().openDocument(QUrl::fromLocalFile(link)));
    EXPECT_TRUE(store().deleteDocument({QUrl::fromLocalFile(link), {}, false}));
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    EXPECT_EQ(storage::readDocument(outside).text, writing(u"private"_s));
}

TEST_F(DocumentOperationsTest, DeletingTheOpenDocumentLeavesAnEmptyUntitledOne) {
    const QString other = save(library(u"Other.rtf"_s), u"other"_s);
    open(save(library(u"Open.rtf"_s), u"open"_s));
    ASSERT_TRUE(store().deleteDocument({QUrl::fromLocalFile(other), {}, false}));
    EXPECT_EQ(store().currentContent(), writing(u"open"_s));
    EXPECT_EQ(store().documents().size(), 1);

    const QString dotted = storage::documentsFolder() + u"/./Open.rtf"_s;
    ASSERT_TRUE(store().deleteDocument({QUrl::fromLocalFile(dotted), {}, false}));
    EXPECT_FALSE(store().currentDocumentURL());
    EXPECT_TRUE(store().currentContent().isEmpty());
    EXPECT_FALSE(store().hasUnsavedChanges());
    EXPECT_TRUE(store().documents().isEmpty());

    store().setFileError(std::nullopt);
    EXPECT_FALSE(store().deleteDocument({QUrl::fromLocalFile(other), {}, false})) << "already gone";
    EXPECT_TRUE(store().fileError());
}

TEST_F(DocumentOperationsTest, ExportWritesWhereThePersonChose) {
    store().saveEntry(writing(u"to share"_s, 2));
    h.prompts.exportPath = h.home.path() + u"/Missing/shared.rtf"_s;
    store().exportCurrent();
    EXPECT_TRUE(store().fileError());
    EXPECT_FALSE(QFileInfo::exists(h.home.path() + u"/Missing"_s))
        << "no folder of the person's is made";

    QDir().mkpath(h.home.path() + u"/Desktop"_s);
    const QString target = h.home.path() + u"/Desktop/shared.rtf"_s;
    h.prompts.exportPath = target;
    h.prompts.proposedExportNames.clear();
    store().exportCurrent();
    EXPECT_EQ(h.prompts.proposedExportNames, QStringList{u"Untitled.rtf"_s});
    EXPECT_EQ(storage::readDocument(target).text, writing(u"to share"_s, 2));
    EXPECT_TRUE(store().hasUnsavedChanges()) << "an export is not a save";
    EXPECT_TRUE(store().documents().isEmpty());

    h.prompts.leaveAnswers = {{Choice::DontSave, {}}};
    open(save(entry(u"2026-12-07"_s), u"entry"_s));
    h.prompts.exportPath.reset();
    store().exportCurrent();
    EXPECT_EQ(h.prompts.proposedExportNames.last(), u"2026-12-07.rtf"_s);

    QDir().mkpath(h.home.path() + u"/blocked.rtf"_s);
    h.prompts.exportPath = h.home.path() + u"/blocked.rtf"_s;
    store().exportCurrent();
    EXPECT_TRUE(store().fileError());
}

TEST_F(DocumentOperationsTest, StartUpListsTheDocumentsAndShowingNeedsAFile) {
    store().revealCurrentInFinder();
    EXPECT_TRUE(h.fileViewer.shown.isEmpty());
    const QString path = save(library(u"Shown.rtf"_s), u"x"_s);
    open(path);
    store().revealCurrentInFinder();
    EXPECT_EQ(h.fileViewer.shown, QStringList{path});

    save(library(u"Plan.rtf"_s), u"plan"_s);
    save(entry(u"2026-12-06"_s), u"yesterday"_s);
    WritingStore& restarted = h.restart();
    EXPECT_EQ(restarted.documents().size(), 3);
    EXPECT_FALSE(restarted.currentDocumentURL());
    EXPECT_TRUE(restarted.currentContent().isEmpty());
}

} // namespace
} // namespace inkwarden
