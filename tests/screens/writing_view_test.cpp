#include "documents/storage_layout.h"
#include "editor/highlight_palette.h"
#include "editor/placeholder_text_view.h"
#include "screens/daily_session_menu.h"
#include "screens/glyphs.h"
#include "screens/highlight_picker_popup.h"
#include "screens/library_model.h"
#include "screens/library_view.h"
#include "screens/readable_palette.h"
#include "screens/save_document_view.h"
#include "screens/toolbar_hover.h"
#include "screens/writing_view.h"
#include "search/search_index.h"
#include "store/settings_keys.h"
#include "store/store_harness.h"
#include "support/rich_text_printer.h"
#include "support/scoped_file_size_limit.h"
#include "support/wait.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace inkwarden {
namespace {

using namespace Qt::Literals::StringLiterals;
using testing::localTime;
using testing::writing;

const QColor kButter = HighlightPalette::color(u"Butter"_s),
             kSky = HighlightPalette::color(u"Sky"_s);

// The writing screen in a window over an idle store, in United States
// English, driven as a person would; the library sheet is the one its Files
// button opens.
class ScreensTest : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        h.startIdle();
        view = new WritingView(*h.store, &window);
        view->resize(952, 780);
        window.resize(952, 780);
        window.show();
        settle();
    }
    static void settle() {
        for (int turn = 0; turn < 3; ++turn)
            QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // The visible widget of that kind with that text or accessible name.
    template <typename Widget = QAbstractButton>
    static Widget* find(QWidget* in, const QString& name) {
        for (Widget* each : in->findChildren<Widget*>())
            if ((each->accessibleName() == name || each->property("text") == name) &&
                each->isVisibleTo(in))
                return each;
        return nullptr;
    }
    QList<QMessageBox*> alerts() { return window.findChildren<QMessageBox*>(); }
    // A library document last changed on that day of December.
    static QUrl write(const QString& name, int day, const RichText& text = writing(u"text"_s)) {
        return testing::libraryDocument(name, text, localTime(2026, 12, day, 21, 30));
    }
    PlaceholderTextView& text() { return view->editor()->textView(); }
    ToolbarHoverButton& toggle() {
        return *static_cast<ToolbarHoverButton*>(view->highlightToggle());
    }
    void type(const QString& typed) {
        text().moveCursor(QTextCursor::End);
        QTest::keyClicks(&text(), typed);
        settle();
    }
    LibraryView& library() {
        settle();
        if (!window.findChild<LibraryView*>())
            find(view, u"Files"_s)->click();
        settle();
        return *window.findChild<LibraryView*>();
    }
    QListView& list() { return *library().findChild<QListView*>(); }
    int rows() { return list().model()->rowCount(); }
    QModelIndex row(int at) { return list().model()->index(at, 0); }
    QPoint middleOf(int at) { return list().visualRect(row(at)).center(); }
    QToolButton* trash(const QString& name) {
        return find<QToolButton>(&library(), u"Delete "_s + name);
    }

    testing::StoreHarness h;
    QWidget window;
    WritingView* view = nullptr;
};

// Narrow, the font chooser shows only its symbol. A family chosen there is
// kept for the next start, goes on the text and is named in the row. Start
// becomes the countdown, which follows the store's clock.
TEST_F(ScreensTest, RowFollowsTheWidthTheChosenFontAndTheSession) {
    for (const auto& [width, named] : {std::pair(849, false), std::pair(850, true)}) {
        view->resize(width, 600);
        settle();
        EXPECT_EQ(find<QLabel>(view, u"Georgia"_s) != nullptr, named) << width;
    }
    for (const QString& label : {u"Save"_s, u"Files"_s, u"Start"_s}) {
        QAbstractButton* button = find(view, label);
        EXPECT_EQ(button->width(), button->fontMetrics().horizontalAdvance(label) + 4)
            << "the text and its padding only";
    }
    type(u"words"_s);
    auto* chooser = find<QToolButton>(view, u"Choose writing font"_s);
    ASSERT_TRUE(chooser && chooser->menu());
    for (QAction* action : chooser->menu()->actions())
        if (action->text() == u"Menlo"_s)
            action->trigger();
    settle();
    EXPECT_EQ(h.defaults().string(keys::kFontName), u"Menlo"_s);
    EXPECT_EQ(h.store->currentContent().runs().value(0).fontFamily, u"Menlo"_s);
    EXPECT_TRUE(find<QLabel>(view, u"Menlo"_s));
    find(view, u"Start"_s)->click();
    h.tickAt(localTime(2026, 12, 7, 11, 5));
    settle();
    EXPECT_FALSE(find(view, u"Start"_s));
    EXPECT_EQ(view->sessionControl()->accessibleName(), u"600 seconds remaining"_s);
    EXPECT_EQ(qobject_cast<QLabel*>(view->sessionControl())->text(), u"10:00"_s);
}

// The highlight toggle paints the selected colour, or shows the one under
// the caret and clears it; it starts over with each new or opened document.
TEST_F(ScreensTest, HighlightToggleFollowsTheCaretAndEachNewDocument) {
    type(u"two"_s);
    QTest::keyClick(&text(), Qt::Key_A, Qt::ControlModifier);
    toggle().click();
    settle();
    EXPECT_EQ(h.store->currentContent().runs(), writing(u"two"_s, 3).runs());
    QTest::keyClick(&text(), Qt::Key_End);
    EXPECT_EQ(toggle().accessibleName(), u"Remove highlight"_s);
    EXPECT_EQ(toggle().backdrop(), kButter) << "the word's colour behind the symbol";
    h.prompts.leaveAnswers = {{DocumentPrompts::LeaveChoice::DontSave, {}}};
    ASSERT_TRUE(h.store->newDocument());
    settle();
    EXPECT_EQ(toggle().accessibleName(), u"Highlight text"_s) << "a new document";
    EXPECT_FALSE(toggle().backdrop());
    ASSERT_TRUE(h.store->openDocument(write(u"Marked"_s, 6, writing(u"marked rest"_s, 6))));
    settle();
    EXPECT_EQ(toggle().accessibleName(), u"Remove highlight"_s) << "opened at a highlight";
    toggle().click();
    settle();
    EXPECT_EQ(h.store->currentContent(), writing(u"marked rest"_s));
}

// Choosing Sky closes the picker, highlights the selection at once and
// rings Sky the next time; a swatch shows its colour.
TEST_F(ScreensTest, ChoosingASwatchHighlightsTheSelection) {
    type(u"sky"_s);
    QTest::keyClick(&text(), Qt::Key_A, Qt::ControlModifier);
    view->colorPicker()->click();
    auto* sky = find(view->highlightPicker(), u"Sky highlight"_s);
    ASSERT_TRUE(sky);
    EXPECT_EQ(sky->grab().toImage().pixelColor(sky->rect().center()), kSky);
    sky->click();
    settle();
    EXPECT_FALSE(view->highlightPicker()->isVisible());
    EXPECT_EQ(h.store->currentContent().runs().value(0).background, kSky.rgb());
    view->colorPicker()->click();
    EXPECT_EQ(view->highlightPicker()->selected(), u"Sky"_s);
}

// On a dark palette the symbols are drawn light, and the row lies on the
// text background.
TEST_F(ScreensTest, SymbolsFollowThePalette) {
    QPalette dark = view->palette();
    dark.setColor(QPalette::WindowText, Qt::white);
    dark.setColor(QPalette::Base, QColor(40, 40, 40));
    view->setPalette(dark);
    settle();
    EXPECT_EQ(view->findChild<QToolButton*>(u"bold"_s)->icon().pixmap(16).toImage(),
              glyph(u"bold"_s, Qt::white).pixmap(16).toImage());
    EXPECT_GT(find<QLabel>(view, u"Daily"_s)->palette().color(QPalette::WindowText).lightness(),
              200);
    EXPECT_EQ(window.grab().toImage().pixelColor(view->width() / 2, 2), QColor(40, 40, 40));
}

// A failing save never takes the keyboard: every key reaches the text, the
// line above it names the file until a save works, and "Try Again" saves.
// Failing to open is titled as such; settings that cannot be written are
// told of once.
TEST_F(ScreensTest, FailuresAreToldWithoutTakingTheKeyboard) {
    const QUrl url = write(u"Plan"_s, 4);
    ASSERT_TRUE(h.store->openDocument(url));
    settle();
    text().setFocus();
    {
        const auto refused = testing::fileSizeLimit(64);
        type(u" and more"_s);
        EXPECT_TRUE(alerts().isEmpty());
        EXPECT_EQ(QApplication::focusWidget(), &text());
        EXPECT_EQ(text().toPlainText(), u"text and more"_s);
        ASSERT_TRUE(view->noticeBar()->isVisible());
        EXPECT_TRUE(view->noticeBar()->accessibleName().contains(u"“Plan.rtf”"_s));
    }
    find(view->noticeBar(), u"Try Again"_s)->click();
    settle();
    EXPECT_FALSE(view->noticeBar()->isVisible());
    EXPECT_EQ(storage::readDocument(url.toLocalFile()).text.text(), u"text and more"_s);

    QFile::resize(url.toLocalFile(), 3);
    EXPECT_FALSE(h.store->openDocument(url));
    settle();
    ASSERT_EQ(alerts().size(), 1);
    EXPECT_EQ(alerts()[0]->text(), u"Couldn’t open"_s);

    for (int attempt = 0; attempt < 2; ++attempt) {
        const auto full = testing::fileSizeLimit(8);
        h.store->setFontName(u"Menlo"_s);
        settle();
        EXPECT_EQ(view->noticeBar()->isVisible(), attempt == 0) << "told once";
        if (attempt == 0)
            find(view->noticeBar(), u"Dismiss"_s)->click();
    }
}

// Zoom shows the text larger, from the next editor on too, and never changes
// the document.
TEST_F(ScreensTest, ZoomShowsTheTextLargerWithoutChangingIt) {
    type(u"Zoom\rtwo lines"_s);
    const RichText typed = h.store->currentContent();
    const qreal height = text().document()->size().height();
    for (int step = 0; step < 3; ++step)
        h.store->stepTextZoom(1);
    settle();
    EXPECT_GT(text().document()->size().height(), height * 1.4) << "at 150%";
    EXPECT_EQ(h.store->currentContent(), typed);
    h.store->newDocument();
    settle();
    EXPECT_EQ(text().zoom(), 150);
    h.store->stepTextZoom(0);
    settle();
    EXPECT_EQ(text().zoom(), 100);
}

// The library lists newest first, each row with its symbol. With nothing
// selected the first arrow key selects the current row rather than skip it,
// and Return opens the current row, which then starts selected; the trash
// and Show in Folder follow the selection; deleting asks first, with Cancel
// the default; a double-click opens a row.
TEST_F(ScreensTest, LibraryListsOpensRevealsAndDeletes) {
    const QUrl plan = write(u"Plan"_s, 4), notes = write(u"Notes"_s, 5);
    ASSERT_EQ(rows(), 2);
    EXPECT_EQ(row(0).data().toString(), u"Notes"_s);
    const QImage painted = list().viewport()->grab().toImage();
    const QColor base = list().viewport()->palette().color(QPalette::Base);
    for (int at = 0; at < 2; ++at) { // the document symbol at the row's left
        const QImage symbol = painted.copy(12, middleOf(at).y() - 8, 16, 16);
        int inked = 0;
        for (int pixel = 0; pixel < 16 * 16; ++pixel)
            inked += symbol.pixelColor(pixel % 16, pixel / 16) != base;
        EXPECT_GT(inked, 20) << at;
    }
    EXPECT_FALSE(find(&library(), u"Open"_s)->isEnabled()) << "the untitled document is open";
    list().selectionModel()->setCurrentIndex(row(0), QItemSelectionModel::NoUpdate);
    QTest::keyClick(&list(), Qt::Key_Down);
    EXPECT_EQ(list().selectionModel()->selectedRows(), QModelIndexList{row(0)})
        << "not the second row";
    library().close();
    list().selectionModel()->setCurrentIndex(row(1), QItemSelectionModel::NoUpdate);
    QTest::keyClick(&list(), Qt::Key_Return);
    settle();
    ASSERT_EQ(h.store->currentDocumentURL(), plan) << "Return opens the current row";
    EXPECT_FALSE(h.store->isLibraryPresented());
    EXPECT_EQ(library().selection(), plan);
    EXPECT_EQ(trash(u"Plan"_s)->toolTip(), u"Delete Plan"_s);
    list().setCurrentIndex(row(0));
    EXPECT_FALSE(trash(u"Plan"_s));
    QList<QUrl> revealed;
    library().setRevealFunction([&](const QUrl& url) { revealed.append(url); });
    find(&library(), u"Show in Folder"_s)->click();
    EXPECT_EQ(revealed, QList<QUrl>{notes});

    QStringList asked; // each alert's message and default button; answered Cancel, then Delete
    library().setAskFunction([&](QMessageBox& box) {
        asked.append(box.informativeText() + u" | "_s + box.defaultButton()->text());
        for (QAbstractButton* button : box.buttons())
            if (button->text() == (asked.size() == 1 ? u"Cancel"_s : u"Delete Permanently"_s))
                return button;
        return static_cast<QAbstractButton*>(nullptr);
    });
    list().setCurrentIndex(row(1));
    for (const bool kept : {true, false}) {
        QTest::mouseClick(trash(u"Plan"_s), Qt::LeftButton);
        settle();
        EXPECT_EQ(QFile::exists(plan.toLocalFile()), kept);
    }
    EXPECT_TRUE(asked.value(0).startsWith(u"\u201CPlan\u201D will be deleted permanently"_s));
    EXPECT_TRUE(asked.value(0).endsWith(u" | Cancel"_s));
    EXPECT_FALSE(h.store->currentDocumentURL()) << "the open document gave way to an empty one";
    QTest::mouseClick(list().viewport(), Qt::LeftButton, {}, middleOf(0));
    QTest::mouseDClick(list().viewport(), Qt::LeftButton, {}, middleOf(0));
    settle();
    EXPECT_EQ(h.store->currentDocumentURL(), notes);
}

// Typed into the search field, a word narrows the list to the documents
// holding it, each with its snippet; Return opens the best one with the
// word, as written there, selected in the editor.
TEST_F(ScreensTest, SearchingOpensTheMatchSelected) {
    write(u"Plan"_s, 4, writing(u"Seeds to buy. Then the Garden, and more."_s));
    write(u"Notes"_s, 5);
    SearchIndex index(SearchIndex::defaultPath());
    index.catchUp();
    index.waitUntilIdle();
    view->setSearchIndex(&index);
    view->presentLibrarySearch();
    auto* field = find<QLineEdit>(&library(), u"Search your writing"_s);
    ASSERT_TRUE(field && field->hasFocus());
    QTest::keyClicks(field, u"gard"_s);
    ASSERT_TRUE(testing::waitUntil([&] { return rows() == 1; }));
    EXPECT_TRUE(row(0).data(LibraryModel::SnippetRole).toString().contains(u"\x01Garden\x02"_s));
    QTest::keyClick(field, Qt::Key_Return);
    settle();
    EXPECT_EQ(h.store->currentDocumentURL()->fileName(), u"Plan.rtf"_s);
    EXPECT_EQ(text().textCursor().selectedText(), u"Garden"_s);
    EXPECT_EQ(text().textCursor().selectionStart(), 23);
}

// A name is shown on one line and cannot turn the text around it; one that
// is not UTF-8 reads in Windows Latin-1 and is opened, saved in place and
// deleted like any other, with no file created beside it.
TEST_F(ScreensTest, OddFileNamesShowOnOneLineAndOpenSaveAndDelete) {
    write(u"\u202Efdp\u2069\nnext"_s, 4);
    const QByteArray raw = QFile::encodeName(storage::documentsFolder()) + "/Caf\xe9 \x93q\x94.rtf";
    std::ofstream(raw.constData()) << "{\\rtf1 Menu}";
    ASSERT_EQ(rows(), 2);
    QMap<QString, int> shown;
    for (int at = 0; at < 2; ++at)
        shown.insert(row(at).data().toString(), at);
    const QString latin = u"Caf\u00E9 \u201Cq\u201D"_s;
    EXPECT_EQ(shown.keys(), (QStringList{latin, u"\u2068\u202Efdp\u23CEnext\u2069"_s}));
    list().setCurrentIndex(row(shown.value(latin)));
    find(&library(), u"Open"_s)->click();
    settle();
    ASSERT_EQ(text().toPlainText(), u"Menu"_s);
    type(u" and wine"_s);
    std::stringstream saved;
    saved << std::ifstream(raw.constData()).rdbuf();
    EXPECT_TRUE(QByteArray::fromStdString(saved.str()).contains("Menu and wine"));
    EXPECT_EQ(storage::listDocuments().size(), 2);
    library().setAskFunction([](QMessageBox& box) {
        return box.buttons().value(box.buttons().first()->text() == u"Cancel"_s);
    });
    QTest::mouseClick(trash(latin), Qt::LeftButton);
    settle();
    EXPECT_TRUE(!std::ifstream(raw.constData()) && rows() == 1);
}

// The save sheet proposes the first line, cannot save a blank name from its
// button, and Return saves exactly one copy under the typed name.
TEST_F(ScreensTest, TheSaveSheetSavesOneCopyUnderTheTypedName) {
    type(u"Letter home"_s);
    SaveDocumentView sheet(*h.store, &window);
    EXPECT_EQ(sheet.windowTitle(), u"Save to Library"_s);
    EXPECT_EQ(sheet.nameField()->text(), u"Letter home"_s);
    sheet.nameField()->setText(u"  "_s);
    EXPECT_FALSE(sheet.saveButton()->isEnabled());
    sheet.nameField()->setText(u"Trip"_s);
    QTest::keyClick(sheet.nameField(), Qt::Key_Return);
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    const QDir library(storage::documentsFolder());
    EXPECT_EQ(library.entryList(QDir::Files), QStringList{u"Trip.rtf"_s});
    EXPECT_EQ(storage::readDocument(library.filePath(u"Trip.rtf"_s)).text.text(), u"Letter home"_s);
    EXPECT_EQ(SaveDocumentView(*h.store, &window).windowTitle(), u"Save a Copy"_s);
}

// The strongest contrast of the pixels drawn in `area` of the window against
// the most common one there, its background.
double drawnContrast(QWidget& window, const QRect& area) {
    const QImage image = window.grab().toImage().copy(area);
    QHash<QRgb, int> counts;
    for (int pixel = 0; pixel < image.width() * image.height(); ++pixel)
        ++counts[image.pixel(pixel % image.width(), pixel / image.width())];
    QRgb background = 0;
    for (const QRgb color : counts.keys())
        background = counts.value(color) > counts.value(background) ? color : background;
    double best = 1;
    for (const QRgb color : counts.keys())
        best = std::max(best, contrastRatio(QColor(color), QColor(background)));
    return best;
}

// Every text of the writing screen reads at 4.5:1 in a light and in a dark
// theme, also where the theme's own secondary colour would not (a dark theme
// drawing it #111314 on #232629): the countdown, the placeholder, the labels.
TEST_F(ScreensTest, EveryTextReadsInLightAndDarkThemes) {
    QPalette dark;
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        dark.setColor(role, QColor(0xfcfcfc));
    for (const auto role : {QPalette::Window, QPalette::Button})
        dark.setColor(role, QColor(0x31363b));
    dark.setColor(QPalette::Base, QColor(0x232629));
    dark.setColor(QPalette::PlaceholderText, QColor(0x111314));
    h.store->startSession();
    for (const QPalette& theme : {QApplication::palette(), dark}) {
        QApplication::setPalette(theme);
        keepSecondaryTextReadable();
        settle();
        const auto areaOf = [&](QWidget* part) {
            return QRect(part->mapTo(&window, QPoint()), part->size());
        };
        const QPoint origin =
            text().viewport()->mapTo(&window, text().placeholderOrigin().toPoint());
        const QList<std::pair<const char*, QRect>> parts = {
            {"countdown", areaOf(view->sessionControl())},
            {"placeholder", QRect(origin, QSize(120, 24))},
            {"Daily", areaOf(find<QLabel>(view, u"Daily"_s))},
            {"Files", areaOf(find(view, u"Files"_s))},
        };
        for (const auto& [name, area] : parts)
            EXPECT_GE(drawnContrast(window, area), 4.5) << name;
    }
    QApplication::setPalette(QPalette());
}

// The daily time is edited in a menu from the row, and the row shows it in
// hours and minutes whatever the locale's short format holds (C's has seconds).
TEST_F(ScreensTest, DailyTimeIsEditedFromTheRow) {
    auto* control = view->findChild<DailySessionMenu*>();
    QTest::mouseClick(control, Qt::LeftButton);
    EXPECT_EQ(control->timeEditor()->time(), QTime(9, 0));
    control->timeEditor()->setTime(QTime(21, 45));
    settle();
    EXPECT_EQ(std::pair(h.store->scheduleHour(), h.store->scheduleMinute()), std::pair(21ll, 45ll));
    EXPECT_EQ(control->text(), u"9:45 PM"_s);
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(DailySessionMenu::hoursAndMinutes(), u"HH:mm"_s);
}

// Each symbol draws black, or in the colour it is given in exactly the same
// shape.
TEST(Glyphs, TintedSymbolsKeepTheirShape) {
    const QColor tint(0x33, 0x99, 0xEE);
    for (const char* name :
         {"text.format", "chevron", "bold", "italic", "highlighter", "plus", "trash", "document"}) {
        SCOPED_TRACE(name);
        const QImage own = glyph(QLatin1String(name)).pixmap(16).toImage();
        const QImage tinted = glyph(QLatin1String(name), tint).pixmap(16).toImage();
        EXPECT_EQ(tinted.convertToFormat(QImage::Format_Alpha8),
                  own.convertToFormat(QImage::Format_Alpha8));
        int solid = 0, matching = 0;
        for (int at = 0; at < 16 * 16; ++at) {
            const QPoint pixel(at % 16, at / 16);
            solid += own.pixelColor(pixel).alpha() == 255;
            matching += own.pixelColor(pixel) == Qt::black && tinted.pixelColor(pixel) == tint;
        }
        EXPECT_EQ(matching, solid);
        EXPECT_GT(solid, 0);
    }
}

} // namespace
} // namespace inkwarden
