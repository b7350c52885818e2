#include "documents/storage_layout.h"
#include "search/search_index.h"
#include "search/search_query.h"
#include "store/store_harness.h"
#include "support/file_bytes.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace inkwarden {
namespace {

using namespace Qt::Literals::StringLiterals;
using testing::writing;

// Documents in a throw-away library, searched through an index in its cache.
class SearchTest : public ::testing::Test {
protected:
    static QString put(const QString& name, const QString& text) {
        return testing::libraryDocument(name, writing(text)).toLocalFile();
    }
    static std::unique_ptr<SearchIndex> caughtUp() {
        auto index = std::make_unique<SearchIndex>(SearchIndex::defaultPath());
        index->catchUp();
        index->waitUntilIdle();
        return index;
    }
    // The names of the documents found, best first.
    static QStringList names(SearchIndex& index, const QString& typed) {
        QSignalSpy answered(&index, &SearchIndex::resultsReady);
        index.search(typed);
        EXPECT_TRUE(answered.wait(5000)) << typed.toStdString();
        QStringList names;
        for (const auto& match : answered.value(0).value(1).value<QList<SearchIndex::Match>>())
            names.append(QFileInfo(match.path).completeBaseName());
        return names;
    }

    testing::StoreHarness h;
};

// Words match in any case and without their accents, as the start of a
// word, all of them; a quoted phrase only as a phrase; the document using a
// word most comes first; what a person types is never taken as an operator.
TEST_F(SearchTest, FindsByTheRulesAPersonExpects) {
    put(u"Cafe"_s, u"We met at the Café by the garden."_s);
    put(u"Roof"_s, u"The rain fell on the roof all night."_s);
    put(u"Soil"_s, u"Garden soil after the rain fell, and nothing more."_s);
    put(u"Storm"_s, u"Rain, rain and rain: a storm of rain."_s);
    const auto index = caughtUp();
    const struct {
        QString typed;
        QStringList found; // in order
    } cases[] = {
        {u"cafe"_s, {u"Cafe"_s}},
        {u"CAFÉ"_s, {u"Cafe"_s}},
        {u"caf"_s, {u"Cafe"_s}},
        {u"roofs"_s, {}},
        {u"garden rain"_s, {u"Soil"_s}},
        {u"\"rain fell\" soil"_s, {u"Soil"_s}},
        {u"\"fell rain\""_s, {}},
        {u"\"the roof all"_s, {u"Roof"_s}},
        {u"storm"_s, {u"Storm"_s}},
        {u"night OR storm"_s, {}},
        {u"night NOT"_s, {}},
        {u"\" * ( ^"_s, {}},
    };
    for (const auto& [typed, found] : cases) {
        SCOPED_TRACE(typed.toStdString());
        EXPECT_EQ(names(*index, typed), found);
    }
    EXPECT_EQ(names(*index, u"rain"_s).value(0), u"Storm"_s) << "the most rain first";
    EXPECT_EQ(names(*index, u"rain"_s).size(), 3);
}

// A snippet starts a few words before the first match, marks every match
// (a phrase as one), whatever its case and accents, and says what it left out.
TEST(SearchSnippetTest, ShowsTheFirstMatchInItsWords) {
    const struct {
        QString text, typed, shown;
    } cases[] = {
        {u"a b c d e f g h Garden i j k l m n o p q r s"_s, u"gard"_s,
         u"…d e f g h \x01Garden\x02 i j k l m n o p q r…"_s},
        {u"The rain fell,\nthen rain."_s, u"\"rain fell\" rain"_s,
         u"The \x01rain fell\x02, then \x01rain\x02."_s},
        {u"Un CAFÉ noir"_s, u"cafe"_s, u"Un \u0001CAFÉ\u0002 noir"_s},
        {u"rainfall"_s, u"\"rain\""_s, QString()},
    };
    for (const auto& [text, typed, shown] : cases)
        EXPECT_EQ(search::snippet(text, search::parse(typed)), shown) << typed.toStdString();
}

// At launch the index reads again the files changed or removed while the
// program was closed, and makes itself anew when its file is missing or
// damaged, counting what it has read.
TEST_F(SearchTest, CatchesUpWithTheFoldersAndRebuildsALostIndex) {
    const QString apples = put(u"Apples"_s, u"apples in the basket"_s);
    const QString pears = put(u"Pears"_s, u"pears on the tree"_s);
    caughtUp();
    put(u"Apples"_s, u"oranges instead of what was there"_s);
    QFile(apples).setFileTime(QDateTime::currentDateTime().addSecs(60),
                              QFileDevice::FileModificationTime);
    QFile::remove(pears);
    auto index = caughtUp();
    EXPECT_EQ(names(*index, u"oranges"_s), QStringList{u"Apples"_s});
    EXPECT_EQ(names(*index, u"apples"_s), QStringList{u"Apples"_s}) << "by its name";
    EXPECT_EQ(names(*index, u"basket"_s) + names(*index, u"pears"_s), QStringList{});
    EXPECT_EQ(index->progress(), std::pair(1, 1));
    index.reset();
    for (const QByteArray& damage : {QByteArray(), QByteArray("not a database at all", 21)}) {
        testing::replaceDatabase(SearchIndex::defaultPath(), damage);
        index = caughtUp();
        EXPECT_EQ(names(*index, u"oranges"_s), QStringList{u"Apples"_s}) << damage.size();
        EXPECT_EQ(index->progress(), std::pair(1, 1));
        index.reset();
    }
}

// Catching up reads nothing while the writing is being saved, and goes on by
// itself once the saves stop.
TEST_F(SearchTest, CatchingUpWaitsWhileWritingIsSaved) {
    const QString path = put(u"Letters"_s, u"letters kept"_s);
    SearchIndex index(SearchIndex::defaultPath());
    index.documentWritten(path, u"letters kept"_s);
    index.catchUp();
    ASSERT_TRUE(QTest::qWaitFor([&] { return index.progress().second == 1; }, 5000));
    EXPECT_EQ(index.progress().first, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return index.progress() == std::pair(1, 1); }, 5000));
}

// The store's writes, in the foreground and on the writer's thread, replace
// a document's row and its deletion removes it; untitled writing, kept
// outside the library, is never found.
TEST_F(SearchTest, FollowsTheStoresWritesAndDeletions) {
    const QString path = put(u"Notes"_s, u"first words"_s);
    WritingStore& store = h.start();
    auto index = caughtUp();
    store.setDocumentIndex(index.get());
    for (const bool background : {false, true}) {
        SCOPED_TRACE(background);
        store.setWritesInBackground(background);
        ASSERT_TRUE(store.openDocument(QUrl::fromLocalFile(path)));
        store.saveEntry(writing(background ? u"third words"_s : u"second words"_s));
        store.finishWrites();
        index->waitUntilIdle();
        EXPECT_EQ(names(*index, background ? u"third"_s : u"second"_s), QStringList{u"Notes"_s});
        EXPECT_EQ(names(*index, background ? u"second"_s : u"first"_s), QStringList{});
        ASSERT_TRUE(store.newDocument());
        store.saveEntry(writing(u"draft"_s));
        store.finishWrites();
        index->waitUntilIdle();
        EXPECT_EQ(names(*index, u"draft"_s), QStringList{});
        store.saveEntry(RichText());
    }
    store.refreshDocuments();
    ASSERT_TRUE(store.deleteDocument(store.documents().value(0)));
    index->waitUntilIdle();
    EXPECT_EQ(names(*index, u"words"_s), QStringList{});
    store.setDocumentIndex(nullptr);
}

} // namespace
} // namespace inkwarden
