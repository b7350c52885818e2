#include "documents/storage_layout.h"
#include "store/settings_keys.h"
#include "store_harness.h"
#include "support/scoped_file_size_limit.h"
#include "support/scoped_read_only_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace inkwarden {
namespace {

using Choice = DocumentPrompts::LeaveChoice;
using testing::localTime;
using testing::writing;

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// An idle store on 7 December 2026 (the day already handled, so no session
// starts by itself) with the documents folders in a throw-away home.
class DocumentOperationsTest : public ::testing::Test {
protected:
    void SetUp() override {
        h.clock.set(localTime(2026, 12, 7, 11, 0));
        h.defaults().setString(keys::kLastScheduledDay, QStringLiteral("2026-12-07"));
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

TEST_F(DocumentOperationsTest, UntitledWritingStaysInMemoryAndCountsAsUnsaved) {
    store().saveEntry(writing(QStringLiteral("A first line")));
    EXPECT_TRUE(store().hasUnsavedChanges());
    EXPECT_EQ(store().currentContent(), writing(QStringLiteral("A first line")));
    EXPECT_FALSE(QFileInfo::exists(storage::applicationFolder()))
        << "untitled writing writes no file";
    store().saveEntry(writing(QString()));
    EXPECT_FALSE(store().hasUnsavedChanges());
    EXPECT_EQ(store().currentTitle(), QStringLiteral("Untitled"));
    EXPECT_FALSE(store().isLibraryDocument());
}

TEST_F(DocumentOperationsTest, EveryEditOfAFileBackedDocumentIsWrittenAtOnce) {
    open(save(library(QStringLiteral("Plan.rtf")), QStringLiteral("v1")));
    const QList<WritingDocument> listed = store().documents();
    for (const QString& text : {QStringLiteral("v2"), QStringLiteral("v2 with more")}) {
        store().saveEntry(writing(text, 2));
        EXPECT_FALSE(store().hasUnsavedChanges());
        EXPECT_EQ(storage::readDocument(library(QStringLiteral("Plan.rtf"))).text,
                  writing(text, 2));
    }
    EXPECT_EQ(store().documents(), listed) << "edits do not refresh the library list";
    EXPECT_EQ(store().currentTitle(), QStringLiteral("Plan"));
    EXPECT_TRUE(store().isLibraryDocument());
}

TEST_F(DocumentOperationsTest, FailedWriteKeepsTheOldFileAndTheTextThenRecovers) {
    const QString path = save(entry(QStringLiteral("2026-12-07")), QStringLiteral("kept"));
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
    EXPECT_TRUE(store().fileError()->contains(QStringLiteral("2026-12-07.rtf")))
        << store().fileError()->toStdString();

    store().saveEntry(writing(QStringLiteral("recovered")));
    EXPECT_FALSE(store().hasUnsavedChanges());
    EXPECT_EQ(storage::readDocument(path).text, writing(QStringLiteral("recovered")));
}

TEST_F(DocumentOperationsTest, ReadOnlyFolderKeepsTheFileAndTheTextThenRecovers) {
    const QString path = save(library(QStringLiteral("Plan.rtf")), QStringLiteral("before"));
    open(path);
    {
        testing::ScopedReadOnlyFolder readOnly(storage::documentsFolder());
        if (!readOnly.isReadOnly())
            GTEST_SKIP() << "this file system cannot make a folder read-only for this user";
        store().saveEntry(writing(QStringLiteral("after")));
        EXPECT_TRUE(store().hasUnsavedChanges());
        ASSERT_TRUE(store().fileError());
        EXPECT_TRUE(store().fileError()->contains(QStringLiteral("Plan.rtf")));
        EXPECT_FALSE(store().saveToLibrary(QStringLiteral("Copy")));
    }
    EXPECT_EQ(storage::readDocument(path).text, writing(QStringLiteral("before")));
    EXPECT_EQ(store().currentContent(), writing(QStringLiteral("after")));
    store().saveEntry(store().currentContent());
    EXPECT_FALSE(store().hasUnsavedChanges());
    EXPECT_EQ(storage::readDocument(path).text, writing(QStringLiteral("after")));
}

TEST_F(DocumentOperationsTest, UnsavedEntryIsWrittenBeforeTheDayMovesOn) {
    const QString path = save(entry(QStringLiteral("2026-12-07")), QStringLiteral("short"));
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
    open(save(entry(QStringLiteral("2026-12-08")), QStringLiteral("x")));
    {
        testing::ScopedFileSizeLimit limit(200);
        store().saveEntry(writing(QString(500, u'q')));
    }
    h.tickAt(localTime(2026, 12, 9, 0, 0, 1));
    EXPECT_EQ(store().currentDocumentURL(), QUrl::fromLocalFile(entry(QStringLiteral("2026-12-09"))));
    EXPECT_EQ(storage::readDocument(entry(QStringLiteral("2026-12-08"))).text, writing(QString(500, u'q')));
}

TEST_F(DocumentOperationsTest, NewDayEntryLinkedOutsideIsNotTakenOver) {
    const QString outside = save(h.home.path() + QStringLiteral("/diary.rtf"), QStringLiteral("private"));
    open(save(entry(QStringLiteral("2026-12-07")), QStringLiteral("today")));
    ASSERT_TRUE(QFile::link(outside, entry(QStringLiteral("2026-12-08"))));
    h.tickAt(localTime(2026, 12, 8, 0, 0, 1));
    EXPECT_FALSE(store().currentDocumentURL());
    EXPECT_TRUE(store().currentContent().isEmpty());
    EXPECT_TRUE(store().fileError());
}

TEST_F(DocumentOperationsTest, FoldersRemovedUnderTheProgramAreMadeAgain) {
    open(save(entry(QStringLiteral("2026-12-07")), QStringLiteral("day")));
    ASSERT_TRUE(QDir(storage::applicationFolder()).removeRecursively());
    store().saveEntry(writing(QStringLiteral("still here")));
    EXPECT_FALSE(store().hasUnsavedChanges());
    EXPECT_EQ(storage::readDocument(entry(QStringLiteral("2026-12-07"))).text,
              writing(QStringLiteral("still here")));
}

TEST_F(DocumentOperationsTest, NewDocumentAsksOnlyAboutUnsavedWriting) {
    const QUuid revision = store().documentRevision();
    EXPECT_TRUE(store().newDocument());
    EXPECT_TRUE(h.prompts.suggestedNames.isEmpty());
    EXPECT_NE(store().documentRevision(), revision);

    store().saveEntry(writing(QStringLiteral("Morning pages\nmore")));
    h.prompts.leaveAnswers = {{Choice::Cancel, {}}};
    EXPECT_FALSE(store().newDocument());
    EXPECT_EQ(h.prompts.suggestedNames, QStringList{QStringLiteral("Morning pages")});
    EXPECT_TRUE(store().hasUnsavedChanges());
    EXPECT_EQ(store().currentContent().text(), QStringLiteral("Morning pages\nmore"));

    h.prompts.leaveAnswers = {{Choice::Save, QStringLiteral(" ... ")}};
    EXPECT_FALSE(store().newDocument());
    EXPECT_EQ(store().fileError(), QStringLiteral("Enter a document name."));
    EXPECT_TRUE(store().hasUnsavedChanges());

    h.prompts.leaveAnswers = {{Choice::DontSave, {}}};
    EXPECT_TRUE(store().newDocument());
    EXPECT_TRUE(store().currentContent().isEmpty());
    EXPECT_FALSE(store().hasUnsavedChanges());
    EXPECT_FALSE(QFileInfo::exists(storage::documentsFolder()));
}

TEST_F(DocumentOperationsTest, SavingFromTheLeaveQuestionKeepsTheWritingInTheLibrary) {
    store().saveEntry(writing(QStringLiteral("Kept words"), 4));
    h.prompts.leaveAnswers = {{Choice::Save, QStringLiteral("Kept")}};
    EXPECT_TRUE(store().newDocument());
    EXPECT_EQ(storage::readDocument(library(QStringLiteral("Kept.rtf"))).text,
              writing(QStringLiteral("Kept words"), 4));
    EXPECT_FALSE(store().currentDocumentURL());
}

TEST_F(DocumentOperationsTest, LeavingIsRefusedWhileNoOneCanBeAsked) {
    store().setPrompts(nullptr);
    store().saveEntry(writing(QStringLiteral("unsaved")));
    EXPECT_FALSE(store().confirmSaveBeforeLeaving());
    EXPECT_FALSE(store().newDocument());
    EXPECT_EQ(store().currentContent().text(), QStringLiteral("unsaved"));
}

TEST_F(DocumentOperationsTest, SaveWritesALibraryDocumentAndOtherwiseOpensTheSaveSheet) {
    store().saveCurrent();
    EXPECT_TRUE(store().isSavePresented());
    store().setIsSavePresented(false);

    open(save(entry(QStringLiteral("2026-12-07")), QStringLiteral("entry")));
    store().saveCurrent();
    EXPECT_TRUE(store().isSavePresented());
    store().setIsSavePresented(false);

    const QString plan = save(library(QStringLiteral("Plan.rtf")), QStringLiteral("plan"));
    open(plan);
    QFile::remove(plan);
    store().saveCurrent();
    EXPECT_FALSE(store().isSavePresented());
    EXPECT_EQ(storage::readDocument(plan).text, writing(QStringLiteral("plan")));
}

TEST_F(DocumentOperationsTest, OpenDailyEntryFollowsTheDay) {
    save(entry(QStringLiteral("2026-12-08")), QStringLiteral("written ahead"));
    open(save(entry(QStringLiteral("2026-12-07")), QStringLiteral("today")));
    EXPECT_EQ(store().currentTitle(), QStringLiteral("Daily writing \u00b7 2026-12-07"));
    const QUuid revision = store().documentRevision();

    h.tickAt(localTime(2026, 12, 8, 0, 0, 1));
    EXPECT_EQ(store().currentDateKey(), QStringLiteral("2026-12-08"));
    EXPECT_EQ(store().currentDocumentURL(),
              QUrl::fromLocalFile(entry(QStringLiteral("2026-12-08"))));
    EXPECT_EQ(store().currentContent(), writing(QStringLiteral("written ahead")));
    EXPECT_NE(store().documentRevision(), revision);

    h.tickAt(localTime(2026, 12, 9, 0, 0, 1));
    EXPECT_EQ(store().currentDocumentURL(),
              QUrl::fromLocalFile(entry(QStringLiteral("2026-12-09"))));
    EXPECT_TRUE(store().currentContent().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(entry(QStringLiteral("2026-12-09"))))
        << "created by the first change only";
}

TEST_F(DocumentOperationsTest, DamagedEntryOfTheNewDayIsNeverOverwritten) {
    const QString tomorrow = entry(QStringLiteral("2026-12-08"));
    QDir().mkpath(storage::entriesFolder());
    QFile damaged(tomorrow);
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("PK\x03\x04 a zip archive, not a document");
    damaged.close();
    const QByteArray before = bytesOf(tomorrow);
    ASSERT_FALSE(storage::readDocument(tomorrow).ok());

    open(save(entry(QStringLiteral("2026-12-07")), QStringLiteral("today")));
    h.tickAt(localTime(2026, 12, 8, 0, 0, 1));
    EXPECT_FALSE(store().currentDocumentURL());
    EXPECT_TRUE(store().fileError());
    store().saveEntry(writing(QStringLiteral("typed after midnight")));
    EXPECT_TRUE(store().hasUnsavedChanges());
    EXPECT_EQ(bytesOf(tomorrow), before);
}

TEST_F(DocumentOperationsTest, OtherDocumentsStayOpenAcrossTheDay) {
    open(save(library(QStringLiteral("Plan.rtf")), QStringLiteral("plan")));
    const QUuid revision = store().documentRevision();
    h.tickAt(localTime(2026, 12, 8, 0, 0, 1));
    EXPECT_EQ(store().currentDateKey(), QStringLiteral("2026-12-08"));
    EXPECT_EQ(store().currentDocumentURL(),
              QUrl::fromLocalFile(library(QStringLiteral("Plan.rtf"))));
    EXPECT_EQ(store().documentRevision(), revision);
}

TEST_F(DocumentOperationsTest, SaveToLibraryCleansTheNameAndNeverOverwrites) {
    store().saveEntry(writing(QStringLiteral("Notes")));
    ASSERT_TRUE(store().saveToLibrary(QStringLiteral("  Notes: May/June.  ")));
    EXPECT_EQ(store().currentDocumentURL(),
              QUrl::fromLocalFile(library(QStringLiteral("Notes- May-June.rtf"))));
    EXPECT_FALSE(store().hasUnsavedChanges());
    ASSERT_EQ(store().documents().size(), 1);

    const QUuid revision = store().documentRevision();
    save(library(QStringLiteral("Essay.rtf")), QStringLiteral("first"));
    save(library(QStringLiteral("Essay 2.rtf")), QStringLiteral("second"));
    ASSERT_TRUE(store().saveToLibrary(QStringLiteral("Essay")));
    EXPECT_EQ(store().currentTitle(), QStringLiteral("Essay 3"));
    EXPECT_EQ(store().suggestedTitle(), QStringLiteral("Essay 3"));
    EXPECT_EQ(storage::readDocument(library(QStringLiteral("Essay.rtf"))).text,
              writing(QStringLiteral("first")));
    EXPECT_EQ(store().documentRevision(), revision) << "the editor keeps its text";
    EXPECT_EQ(store().documents().size(), 4);

    for (const QString& blank :
         {QStringLiteral("..."), QStringLiteral("   "), QStringLiteral("\nSecond line")}) {
        EXPECT_FALSE(store().saveToLibrary(blank));
        EXPECT_EQ(store().fileError(), QStringLiteral("Enter a document name."));
    }
    EXPECT_EQ(store().currentTitle(), QStringLiteral("Essay 3"));
}

TEST_F(DocumentOperationsTest, NameWithANulSavesUnderTheNameWithoutIt) {
    store().saveEntry(writing(QStringLiteral("text")));
    ASSERT_TRUE(store().saveToLibrary(QStringLiteral("Plan") + QChar(u'\0') + QStringLiteral("B")));
    EXPECT_EQ(store().currentDocumentURL(), QUrl::fromLocalFile(library(QStringLiteral("PlanB.rtf"))));
    EXPECT_EQ(store().documents().size(), 1);
}

TEST_F(DocumentOperationsTest, SaveToLibraryFailureLeavesTheCurrentDocument) {
    store().saveEntry(writing(QString(4000, u'y')));
    {
        testing::ScopedFileSizeLimit limit(100);
        EXPECT_FALSE(store().saveToLibrary(QStringLiteral("Big")));
    }
    EXPECT_TRUE(store().fileError());
    EXPECT_FALSE(store().currentDocumentURL());
    EXPECT_TRUE(store().hasUnsavedChanges());
    EXPECT_FALSE(QFileInfo::exists(library(QStringLiteral("Big.rtf"))));
}

TEST_F(DocumentOperationsTest, OpeningAsksFirstAndRefusesWhatItCannotRead) {
    const QString good = save(library(QStringLiteral("Good.rtf")), QStringLiteral("good"));
    const QString broken = library(QStringLiteral("Broken.rtf"));
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not rtf at all");
    file.close();

    store().saveEntry(writing(QStringLiteral("draft")));
    EXPECT_FALSE(store().openDocument(QUrl::fromLocalFile(broken)));
    EXPECT_TRUE(store().fileError());
    EXPECT_TRUE(h.prompts.suggestedNames.isEmpty()) << "no question for a file that cannot be read";

    h.prompts.leaveAnswers = {{Choice::Cancel, {}}};
    EXPECT_FALSE(store().openDocument(QUrl::fromLocalFile(good)));
    EXPECT_EQ(store().currentContent().text(), QStringLiteral("draft"));

    h.prompts.leaveAnswers = {{Choice::DontSave, {}}};
    EXPECT_TRUE(store().openDocument(QUrl::fromLocalFile(good)));
    EXPECT_EQ(store().currentContent(), writing(QStringLiteral("good")));
    EXPECT_FALSE(store().hasUnsavedChanges());
}

TEST_F(DocumentOperationsTest, NothingOutsideTheTwoFoldersIsOpenedOrDeleted) {
    const QString outside =
        save(h.home.path() + QStringLiteral("/outside.rtf"), QStringLiteral("private"));
    EXPECT_FALSE(store().openDocument(QUrl::fromLocalFile(outside)));
    EXPECT_TRUE(store().fileError());

    // A relative path would be taken from the working folder, not ours.
    QDir::setCurrent(h.home.path());
    EXPECT_FALSE(store().openDocument(QUrl::fromLocalFile(QStringLiteral("outside.rtf"))));
    const QString sneaky = storage::documentsFolder() + QStringLiteral("/../../../outside.rtf");
    for (const QString& path : {outside, sneaky, QStringLiteral("outside.rtf")}) {
        EXPECT_FALSE(store().deleteDocument({QUrl::fromLocalFile(path), {}, false}));
        EXPECT_EQ(store().fileError(),
                  QStringLiteral("This document can\u2019t be deleted from the library."));
    }
    EXPECT_TRUE(QFileInfo::exists(outside));

    // A link in the library is removed as a link; its target is untouched.
    QDir().mkpath(storage::documentsFolder());
    const QString link = library(QStringLiteral("link.rtf"));
    ASSERT_TRUE(QFile::link(outside, link));
    EXPECT_FALSE(store().openDocument(QUrl::fromLocalFile(link)));
    EXPECT_TRUE(store().deleteDocument({QUrl::fromLocalFile(link), {}, false}));
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    EXPECT_EQ(storage::readDocument(outside).text, writing(QStringLiteral("private")));
}

TEST_F(DocumentOperationsTest, DeletingTheOpenDocumentLeavesAnEmptyUntitledOne) {
    const QString other = save(library(QStringLiteral("Other.rtf")), QStringLiteral("other"));
    open(save(library(QStringLiteral("Open.rtf")), QStringLiteral("open")));
    ASSERT_TRUE(store().deleteDocument({QUrl::fromLocalFile(other), {}, false}));
    EXPECT_EQ(store().currentContent(), writing(QStringLiteral("open")));
    EXPECT_EQ(store().documents().size(), 1);

    const QString dotted = storage::documentsFolder() + QStringLiteral("/./Open.rtf");
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
    store().saveEntry(writing(QStringLiteral("to share"), 2));
    h.prompts.exportPath = h.home.path() + QStringLiteral("/Missing/shared.rtf");
    store().exportCurrent();
    EXPECT_TRUE(store().fileError());
    EXPECT_FALSE(QFileInfo::exists(h.home.path() + QStringLiteral("/Missing"))) << "no folder of the person's is made";

    QDir().mkpath(h.home.path() + QStringLiteral("/Desktop"));
    const QString target = h.home.path() + QStringLiteral("/Desktop/shared.rtf");
    h.prompts.exportPath = target;
    h.prompts.proposedExportNames.clear();
    store().exportCurrent();
    EXPECT_EQ(h.prompts.proposedExportNames, QStringList{QStringLiteral("Untitled.rtf")});
    EXPECT_EQ(storage::readDocument(target).text, writing(QStringLiteral("to share"), 2));
    EXPECT_TRUE(store().hasUnsavedChanges()) << "an export is not a save";
    EXPECT_TRUE(store().documents().isEmpty());

    h.prompts.leaveAnswers = {{Choice::DontSave, {}}};
    open(save(entry(QStringLiteral("2026-12-07")), QStringLiteral("entry")));
    h.prompts.exportPath.reset();
    store().exportCurrent();
    EXPECT_EQ(h.prompts.proposedExportNames.last(), QStringLiteral("2026-12-07.rtf"));

    QDir().mkpath(h.home.path() + QStringLiteral("/blocked.rtf"));
    h.prompts.exportPath = h.home.path() + QStringLiteral("/blocked.rtf");
    store().exportCurrent();
    EXPECT_TRUE(store().fileError());
}

TEST_F(DocumentOperationsTest, ShowInFileManagerOnlyForAFile) {
    store().revealCurrentInFinder();
    EXPECT_TRUE(h.fileViewer.shown.isEmpty());
    const QString path = save(library(QStringLiteral("Shown.rtf")), QStringLiteral("x"));
    open(path);
    store().revealCurrentInFinder();
    EXPECT_EQ(h.fileViewer.shown, QStringList{path});
}

TEST_F(DocumentOperationsTest, StartUpListsTheDocumentsAndOpensNone) {
    save(library(QStringLiteral("Plan.rtf")), QStringLiteral("plan"));
    save(entry(QStringLiteral("2026-12-06")), QStringLiteral("yesterday"));
    WritingStore& restarted = h.restart();
    EXPECT_EQ(restarted.documents().size(), 2);
    EXPECT_FALSE(restarted.currentDocumentURL());
    EXPECT_TRUE(restarted.currentContent().isEmpty());
}

} // namespace
} // namespace inkwarden
