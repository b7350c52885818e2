#include "documents/storage_layout.h"
#include "screens/library_view.h"
#include "store/settings_keys.h"
#include "store/store_harness.h"

#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace inkwarden {
namespace {

using namespace Qt::Literals::StringLiterals;
using testing::localTime;
using testing::writing;

// The library sheet over an idle store, shown offscreen under en_US, its
// alerts answered from `answers` and recorded as text, buttons and default.
class LibraryViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        h.clock.set(localTime(2026, 12, 7, 11, 0));
        h.defaults().setString(keys::kLastScheduledDay, u"2026-12-07"_s);
        h.start();
    }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }

    QString write(const QString& path, const QDateTime& modified) {
        EXPECT_FALSE(storage::writeDocument(path, writing(u"text"_s)));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::Append) &&
                    file.setFileTime(modified, QFileDevice::FileModificationTime));
        return path;
    }
    QString plan() {
        return write(storage::documentsFolder() + u"/Plan.rtf"_s, localTime(2026, 12, 4, 9, 0));
    }
    QString entry() {
        return write(storage::entryPath(u"2026-12-05"_s), localTime(2026, 12, 5, 21, 30));
    }
    void show() {
        h.store->setIsLibraryPresented(true);
        view = std::make_unique<LibraryView>(*h.store, nullptr);
        view->setAskFunction([this](QMessageBox& box) -> QAbstractButton* {
            QStringList shown{box.text(), box.informativeText(), box.defaultButton()->text()};
            QAbstractButton* pressed = nullptr;
            for (QAbstractButton* button : box.buttons()) {
                shown.append(button->text());
                if (!answers.isEmpty() && button->text() == answers.first())
                    pressed = button;
            }
            if (!answers.isEmpty())
                answers.removeFirst();
            alerts.append(shown);
            return pressed;
        });
        view->show();
        settle();
    }
    void settle() {
        for (int turn = 0; turn < 3; ++turn)
            QCoreApplication::processEvents();
    }
    template <typename Widget> Widget* find(const QString& text) {
        for (Widget* each : view->findChildren<Widget*>())
            if ((each->text() == text || each->accessibleName() == text) &&
                each->isVisibleTo(view.get()))
                return each;
        return nullptr;
    }
    QListWidget& list() { return *view->findChild<QListWidget*>(); }
    QStringList rowTitles() {
        QStringList titles;
        for (int row = 0; row < list().count(); ++row)
            titles.append(list().item(row)->text());
        return titles;
    }
    QToolButton* trash(const QString& name) { return find<QToolButton>(u"Delete "_s + name); }

    testing::StoreHarness h;
    std::unique_ptr<LibraryView> view;
    QList<QStringList> alerts;
    QStringList answers;
};

TEST_F(LibraryViewTest, AnEmptyLibraryExplainsItselfAndOffersNothingToOpen) {
    show();
    EXPECT_TRUE(find<QLabel>(u"No documents yet"_s));
    EXPECT_TRUE(find<QLabel>(u"Save a document to see it here."_s));
    EXPECT_FALSE(list().isVisibleTo(view.get()));
    EXPECT_FALSE(find<QPushButton>(u"Open"_s)->isEnabled());
    EXPECT_FALSE(find<QPushButton>(u"Show in Finder"_s)->isEnabled());

    QTest::keyClick(view.get(), Qt::Key_Escape);
    EXPECT_FALSE(view->isVisible());
    EXPECT_FALSE(h.store->isLibraryPresented());
}

TEST_F(LibraryViewTest, RowsListNewestFirstAndTheOpenDocumentStartsSelected) {
    const QString planPath = plan();
    const QString entryPath = entry();
    show();
    EXPECT_EQ(rowTitles(), QStringList({u"Daily writing \u00B7 2026-12-05"_s, u"Plan"_s}));
    EXPECT_TRUE(find<QLabel>(u"Dec 5, 2026, 9:30\u202FPM"_s) ||
                find<QLabel>(u"Dec 5, 2026, 9:30 PM"_s));
    EXPECT_FALSE(view->selection()) << "the untitled document is open: nothing selected";
    EXPECT_FALSE(trash(u"Plan"_s));

    ASSERT_TRUE(h.store->openDocument(QUrl::fromLocalFile(planPath)));
    show();
    EXPECT_EQ(list().selectedItems().value(0)->text(), u"Plan"_s);
    ASSERT_TRUE(trash(u"Plan"_s));
    EXPECT_EQ(trash(u"Plan"_s)->toolTip(), u"Delete Plan"_s);
    QTest::mouseClick(find<QPushButton>(u"Show in Finder"_s), Qt::LeftButton);
    EXPECT_EQ(h.fileViewer.shown, QStringList{planPath});

    list().setCurrentRow(0);
    EXPECT_FALSE(trash(u"Plan"_s)) << "the trash follows the selection";
    EXPECT_EQ(trash(u"2026-12-05"_s)->toolTip(), u"Delete 2026-12-05"_s);
    QList<QUrl> revealed;
    view->setRevealFunction([&](const QUrl& url) { revealed.append(url); });
    QTest::mouseClick(find<QPushButton>(u"Show in Finder"_s), Qt::LeftButton);
    EXPECT_EQ(revealed, QList<QUrl>{QUrl::fromLocalFile(entryPath)}) << "the selected one";
}

TEST_F(LibraryViewTest, OpenReturnDoubleClickAndPlusActAndClose) {
    const QString planPath = plan();
    const QList<std::function<void()>> ways = {
        [this] { QTest::mouseClick(find<QPushButton>(u"Open"_s), Qt::LeftButton); },
        [this] { QTest::keyClick(&list(), Qt::Key_Return); },
        [this] {
            QWidget* row = list().itemWidget(list().item(0));
            QTest::mouseClick(row, Qt::LeftButton);
            QTest::mouseDClick(row, Qt::LeftButton);
        },
    };
    for (const auto& way : ways) {
        ASSERT_TRUE(h.store->newDocument());
        show();
        list().setCurrentRow(0);
        way();
        settle();
        EXPECT_EQ(h.store->currentDocumentURL(), QUrl::fromLocalFile(planPath));
        EXPECT_FALSE(view->isVisible());
        EXPECT_FALSE(h.store->isLibraryPresented());
    }

    ASSERT_TRUE(h.store->newDocument());
    h.store->saveEntry(writing(u"unsaved thoughts"_s));
    show();
    list().setCurrentRow(0);
    QTest::mouseClick(find<QToolButton>(u"New document"_s), Qt::LeftButton);
    EXPECT_TRUE(view->isVisible()) << "the leave question was cancelled";
    EXPECT_TRUE(view->selection()) << "and the selection kept";
    h.prompts.leaveAnswers = {{DocumentPrompts::LeaveChoice::DontSave, {}}};
    QTest::mouseClick(find<QToolButton>(u"New document"_s), Qt::LeftButton);
    EXPECT_FALSE(h.store->currentDocumentURL());
    EXPECT_FALSE(view->isVisible());
}

TEST_F(LibraryViewTest, WithNothingSelectedTheFirstKeyMeansTheRowWithTheKeyboard) {
    const QString planPath = plan();
    entry();
    show();
    list().setFocus();
    settle();
    ASSERT_FALSE(view->selection());
    ASSERT_EQ(list().currentRow(), 0);
    QTest::keyClick(&list(), Qt::Key_Down);
    EXPECT_EQ(list().selectedItems().value(0), list().item(0)) << "the first row, not the second";
    QTest::keyClick(&list(), Qt::Key_Down);
    EXPECT_EQ(list().selectedItems().value(0), list().item(1)) << "then on as usual";

    view->close();
    show();
    list().setFocus();
    list().setCurrentRow(1, QItemSelectionModel::NoUpdate);
    ASSERT_FALSE(view->selection());
    QTest::keyClick(&list(), Qt::Key_Return);
    settle();
    EXPECT_EQ(h.store->currentDocumentURL(), QUrl::fromLocalFile(planPath)) << "Return opens it";
    EXPECT_FALSE(view->isVisible());
}

TEST_F(LibraryViewTest, DeletingAsksFirstAndAFailureTurnsTheAlertIntoCouldntDelete) {
    const QString planPath = plan();
    const QString entryPath = entry();
    ASSERT_TRUE(h.store->openDocument(QUrl::fromLocalFile(planPath)));
    show();
    for (const QString& answer : {u"Cancel"_s, u"Delete Permanently"_s}) {
        answers = {answer};
        QTest::mouseClick(trash(u"Plan"_s), Qt::LeftButton);
        settle();
    }
    const QStringList confirmation = {
        u"Permanently delete this writing?"_s,
        u"\u201CPlan\u201D will be deleted permanently and can\u2019t be recovered. If it\u2019s "
        u"open, unsaved changes will also be discarded."_s,
        u"Cancel"_s, u"Cancel"_s, u"Delete Permanently"_s};
    EXPECT_EQ(alerts, QList<QStringList>({confirmation, confirmation}));
    EXPECT_FALSE(QFile::exists(planPath));
    EXPECT_FALSE(h.store->currentDocumentURL()) << "the open document gave way to an empty one";
    EXPECT_TRUE(h.store->currentContent().isEmpty());
    EXPECT_EQ(rowTitles(), QStringList{u"Daily writing \u00B7 2026-12-05"_s});
    EXPECT_FALSE(view->selection());
    EXPECT_TRUE(view->isVisible());

    list().setCurrentRow(0);
    ASSERT_TRUE(QFile::remove(entryPath)) << "gone behind the sheet's back";
    answers = {u"Delete Permanently"_s, u"OK"_s};
    QTest::mouseClick(trash(u"2026-12-05"_s), Qt::LeftButton);
    settle();
    ASSERT_EQ(alerts.size(), 4);
    EXPECT_EQ(alerts[3].value(0), u"Couldn\u2019t delete"_s);
    EXPECT_TRUE(
        alerts[3].value(1).startsWith(u"Couldn\u2019t delete \u201C2026-12-05.rtf\u201D"_s));
    EXPECT_EQ(alerts[3].mid(2), QStringList({u"OK"_s, u"OK"_s}));
    EXPECT_FALSE(h.store->fileError()) << "shown once, here, not again as a save error";
    EXPECT_TRUE(view->isVisible());
}

} // namespace
} // namespace inkwarden
