#include "documents/storage_layout.h"
#include "store/settings_keys.h"
#include "store_harness.h"
#include "support/file_bytes.h"
#include "support/scoped_save_fault.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace inkwarden {
namespace {

using namespace Qt::Literals::StringLiterals;
using testing::localTime;
using testing::SaveFault;
using testing::bytesOf;
using testing::DocumentKind;
using testing::ScopedSaveFault;
using testing::writing;

// Every save the store makes while the system refuses it, for each fault and
// both kinds of document with a file: what is on disk, what is in memory and
// what the person is told, then the first save after the fault has gone.
class WriteFailureTest : public ::testing::TestWithParam<std::tuple<SaveFault, DocumentKind>> {
protected:
    void SetUp() override {
        h.clock.set(localTime(2026, 12, 7, 11, 0));
        h.defaults().setString(keys::kLastScheduledDay, u"2026-12-07"_s);
        h.start();
        path = std::get<1>(GetParam()) == DocumentKind::DailyEntry
                   ? storage::entryPath(u"2026-12-07"_s)
                   : storage::documentsFolder() + u"/Plan.rtf"_s;
        ASSERT_FALSE(storage::writeDocument(path, writing(u"the words already kept"_s, 4)));
        ASSERT_TRUE(store().openDocument(QUrl::fromLocalFile(path)));
        before = bytesOf(path);
    }
    WritingStore& store() { return *h.store; }
    SaveFault fault() const { return std::get<0>(GetParam()); }

    testing::StoreHarness h;
    QString path;
    QByteArray before;
};

TEST_P(WriteFailureTest, OldFileAndNewTextSurviveAndTheNextSaveWritesIt) {
    const RichText typed = writing(u"the words already kept, and a new sentence."_s, 9);
    {
        ScopedSaveFault refused(fault(), path);
        if (!refused.isActive())
            GTEST_SKIP() << "this system cannot make the fault for this user";
        store().saveEntry(typed);
        EXPECT_EQ(bytesOf(refused.oldFile()), before) << "the old file is untouched";
        EXPECT_TRUE(store().hasUnsavedChanges());
        EXPECT_EQ(store().currentContent(), typed);
        EXPECT_EQ(store().currentDocumentURL(), QUrl::fromLocalFile(path));
        ASSERT_TRUE(store().fileError());
        const QString message = *store().fileError();
        EXPECT_TRUE(message.contains(QFileInfo(path).fileName())) << message.toStdString();
        EXPECT_TRUE(refused.namesTheReason(message)) << message.toStdString();

        // The Save command on a library document is the same write, refused the same way.
        store().setFileError(std::nullopt);
        store().saveCurrent();
        if (std::get<1>(GetParam()) == DocumentKind::LibraryDocument) {
            EXPECT_TRUE(store().fileError());
            EXPECT_FALSE(store().isSavePresented());
        }
        EXPECT_TRUE(store().hasUnsavedChanges());

        // Unsaved, so leaving now asks first instead of dropping the text.
        EXPECT_FALSE(store().newDocument()); // the scripted answer is Cancel
        EXPECT_EQ(h.prompts.suggestedNames.size(), 1);
        EXPECT_EQ(store().currentContent(), typed);
        EXPECT_EQ(bytesOf(refused.oldFile()), before);
    }
    EXPECT_EQ(bytesOf(path), before) << "nothing written while the fault lasted";

    store().setFileError(std::nullopt); // as the alert's OK does
    store().saveEntry(store().currentContent());
    EXPECT_FALSE(store().hasUnsavedChanges());
    EXPECT_FALSE(store().fileError());
    EXPECT_EQ(storage::readDocument(path).text, typed);
    EXPECT_EQ(QDir(QFileInfo(path).path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
              QStringList{QFileInfo(path).fileName()})
        << "no temporary file of a refused save is left behind";
}

INSTANTIATE_TEST_SUITE_P(AllFaults, WriteFailureTest, testing::everySaveFaultAndDocument(),
                         testing::saveFaultCaseName);

// A folder that is merely gone is made again, privately, by the next save;
// the entries case is covered with the document operations.
TEST(WriteFailureFolderTest, RemovedLibraryFolderIsMadeAgainForTheOpenDocument) {
    testing::StoreHarness h;
    h.clock.set(localTime(2026, 12, 7, 11, 0));
    h.defaults().setString(keys::kLastScheduledDay, u"2026-12-07"_s);
    WritingStore& store = h.start();
    const QString path = storage::documentsFolder() + u"/Plan.rtf"_s;
    ASSERT_FALSE(storage::writeDocument(path, writing(u"plan"_s)));
    ASSERT_TRUE(store.openDocument(QUrl::fromLocalFile(path)));
    ASSERT_TRUE(QDir(storage::documentsFolder()).removeRecursively());

    store.saveEntry(writing(u"plan, still open"_s));
    EXPECT_FALSE(store.hasUnsavedChanges());
    EXPECT_FALSE(store.fileError());
    EXPECT_EQ(storage::readDocument(path).text, writing(u"plan, still open"_s));
    EXPECT_EQ(QFileInfo(storage::documentsFolder()).permissions() &
                  QFileDevice::Permissions(0x7077),
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

} // namespace
} // namespace inkwarden
