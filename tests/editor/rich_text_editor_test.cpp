#include "editor/editor_requests.h"
#include "editor/placeholder_text_view.h"
#include "editor/rich_text_editor.h"
#include "store/settings_keys.h"
#include "store/store_harness.h"
#include "support/rich_text_printer.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QTextCursor>
#include <gtest/gtest.h>

namespace inkwarden {
namespace {

using testing::localTime;

constexpr QRgb kButter = 0xFFFFCC47;
constexpr QRgb kSage = 0xFF7AD98A;
constexpr QRgb kSky = 0xFF6EB5FF;

TextRun plain(qsizetype start, qsizetype length, bool bold = false, bool italic = false,
              double size = 21) {
    return {start, length, QStringLiteral("Georgia"), size, bold, italic, {}, {}};
}

TextRun marked(qsizetype start, qsizetype length, QRgb background) {
    return {start, length, QStringLiteral("Georgia"), 21, false, false, qRgb(0, 0, 0), background};
}

// An editor over an idle store, shown offscreen, driven with real key presses.
class RichTextEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        h.clock.set(localTime(2026, 12, 7, 11, 0));
        h.defaults().setString(keys::kLastScheduledDay, QStringLiteral("2026-12-07"));
        h.start();
    }
    RichTextEditor& open(const RichText& content = {}) {
        h.store->saveEntry(content);
        editor = std::make_unique<RichTextEditor>(*h.store);
        editor->resize(600, 400);
        editor->show();
        QCoreApplication::processEvents();
        return *editor;
    }
    QTextEdit& view() { return editor->textView(); }
    void type(const QString& text) { QTest::keyClicks(&view(), text); }
    void key(Qt::Key which) { QTest::keyClick(&view(), which); }
    void select(int from, int to) {
        QTextCursor cursor = view().textCursor();
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        view().setTextCursor(cursor);
    }
    void caretAt(int position) { select(position, position); }
    const RichText& saved() { return h.store->currentContent(); }
    void request(FormattingCommand command, std::optional<QString> color = {}) {
        EditorRequests::postFormatting(command, color);
        QCoreApplication::processEvents();
    }

    testing::StoreHarness h;
    std::unique_ptr<RichTextEditor> editor;
};

TEST_F(RichTextEditorTest, CaretHighlightColoursTypingUntilReturn) {
    open();
    request(FormattingCommand::Highlight, QStringLiteral("Sage"));
    EXPECT_TRUE(saved().isEmpty());
    type(QStringLiteral("ab"));
    key(Qt::Key_Return);
    type(QStringLiteral("cd"));
    EXPECT_EQ(saved().text(), QStringLiteral("ab\ncd"));
    EXPECT_EQ(saved().runs(), (QList<TextRun>{marked(0, 2, kSage), plain(2, 3)}));
    // One undo takes back the line (typing is grouped), another the break.
    view().undo();
    view().undo();
    EXPECT_EQ(saved().text(), QStringLiteral("ab"));
    EXPECT_EQ(saved().runs(), (QList<TextRun>{marked(0, 2, kSage)}));
}

TEST_F(RichTextEditorTest, HighlightAcrossABreakUndoesInOneStep) {
    open(RichText(QStringLiteral("one\ntwo"), {plain(0, 7)}));
    select(0, 7);
    request(FormattingCommand::Highlight);
    EXPECT_EQ(saved().runs(),
              (QList<TextRun>{marked(0, 3, kButter), plain(3, 1), marked(4, 3, kButter)}));
    view().undo();
    EXPECT_EQ(saved().runs(), (QList<TextRun>{plain(0, 7)}));
    EXPECT_TRUE(view().document()->isRedoAvailable());
}

TEST_F(RichTextEditorTest, PastedTextKeepsOnlyBoldAndItalic) {
    open();
    auto* pasted = new QMimeData;
    pasted->setHtml(
        QStringLiteral("<p><b>bold</b> <span style='color:red;background:yellow;"
                       "font-family:Arial;font-size:40px'>red</span><img src='x.png'></p>"
                       "<table><tr><td><i>cell</i></td></tr></table>"));
    QApplication::clipboard()->setMimeData(pasted);
    view().paste();
    const RichText result = saved();
    EXPECT_FALSE(result.text().contains(QChar::ObjectReplacementCharacter));
    for (const TextRun& each : result.runs()) {
        EXPECT_EQ(each.fontFamily, QStringLiteral("Georgia"));
        EXPECT_EQ(each.pointSize, 21);
        EXPECT_FALSE(each.foreground);
        EXPECT_FALSE(each.background);
    }
    EXPECT_TRUE(result.runs().first().bold);
    const qsizetype cell = result.text().indexOf(QStringLiteral("cell"));
    ASSERT_GE(cell, 0);
    const auto italic = std::find_if(result.runs().begin(), result.runs().end(),
                                     [&](const TextRun& each) { return each.start == cell; });
    ASSERT_NE(italic, result.runs().end());
    EXPECT_TRUE(italic->italic);
}

TEST_F(RichTextEditorTest, HighlightedWordThenPlainTyping) {
    open(RichText(QStringLiteral("one two"), {plain(0, 7)}));
    select(4, 7);
    request(FormattingCommand::Highlight); // from the menu: no colour
    EXPECT_EQ(view().textCursor().position(), 7);
    EXPECT_FALSE(view().textCursor().hasSelection());
    type(QStringLiteral(" three"));
    EXPECT_EQ(saved().runs(), (QList<TextRun>{plain(0, 4), marked(4, 3, kButter), plain(7, 6)}));
    EXPECT_EQ(editor->cursorHighlightColor(), std::nullopt);
}

TEST_F(RichTextEditorTest, BoldOverAHalfBoldSelectionSwapsEachRun) {
    open(RichText(QStringLiteral("loud quiet"), {plain(0, 5, true), plain(5, 5)}));
    select(0, 10);
    request(FormattingCommand::Bold);
    EXPECT_EQ(saved().runs(), (QList<TextRun>{plain(0, 5), plain(5, 5, true)}));
    view().document()->undo();
    EXPECT_EQ(view().toPlainText(), QStringLiteral("loud quiet"));
    QTextCursor first(view().document());
    first.setPosition(1);
    EXPECT_EQ(first.charFormat().fontWeight(), QFont::Bold) << "one undo step reverts the command";
}

TEST_F(RichTextEditorTest, ClearHighlightRemovesTheWholeRunAtOrJustAfterTheCaret) {
    const RichText text(QStringLiteral("keep this word"),
                        {plain(0, 5), marked(5, 4, kSky), plain(9, 5)});
    for (int caret : {5, 6, 8}) {
        SCOPED_TRACE(caret);
        open(text);
        caretAt(caret);
        request(FormattingCommand::ClearHighlight);
        EXPECT_EQ(saved().runs(), (QList<TextRun>{plain(0, 14)}));
    }
    open(RichText(QStringLiteral("end mark"), {plain(0, 4), marked(4, 4, kSky)}));
    caretAt(8);
    EXPECT_EQ(editor->cursorHighlightColor(), QColor::fromRgb(kSky));
    request(FormattingCommand::ClearHighlight);
    EXPECT_EQ(saved().runs(), (QList<TextRun>{plain(0, 8)}));
}

TEST_F(RichTextEditorTest, ChangingTheFontKeepsSizeAndBoldnessAndUprightsItalics) {
    open(RichText(QStringLiteral("Big bold slanted"),
                  {plain(0, 4, false, false, 30), plain(4, 5, true), plain(9, 7, false, true)}));
    select(4, 8);
    EditorRequests::postFont(QStringLiteral("Menlo"));
    QCoreApplication::processEvents();
    const QList<TextRun> runs = saved().runs();
    ASSERT_EQ(runs.size(), 3) << ::testing::PrintToString(runs);
    for (const TextRun& each : runs)
        EXPECT_EQ(each.fontFamily, QStringLiteral("Menlo"));
    EXPECT_EQ(runs[0].pointSize, 30);
    EXPECT_TRUE(runs[1].bold);
    EXPECT_FALSE(runs[2].italic);
    EXPECT_EQ(view().textCursor().selectionStart(), 4);
    EXPECT_EQ(view().textCursor().selectionEnd(), 8);
    view().undo();
    EXPECT_EQ(saved().runs().first().fontFamily, QStringLiteral("Georgia")) << "one undo step";
}

TEST_F(RichTextEditorTest, NewTypingAfterAFontChangeIsTheFamilyAt21Points) {
    open(RichText(QStringLiteral("Big"), {plain(0, 3, false, false, 30)}));
    caretAt(3);
    editor->changeFont(QStringLiteral("Menlo"));
    type(QStringLiteral("!"));
    EXPECT_EQ(saved().runs().last(),
              (TextRun{3, 1, QStringLiteral("Menlo"), 21, false, false, {}, {}}));
}

TEST_F(RichTextEditorTest, RequestsOfTheWrongKindOrWithoutAnEditorDoNothing) {
    EditorRequests::postFont(QStringLiteral("Menlo")); // no editor yet
    QCoreApplication::processEvents();
    open(RichText(QStringLiteral("word"), {plain(0, 4)}));
    select(0, 4);
    EditorRequests::instance().post(EditorRequests::kFormatting, QStringLiteral("bold"));
    EditorRequests::instance().post(EditorRequests::kFont, 42);
    QCoreApplication::processEvents();
    EXPECT_EQ(saved().runs(), (QList<TextRun>{plain(0, 4)}));
    EditorRequests::postFormatting(FormattingCommand::Italic);
    EXPECT_FALSE(saved().runs().first().italic) << "applied later, never inside the posting call";
    QCoreApplication::processEvents();
    EXPECT_TRUE(saved().runs().first().italic);
}

TEST_F(RichTextEditorTest, SelectionWithTwoHighlightsReportsTheFirst) {
    open(RichText(QStringLiteral("aa bb cc"),
                  {marked(0, 2, kSky), plain(2, 1), marked(3, 2, kSage), plain(5, 3)}));
    caretAt(8);
    QSignalSpy reported(editor.get(), &RichTextEditor::cursorHighlightColorChanged);
    select(1, 6);
    EXPECT_EQ(editor->cursorHighlightColor(), QColor::fromRgb(kSky));
    select(0, 2);
    EXPECT_EQ(reported.count(), 1) << "no second report while the colour stays the same";
    select(6, 8);
    EXPECT_EQ(editor->cursorHighlightColor(), std::nullopt);
}

TEST_F(RichTextEditorTest, LoadedHighlightOverAParagraphEndStopsAtTheBreak) {
    RichText stored(QStringLiteral("one\ntwo"),
                    {{0, 7, QStringLiteral("Georgia"), 21, false, false, {}, kButter}});
    open(stored);
    // The caret starts at the beginning, and typing there starts plain.
    type(QStringLiteral("x"));
    EXPECT_EQ(saved().runs(), (QList<TextRun>{plain(0, 1), marked(1, 3, kButter), plain(4, 1),
                                              marked(5, 3, kButter)}));
}

TEST_F(RichTextEditorTest, PlaceholderOnlyWhileTheTextIsEmpty) {
    PlaceholderTextView& textView = open().textView();
    EXPECT_TRUE(textView.showsPlaceholder());
    EXPECT_EQ(textView.placeholderOrigin(), QPointF(23, 10));
    const QImage empty = textView.viewport()->grab().toImage();
    type(QStringLiteral(" "));
    EXPECT_FALSE(textView.showsPlaceholder());
    key(Qt::Key_Backspace);
    EXPECT_TRUE(textView.showsPlaceholder()) << "back at once";
    key(Qt::Key_Return);
    EXPECT_FALSE(textView.showsPlaceholder());
    key(Qt::Key_Backspace);
    EXPECT_EQ(textView.viewport()->grab().toImage(), empty);
    EXPECT_TRUE(saved().isEmpty()) << "the words are never text";

    // Something is drawn where the first line would start, and only there.
    type(QStringLiteral(" "));
    const QImage blank = textView.viewport()->grab().toImage();
    EXPECT_NE(empty.copy(23, 10, 200, 30), blank.copy(23, 10, 200, 30));
    EXPECT_EQ(empty.copy(0, 60, 300, 100), blank.copy(0, 60, 300, 100));
}

TEST_F(RichTextEditorTest, UnknownFamilyFallsBackToTheSystemFontAtEachRunsSize) {
    open(RichText(QStringLiteral("ab"), {plain(0, 1, false, false, 30), plain(1, 1)}));
    editor->changeFont(QStringLiteral("No Such Family 42"));
    ASSERT_EQ(saved().runs().size(), 2);
    EXPECT_NE(saved().runs()[0].fontFamily, QStringLiteral("No Such Family 42"));
    EXPECT_EQ(saved().runs()[0].pointSize, 30);
    EXPECT_EQ(saved().runs()[1].pointSize, 21);
}

} // namespace
} // namespace inkwarden
