#include "documents/storage_layout.h"
#include "editor/placeholder_text_view.h"
#include "editor/rich_text_editor.h"
#include "screens/writing_view.h"
#include "store/settings_keys.h"
#include "store/store_harness.h"
#include "support/file_bytes.h"
#include "support/scoped_save_fault.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QTest>
#include <QTextCursor>
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

QList<QMessageBox*> visibleAlerts() {
    QList<QMessageBox*> shown;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* alert = qobject_cast<QMessageBox*>(widget); alert && alert->isVisible())
            shown.append(alert);
    return shown;
}

// A person typing into an open document while the system refuses every save:
// the writing screen tells them once, in words, and keeps their text; once
// the fault is gone the next keystroke saves everything.
class SaveFailureAlertTest : public ::testing::TestWithParam<std::tuple<SaveFault, DocumentKind>> {
protected:
    void SetUp() override {
        h.clock.set(localTime(2026, 12, 7, 11, 0));
        h.defaults().setString(keys::kLastScheduledDay, u"2026-12-07"_s);
        h.start();
        path = isLibrary() ? storage::documentsFolder() + u"/Plan.rtf"_s
                           : storage::entryPath(u"2026-12-07"_s);
        ASSERT_FALSE(storage::writeDocument(path, writing(u"Kept words"_s)));
        ASSERT_TRUE(h.store->openDocument(QUrl::fromLocalFile(path)));
        before = bytesOf(path);
        view = std::make_unique<WritingView>(*h.store);
        view->resize(952, 780);
        view->show();
        settle();
    }
    void TearDown() override {
        for (QMessageBox* alert : visibleAlerts())
            alert->done(QMessageBox::Ok);
        view.reset();
        settle();
    }
    bool isLibrary() const { return std::get<1>(GetParam()) == DocumentKind::LibraryDocument; }
    void settle() {
        for (int turn = 0; turn < 3; ++turn)
            QCoreApplication::processEvents();
    }
    QString editorText() const { return view->editor()->textView().toPlainText(); }
    void typeAtTheEnd(const QString& text) {
        QTextEdit& textView = view->editor()->textView();
        QTextCursor cursor = textView.textCursor();
        cursor.movePosition(QTextCursor::End);
        textView.setTextCursor(cursor);
        QTest::keyClicks(&textView, text);
        settle();
    }
    QAbstractButton* saveButton() const {
        for (QAbstractButton* each : view->findChildren<QAbstractButton*>())
            if (each->accessibleName() == u"Save"_s)
                return each;
        return nullptr;
    }
    void pressOk(QMessageBox* alert) {
        alert->button(QMessageBox::Ok)->click();
        settle();
    }

    testing::StoreHarness h;
    std::unique_ptr<WritingView> view;
    QString path;
    QByteArray before;
};

TEST_P(SaveFailureAlertTest, AlertNamesTheFileAndWhyAndTheTextWaitsForTheNextSave) {
    std::optional<ScopedSaveFault> refused(std::in_place, std::get<0>(GetParam()), path);
    if (!refused->isActive())
        GTEST_SKIP() << "this system cannot make the fault for this user";
    const QString oldFile = refused->oldFile();

    typeAtTheEnd(u" and more"_s);
    EXPECT_EQ(editorText(), u"Kept words and more"_s);
    EXPECT_TRUE(h.store->hasUnsavedChanges());
    EXPECT_EQ(bytesOf(oldFile), before);
    const QList<QMessageBox*> alerts = visibleAlerts();
    ASSERT_EQ(alerts.size(), 1) << "one alert for many refused keystrokes";
    EXPECT_EQ(alerts.first()->text(), u"Couldn’t save"_s);
    const QString message = alerts.first()->informativeText();
    EXPECT_TRUE(message.contains(QFileInfo(path).fileName())) << message.toStdString();
    EXPECT_TRUE(refused->namesTheReason(message)) << message.toStdString();
    pressOk(alerts.first());
    EXPECT_TRUE(visibleAlerts().isEmpty());
    EXPECT_FALSE(h.store->fileError());
    EXPECT_TRUE(h.store->hasUnsavedChanges()) << "dismissing is not saving";

    if (isLibrary()) {
        // Save on a library document writes in place, so it fails again, visibly.
        saveButton()->click();
        settle();
        ASSERT_EQ(visibleAlerts().size(), 1);
        EXPECT_TRUE(visibleAlerts().first()->informativeText().contains(u"Plan.rtf"_s));
        pressOk(visibleAlerts().first());
    }
    EXPECT_EQ(editorText(), u"Kept words and more"_s);

    refused.reset();
    EXPECT_EQ(bytesOf(path), before);
    typeAtTheEnd(u"."_s);
    EXPECT_TRUE(visibleAlerts().isEmpty());
    EXPECT_FALSE(h.store->fileError());
    EXPECT_FALSE(h.store->hasUnsavedChanges());
    EXPECT_EQ(storage::readDocument(path).text.text(), u"Kept words and more."_s);
}

INSTANTIATE_TEST_SUITE_P(AllFaults, SaveFailureAlertTest, testing::everySaveFaultAndDocument(),
                         testing::saveFaultCaseName);

} // namespace
} // namespace inkwarden
