#include "documents/storage_layout.h"
#include "screens/library_model.h"
#include "store/store_harness.h"

#include <QFile>
#include <gtest/gtest.h>

namespace inkwarden {
namespace {

using namespace Qt::Literals::StringLiterals;
using testing::localTime;
using testing::writing;

QList<QUrl> rowsOf(const LibraryModel& model) {
    QList<QUrl> urls;
    for (int row = 0; row < model.rowCount(); ++row)
        urls.append(model.index(row).data(LibraryModel::UrlRole).toUrl());
    return urls;
}

// The rows follow the store's list as documents are added, deleted and
// changed (newest first); a search shows only listed matches, in its order,
// each with its snippet, and keeps doing so as the list changes.
TEST(LibraryModelTest, FollowsTheStoresListAndTheSearch) {
    testing::StoreHarness h;
    WritingStore& store = h.start();
    LibraryModel model;
    const auto put = [](const QString& name, int day) {
        return testing::libraryDocument(name, writing(name), localTime(2026, 12, day, 9, 0));
    };
    const auto follow = [&] {
        store.refreshDocuments();
        model.setDocuments(store.documents());
        return rowsOf(model);
    };
    const QUrl a = put(u"A"_s, 3), b = put(u"B"_s, 4);
    EXPECT_EQ(follow(), (QList<QUrl>{b, a}));
    const QUrl c = put(u"C"_s, 5);
    EXPECT_EQ(follow(), (QList<QUrl>{c, b, a}));
    put(u"A"_s, 6);
    EXPECT_EQ(follow(), (QList<QUrl>{a, c, b}));

    const QUrl gone = QUrl::fromLocalFile(storage::documentsFolder() + u"/Gone.rtf"_s);
    model.setMatches(QList<LibraryModel::Match>{{b, u"x"_s}, {gone, u"y"_s}, {a, u"z"_s}});
    EXPECT_EQ(rowsOf(model), (QList<QUrl>{b, a}));
    EXPECT_EQ(model.index(1).data(LibraryModel::SnippetRole).toString(), u"z"_s);
    ASSERT_TRUE(store.deleteDocument(store.documents().value(2))); // b
    model.setDocuments(store.documents());
    EXPECT_EQ(rowsOf(model), QList<QUrl>{a});
    model.setMatches(std::nullopt);
    EXPECT_EQ(rowsOf(model), (QList<QUrl>{a, c}));
    EXPECT_EQ(model.index(0).data(LibraryModel::SnippetRole).toString(), QString());
}

} // namespace
} // namespace inkwarden
