#include "documents/storage_layout.h"
#include "editor/placeholder_text_view.h"
#include "editor/rich_text_editor.h"
#include "screens/highlight_picker_popup.h"
#include "screens/toolbar_hover.h"
#include "screens/writing_view.h"
#include "store/settings_keys.h"
#include "store/store_harness.h"
#include "support/rich_text_printer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTextCursor>
#include <QToolButton>
#include <gtest/gtest.h>

namespace inkwarden {
namespace {

using testing::localTime;
using testing::writing;

// The writing screen over an idle store, shown offscreen.
class WritingViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        h.clock.set(localTime(2026, 12, 7, 11, 0));
        h.defaults().setString(keys::kLastScheduledDay, QStringLiteral("2026-12-07"));
        h.start();
        view = std::make_unique<WritingView>(*h.store);
        view->resize(952, 780);
        view->show();
        settle();
    }
    void settle() {
        for (int turn = 0; turn < 3; ++turn)
            QCoreApplication::processEvents();
    }
    QAbstractButton* button(const QString& accessibleName) {
        for (QAbstractButton* each : view->findChildren<QAbstractButton*>())
            if (each->accessibleName() == accessibleName && each->isVisibleTo(view.get()))
                return each;
        return nullptr;
    }
    void select(int from, int to) {
        QTextEdit& text = view->editor()->textView();
        QTextCursor cursor = text.textCursor();
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        text.setTextCursor(cursor);
    }
    void typeIntoEditor(const QString& text) {
        QTest::keyClicks(&view->editor()->textView(), text);
        settle();
    }

    testing::StoreHarness h;
    std::unique_ptr<WritingView> view;
};

TEST_F(WritingViewTest, CompactRowBelow850Points) {
    for (const auto& [width, compact] :
         {std::pair(849, true), std::pair(850, false), std::pair(700, true)}) {
        view->resize(width, 600);
        settle();
        EXPECT_EQ(view->isCompact(), compact) << width;
        EXPECT_EQ(view->rowSpacing(), compact ? 7 : 9) << width;
        const QList<QLabel*> labels = view->findChildren<QLabel*>();
        const bool nameShown = std::any_of(labels.begin(), labels.end(), [&](QLabel* label) {
            return label->text() == QStringLiteral("Georgia") && label->isVisibleTo(view.get());
        });
        EXPECT_EQ(nameShown, !compact) << width;
    }
}

TEST_F(WritingViewTest, RowFollowsTheStoreLive) {
    ASSERT_NE(button(QStringLiteral("Start")), nullptr);
    button(QStringLiteral("Start"))->click();
    settle();
    EXPECT_TRUE(h.store->isSessionActive());
    EXPECT_EQ(button(QStringLiteral("Start")), nullptr);
    h.tickAt(localTime(2026, 12, 7, 11, 5));
    settle();
    EXPECT_EQ(view->sessionControl()->accessibleName(), QStringLiteral("600 seconds remaining"));
    EXPECT_EQ(qobject_cast<QLabel*>(view->sessionControl())->text(), QStringLiteral("10:00"));

    h.store->setFontName(QStringLiteral("Menlo"));
    settle();
    const QList<QLabel*> labels = view->findChildren<QLabel*>();
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [](QLabel* label) {
        return label->text() == QStringLiteral("Menlo");
    }));
}

TEST_F(WritingViewTest, HighlightToggleShowsAndActsOnTheColourUnderTheCaret) {
    typeIntoEditor(QStringLiteral("one two"));
    EXPECT_EQ(view->highlightToggle()->accessibleName(), QStringLiteral("Highlight text"));
    select(4, 7);
    view->highlightToggle()->click(); // paints the selected colour, Butter
    settle();
    EXPECT_EQ(h.store->currentContent().runs().value(1).background, qRgb(0xFF, 0xCC, 0x47));
    select(5, 5);
    settle();
    EXPECT_EQ(view->highlightToggle()->accessibleName(), QStringLiteral("Remove highlight"));
    EXPECT_EQ(view->highlightToggle()->toolTip(), QStringLiteral("Remove highlight"));
    EXPECT_EQ(static_cast<ToolbarHoverButton*>(view->highlightToggle())->backdrop(),
              QColor(0xFF, 0xCC, 0x47))
        << "the word's colour behind the symbol";
    view->highlightToggle()->click(); // removes it
    settle();
    EXPECT_EQ(h.store->currentContent().runs().size(), 1);
    EXPECT_FALSE(static_cast<ToolbarHoverButton*>(view->highlightToggle())->backdrop());
    EXPECT_EQ(view->highlightToggle()->accessibleName(), QStringLiteral("Highlight text"));
}

TEST_F(WritingViewTest, ChoosingSkyClosesThePickerAndHighlightsTheSelection) {
    typeIntoEditor(QStringLiteral("sky words"));
    select(0, 3);
    view->colorPicker()->click();
    ASSERT_TRUE(view->highlightPicker()->isVisible());
    auto* sky = view->highlightPicker()->findChild<QAbstractButton*>(QStringLiteral("Sky"));
    ASSERT_NE(sky, nullptr);
    EXPECT_EQ(sky->accessibleName(), QStringLiteral("Sky highlight"));
    sky->click();
    settle();
    EXPECT_FALSE(view->highlightPicker()->isVisible());
    EXPECT_EQ(view->selectedHighlight(), QStringLiteral("Sky"));
    EXPECT_EQ(h.store->currentContent().runs().first().background, qRgb(0x6E, 0xB5, 0xFF));
    view->colorPicker()->click();
    EXPECT_EQ(view->highlightPicker()->selected(), QStringLiteral("Sky")) << "ringed next time";
}

TEST_F(WritingViewTest, SaveWritesALibraryDocumentAndOtherwiseOpensTheSheet) {
    typeIntoEditor(QStringLiteral("draft"));
    button(QStringLiteral("Save"))->click();
    settle();
    EXPECT_TRUE(h.store->isSavePresented());
    QWidget* sheet = QApplication::activeModalWidget();
    ASSERT_NE(sheet, nullptr);
    sheet->close();
    settle();
    EXPECT_FALSE(h.store->isSavePresented());

    ASSERT_TRUE(h.store->saveToLibrary(QStringLiteral("Plan")));
    const QString path = storage::documentsFolder() + QStringLiteral("/Plan.rtf");
    QFile::remove(path);
    button(QStringLiteral("Save"))->click();
    settle();
    EXPECT_FALSE(h.store->isSavePresented());
    EXPECT_EQ(storage::readDocument(path).text.text(), QStringLiteral("draft"));
}

TEST_F(WritingViewTest, FileErrorAlertShowsTheMessageAndOkClearsIt) {
    h.store->setFileError(QStringLiteral("Couldn’t write “Plan.rtf”: File too large"));
    settle();
    auto* alert = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->text(), QStringLiteral("Couldn’t save"));
    EXPECT_EQ(alert->informativeText(),
              QStringLiteral("Couldn’t write “Plan.rtf”: File too large"));
    alert->button(QMessageBox::Ok)->click();
    settle();
    EXPECT_FALSE(h.store->fileError());
}

TEST_F(WritingViewTest, NewRevisionReplacesTheEditorAndKeepsTheChosenColour) {
    view->chooseHighlight(QStringLiteral("Blush"));
    QPointer<RichTextEditor> before = view->editor();
    h.store->newDocument();
    settle();
    EXPECT_TRUE(before.isNull()) << "the old editor is gone";
    EXPECT_NE(view->editor(), nullptr);
    EXPECT_EQ(view->selectedHighlight(), QStringLiteral("Blush"));
}

TEST_F(WritingViewTest, SymbolsFollowADarkPalette) {
    auto* bold = view->findChild<QToolButton*>(QStringLiteral("bold"));
    ASSERT_NE(bold, nullptr);
    const auto darkestPixel = [&] {
        const QImage image = bold->icon().pixmap(QSize(16, 16)).toImage();
        int lightest = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y).alpha() > 200)
                    lightest = std::max(lightest, image.pixelColor(x, y).lightness());
        return lightest;
    };
    EXPECT_LT(darkestPixel(), 80) << "dark symbols on a light palette";
    QPalette dark = view->palette();
    dark.setColor(QPalette::WindowText, Qt::white);
    dark.setColor(QPalette::Window, QColor(30, 30, 30));
    view->setPalette(dark);
    EXPECT_GT(darkestPixel(), 200) << "light symbols on a dark palette";
    const QList<QLabel*> labels = view->findChildren<QLabel*>();
    const auto daily = std::find_if(labels.begin(), labels.end(), [](QLabel* label) {
        return label->text() == QStringLiteral("Daily");
    });
    ASSERT_NE(daily, labels.end());
    EXPECT_GT((*daily)->palette().color(QPalette::WindowText).lightness(), 200);
}

} // namespace
} // namespace inkwarden
