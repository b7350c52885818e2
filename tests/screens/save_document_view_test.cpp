#include "documents/storage_layout.h"
#include "screens/save_document_view.h"
#include "store/settings_keys.h"
#include "store/store_harness.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace inkwarden {
namespace {

using namespace Qt::Literals::StringLiterals;
using testing::localTime;
using testing::writing;

// The save sheet over an idle store holding untitled writing, shown
// offscreen as the writing screen presents it.
class SaveDocumentViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        h.clock.set(localTime(2026, 12, 7, 11, 0));
        h.defaults().setString(keys::kLastScheduledDay, u"2026-12-07"_s);
        h.start();
        h.store->saveEntry(writing(u"Morning pages\nand the rest"_s));
    }
    void show() {
        h.store->setIsSavePresented(true);
        view = std::make_unique<SaveDocumentView>(*h.store, nullptr);
        view->show();
    }
    QLineEdit& name() { return *view->nameField(); }
    QString heading() { return view->findChild<QLabel*>()->text(); }
    QStringList library() { return QDir(storage::documentsFolder()).entryList(QDir::Files); }

    testing::StoreHarness h;
    std::unique_ptr<SaveDocumentView> view;
};

TEST_F(SaveDocumentViewTest, SaveIsDisabledForBlankNamesAndTheStoreRefusesDots) {
    show();
    EXPECT_EQ(heading(), u"Save to Library"_s);
    EXPECT_EQ(name().text(), u"Morning pages"_s);
    EXPECT_EQ(name().placeholderText(), u"Document name"_s);
    const QList<std::pair<QString, bool>> cases = {
        {u""_s, false}, {u" \t "_s, false}, {u"a"_s, true}, {u"..."_s, true}};
    for (const auto& [typed, enabled] : cases) {
        name().setText(typed);
        EXPECT_EQ(view->saveButton()->isEnabled(), enabled) << typed.toStdString();
    }
    // Return in the field saves even while the button is disabled.
    for (const QString& typed : {u"..."_s, u"   "_s}) {
        h.store->setFileError(std::nullopt);
        name().setText(typed);
        QTest::keyClick(&name(), Qt::Key_Return);
        EXPECT_EQ(h.store->fileError(), u"Enter a document name."_s) << typed.toStdString();
        EXPECT_TRUE(view->isVisible());
        EXPECT_EQ(name().text(), typed);
    }
    EXPECT_TRUE(h.store->isSavePresented());
    EXPECT_TRUE(library().isEmpty());
}

TEST_F(SaveDocumentViewTest, AGoodNameSavesOnceAndClosesAndCancelSavesNothing) {
    show();
    QTest::mouseClick(view->findChildren<QPushButton*>().value(0), Qt::LeftButton);
    EXPECT_EQ(view->findChildren<QPushButton*>().value(0)->text(), u"Cancel"_s);
    EXPECT_FALSE(view->isVisible());
    EXPECT_FALSE(h.store->isSavePresented());
    EXPECT_TRUE(library().isEmpty());

    const QList<std::function<void()>> ways = {
        [this] { QTest::keyClick(&name(), Qt::Key_Return); },
        [this] { QTest::mouseClick(view->saveButton(), Qt::LeftButton); },
    };
    const QStringList expected[] = {{u"Morning pages.rtf"_s},
                                    {u"Morning pages 2.rtf"_s, u"Morning pages.rtf"_s}};
    for (int way = 0; way < ways.size(); ++way) {
        show();
        EXPECT_EQ(heading(), way == 0 ? u"Save to Library"_s : u"Save a Copy"_s);
        name().setText(u"Morning pages"_s);
        ways[way]();
        EXPECT_EQ(library(), expected[way]) << "one file per save";
        EXPECT_FALSE(view->isVisible());
        EXPECT_FALSE(h.store->isSavePresented());
        EXPECT_TRUE(h.store->isLibraryDocument());
    }
}

} // namespace
} // namespace inkwarden
