#include "documents/rtf/rtf.h"
#include "documents/storage_layout.h"
#include "editor/editor_requests.h"
#include "editor/highlight_palette.h"
#include "editor/placeholder_text_view.h"
#include "editor/rich_text_editor.h"
#include "store/settings_keys.h"
#include "store/store_harness.h"
#include "support/file_bytes.h"
#include "support/rich_text_printer.h"

#include <QApplication>
#include <QClipboard>
#include <QDirIterator>
#include <QFontInfo>
#include <QMimeData>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace inkwarden {
namespace {

using namespace Qt::Literals::StringLiterals;
using Runs = QList<TextRun>;
using Command = FormattingCommand;
using testing::bytesOf;

const QRgb kButter = HighlightPalette::color(u"Butter"_s).rgb();
const QRgb kSky = HighlightPalette::color(u"Sky"_s).rgb();

TextRun plain(qsizetype start, qsizetype length, bool bold = false, bool italic = false,
              double size = 21, const QString& family = u"Georgia"_s) {
    return {start, length, family, size, bold, italic, {}, {}};
}
TextRun marked(qsizetype start, qsizetype length, QRgb background) {
    return {start, length, u"Georgia"_s, 21, false, false, qRgb(0, 0, 0), background};
}

// An editor over an idle store, shown offscreen, driven with real key
// presses ("\r" is Return).
class RichTextEditorTest : public ::testing::Test {
protected:
    void SetUp() override { h.startIdle(); }
    QTextEdit& open(const std::optional<RichText>& content = RichText()) {
        if (content)
            h.store->saveEntry(*content);
        editor = std::make_unique<RichTextEditor>(*h.store);
        editor->resize(600, 400);
        editor->show();
        QCoreApplication::processEvents();
        return editor->textView();
    }
    void type(const QString& text) { QTest::keyClicks(&editor->textView(), text); }
    void press(Qt::Key key) { QTest::keyClick(&editor->textView(), key, Qt::ControlModifier); }
    void select(int from, int to) {
        QTextCursor cursor = editor->textView().textCursor();
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        editor->textView().setTextCursor(cursor);
    }
    const RichText& saved() { return h.store->currentContent(); }

    testing::StoreHarness h;
    std::unique_ptr<RichTextEditor> editor;
};

// A command over a selection or at the caret, then typing: the runs the
// store holds, and again after so many presses of Ctrl+Z.
TEST_F(RichTextEditorTest, FormattingCommandsThenTypingThenUndo) {
    const RichText keep(u"keep this word"_s, {plain(0, 5), marked(5, 4, kSky), plain(9, 5)});
    const QRgb sage = HighlightPalette::color(u"Sage"_s).rgb();
    struct Edit {
        const char* name;
        RichText text;
        int from, to;
        Command command;
        std::optional<QString> color; // none: from the menu
        QString typed;
        Runs runs;
        int undos = 0;
        Runs undone = {};
    };
    const Edit edits[] = {
        Edit("a caret highlight lasts until Return", {}, 0, 0, Command::Highlight, u"Sage"_s,
             u"ab\rcd"_s, {marked(0, 2, sage), plain(2, 3)}, 2, {marked(0, 2, sage)}),
        Edit("no break is highlighted, one undo", RichText(u"one\r\n\ntwo"_s, {plain(0, 9)}), 0, 8,
             Command::Highlight, {}, {},
             {marked(0, 3, kButter), plain(3, 2), marked(5, 3, kButter)}, 1, {plain(0, 8)}),
        Edit("typing after a highlighted word is plain", RichText(u"one two"_s, {plain(0, 7)}), 4,
             7, Command::Highlight, {}, u" three"_s,
             {plain(0, 4), marked(4, 3, kButter), plain(7, 6)}),
        Edit("bold at the caret keeps the size",
             RichText(u"Big"_s, {plain(0, 3, false, false, 30)}), 3, 3, Command::Bold, {}, u"!"_s,
             {plain(0, 3, false, false, 30), plain(3, 1, true, false, 30)}),
        Edit("clear at a highlight's start clears all of it", keep, 5, 5, Command::ClearHighlight,
             {}, {}, {plain(0, 14)}),
        Edit("the character after a highlight is not highlighted", keep, 9, 9,
             Command::ClearHighlight, {}, u"x"_s, {plain(0, 5), marked(5, 4, kSky), plain(9, 6)}),
        Edit("clear at the very end", RichText(u"end mark"_s, {plain(0, 4), marked(4, 4, kSky)}), 8,
             8, Command::ClearHighlight, {}, {}, {plain(0, 8)}),
    };
    for (const auto& edit : edits) {
        SCOPED_TRACE(edit.name);
        open(edit.text);
        select(edit.from, edit.to);
        EditorRequests::postFormatting(edit.command, edit.color);
        QCoreApplication::processEvents();
        type(edit.typed);
        EXPECT_EQ(saved().runs(), edit.runs);
        for (int step = 0; step < edit.undos; ++step)
            press(Qt::Key_Z);
        EXPECT_EQ(saved().runs(), edit.undos ? edit.undone : edit.runs);
    }
}

// A new family goes over the whole text in one undo step: sizes and
// boldness stay, italics turn upright. Typing at the caret is then that
// family at the base size.
TEST_F(RichTextEditorTest, ChangingTheFontKeepsSizesAndBoldness) {
    const Runs before = {plain(0, 4, false, false, 30), plain(4, 5, true),
                         plain(9, 7, false, true)};
    open(RichText(u"Big bold slanted"_s, before));
    select(3, 3);
    EditorRequests::postFont(u"Menlo"_s);
    QCoreApplication::processEvents();
    type(u"!"_s);
    EXPECT_EQ(
        saved().runs(),
        (Runs{plain(0, 3, false, false, 30, u"Menlo"_s), plain(3, 1, false, false, 21, u"Menlo"_s),
              plain(4, 1, false, false, 30, u"Menlo"_s), plain(5, 5, true, false, 21, u"Menlo"_s),
              plain(10, 7, false, false, 21, u"Menlo"_s)}));
    press(Qt::Key_Z);
    press(Qt::Key_Z);
    EXPECT_EQ(saved().runs(), before);
}

// Opening is no edit: Ctrl+Z right after it changes neither the text nor
// the file. A stored highlight stops at a paragraph end, and typing at the
// start, where a document opens, is plain.
TEST_F(RichTextEditorTest, OpeningADocumentCannotBeUndone) {
    const QUrl url = testing::libraryDocument(u"Plan"_s, testing::writing(u"one\ntwo"_s, 7));
    const QString path = url.toLocalFile();
    ASSERT_TRUE(h.store->openDocument(url));
    const QByteArray before = bytesOf(path);
    QTextEdit& view = open(std::nullopt);
    press(Qt::Key_Z);
    EXPECT_EQ(view.toPlainText(), u"one\ntwo"_s);
    EXPECT_EQ(bytesOf(path), before);
    type(u"x"_s);
    EXPECT_EQ(saved().runs(),
              (Runs{plain(0, 1), marked(1, 3, kButter), plain(4, 1), marked(5, 3, kButter)}));
    press(Qt::Key_Z);
    press(Qt::Key_Z);
    EXPECT_EQ(storage::readDocument(path).text.text(), u"one\ntwo"_s);
}

// "Begin anywhere." is drawn where the first line starts exactly while the
// text is empty, and is never text; typing into the empty text, even after
// selecting all of it, is in the base font. Once a font is chosen it is the
// placeholder's, and an emptied text's typing's again.
TEST_F(RichTextEditorTest, PlaceholderOnlyWhileTheTextIsEmptyWhichTypesInTheChosenFont) {
    auto& view = static_cast<PlaceholderTextView&>(open());
    view.setCursorWidth(0);
    const auto drawn = [&] { // anything where the first line starts
        const QRect line(view.placeholderOrigin().toPoint(), QSize(150, 30));
        QImage blank = view.viewport()->grab().toImage().copy(line);
        blank.fill(view.palette().color(QPalette::Base));
        return view.viewport()->grab().toImage().copy(line) != blank;
    };
    EXPECT_TRUE(drawn());
    type(u" "_s);
    EXPECT_FALSE(drawn());
    type(u"\b"_s);
    EXPECT_TRUE(drawn() && saved().isEmpty());
    press(Qt::Key_A);
    type(u"ab"_s);
    EXPECT_EQ(saved().runs(), Runs{plain(0, 2)});
    h.store->setFontName(u"Menlo"_s);
    editor->changeFont(u"Menlo"_s);
    EXPECT_EQ(view.font().family(), u"Menlo"_s);
    view.selectAll();
    type(u"\bx"_s);
    EXPECT_EQ(saved().runs(), Runs{plain(0, 1, false, false, 21, u"Menlo"_s)});
}

// Pasting into a highlighted word brings plain text with only its bold,
// italic and highlights in our own colours (no other colour, foreign font,
// picture or table); pasted from the Edit menu too, the caret ends in sight.
TEST_F(RichTextEditorTest, PasteKeepsOnlyBoldAndItalicEvenInsideAHighlight) {
    QTextEdit& view = open(RichText(u"mark"_s, {marked(0, 4, kSky)}));
    select(2, 2);
    auto* pasted = new QMimeData;
    pasted->setHtml(u"<b>bold</b> <span style='background:"_s + QColor(kButter).name() +
                    u"'>kept</span> <span style='color:red;background:yellow;font:40px Arial'>red"
                    "</span><img src='x.png'><table><tr><td><i>cell</i></td></tr></table>"_s +
                    u"<p>more</p>"_s.repeated(40));
    QApplication::clipboard()->setMimeData(pasted);
    view.paste(); // as Edit > Paste does
    const QString text = saved().text();
    const Runs runs = saved().runs();
    EXPECT_EQ(runs.first(), marked(0, 2, kSky));
    EXPECT_EQ(runs.last(), marked(text.size() - 2, 2, kSky));
    QStringList styled;
    for (const TextRun& run : runs.mid(1, runs.size() - 2)) {
        if (run == marked(run.start, run.length, kButter)) {
            styled.append(u'[' + text.mid(run.start, run.length) + u']');
            continue;
        }
        EXPECT_EQ(run, plain(run.start, run.length, run.bold, run.italic));
        if (run.bold || run.italic)
            styled.append(text.mid(run.start, run.length));
    }
    EXPECT_EQ(styled, (QStringList{u"bold"_s, u"[kept]"_s, u"cell"_s}));
    EXPECT_FALSE(text.contains(QChar::ObjectReplacementCharacter));
    EXPECT_TRUE(view.viewport()->rect().contains(view.cursorRect()));
}

// The four writing fonts are drawn with four different installed faces.
TEST(WritingFonts, FourChoicesLookLikeFour) {
    QSet<QString> faces;
    for (const char* name : {"Georgia", "Helvetica Neue", "Avenir Next", "Menlo"})
        faces.insert(QFontInfo(RichTextEditor::fontNamed(QLatin1String(name), 21)).family());
    EXPECT_EQ(faces.size(), 4) << faces.values().join(u", "_s).toStdString();
}

// No text past the length that opens again: what a paste or typing brings
// beyond it is refused, with a notice; one undo takes the paste back whole.
// Nor more paragraphs than open again.
TEST_F(RichTextEditorTest, NoTextPastTheLengthThatOpensAgain) {
    const qsizetype limit = storage::kLongestOpenableDocument;
    const QString line = QString(79, u'x') + u'\n';
    const QString body = line.repeated(limit / line.size() - 1) + QString(line.size() - 3, u'y');
    QTextEdit& view = open(testing::writing(body));
    view.moveCursor(QTextCursor::End);
    QApplication::clipboard()->setText(u"12345"_s);
    view.paste();
    EXPECT_EQ(saved().text().size(), limit);
    EXPECT_TRUE(saved().text().endsWith(u"y123"_s));
    EXPECT_TRUE(h.store->notice().value_or(QString()).contains(u"5,000,000"_s));
    press(Qt::Key_Z);
    EXPECT_EQ(saved().text(), body);
    type(u"abcd"_s);
    EXPECT_TRUE(saved().text().endsWith(u"yabc"_s));
    EXPECT_EQ(saved().text().size(), limit);

    const QString lines = QString(u'\n').repeated(storage::kMostOpenableParagraphs - 1);
    QTextEdit& many = open(testing::writing(lines));
    many.moveCursor(QTextCursor::End);
    type(u"\r\r"_s);
    EXPECT_EQ(many.document()->blockCount(), storage::kMostOpenableParagraphs);
    EXPECT_TRUE(h.store->notice().value_or(QString()).contains(u"250,000 paragraphs"_s));
}

// A field of /proc/self/status ("VmRSS", "VmHWM") in KiB.
qint64 statusKiB(const QString& field) {
    const QRegularExpression line(u"^"_s + field + u":\\s*(\\d+)"_s,
                                  QRegularExpression::MultilineOption);
    return line.match(QString::fromLatin1(bytesOf(u"/proc/self/status"_s)))
        .captured(1)
        .toLongLong();
}

QByteArray megabytesOf(qsizetype megabytes, const QByteArray& header, const QByteArray& filler) {
    return header + filler.repeated(megabytes * 1024 * 1024 / filler.size());
}

// A font table where every entry is a font of its own.
QByteArray megabytesOfFonts(qsizetype megabytes) {
    QByteArray table = "{\\rtf1{\\fonttbl";
    for (int number = 0; table.size() < megabytes * 1024 * 1024; ++number)
        table += "\\f" + QByteArray::number(number) + " F;";
    return table + "}\\f1 Text.}";
}

// Damaged copies of a long document of our own, every input the reader's
// fuzzer kept and files other programs made: each opens with the editor
// showing exactly the store's text (for a damaged copy, what survived), or
// is refused with a reason a person can act on; opening takes no more than
// a few times the file's size of memory and never changes the file.
TEST_F(RichTextEditorTest, EveryBadFileOpensOrFailsClearlyInBoundedMemory) {
    RichTextBuilder builder;
    for (int paragraph = 0; paragraph < 200; ++paragraph) {
        builder.append(u"Morning pages, café au lait, "_s, plain(0, 0));
        builder.append(u"bold words "_s, plain(0, 0, true));
        builder.append(u"and a marked line 🌿 then the rest.\n"_s, marked(0, 0, kButter));
    }
    const QByteArray whole = *rtf::write(builder.take()), half = whole.left(whole.size() / 2);
    enum Expect { SameText, SomeText, Refused, Either };
    QList<std::tuple<QString, QByteArray, Expect>> cases = {
        {u"whole"_s, whole, SameText},
        {u"cut in the middle"_s, half, SomeText},
        {u"garbage appended"_s, whole + QByteArray("\x01\xFF{\\}", 5).repeated(1600), SameText},
        {u"zeroed from the middle on"_s, half + QByteArray(whole.size() - half.size(), '\0'),
         SomeText},
        {u"nested a million deep"_s, "{\\rtf1 " + QByteArray(1000000, '{'), Refused},
        {u"50 MB of text"_s, megabytesOf(50, "{\\rtf1\\ansi\\f0\\fs42 ", "the kettle sang\\par\n"),
         Refused},
        {u"50 MB, nearly all picture"_s,
         megabytesOf(50, "{\\rtf1\\ansi\\f0 A caption.\\par {\\pict\\pngblip ",
                     "89504e470d0a1a0a") +
             "}\\par The end.}",
         SomeText},
        // Each large enough that a reader holding all of it would break the bound.
        {u"16 MB of fonts"_s, megabytesOfFonts(16), SomeText},
        {u"12 MB colour table"_s, megabytesOf(12, "{\\rtf1{\\colortbl", ";") + "}Text.}", SomeText},
        // Double-byte text with nowhere to cut it: held only until it must be too long.
        {u"32 MB of text in one word"_s, megabytesOf(32, "{\\rtf1\\ansicpg932 ", "kettle"),
         Refused},
        // Each paragraph costs the editor a hundred times what it costs the file.
        {u"a million empty paragraphs"_s, "{\\rtf1 " + QByteArray("\\par ").repeated(1000000),
         Refused},
    };
    for (const char* folder : {INKWARDEN_FUZZ_CORPUS, INKWARDEN_RTF_FIXTURES})
        for (QDirIterator files(QString::fromUtf8(folder), QDir::Files); files.hasNext();)
            if (const QString file = files.next(); !file.endsWith(u".md"_s))
                cases.append({file, bytesOf(file), Either});

    const QString path = storage::documentsFolder() + u"/Case.rtf"_s;
    const QRegularExpression refusal(
        u"^Couldn’t open “Case.rtf”: This (file is empty|file is not an RTF document|RTF document "
        "is nested too deeply to open|RTF document is damaged|document is longer than 5,000,000 "
        "characters, the most Inkwarden can open|document has more than 250,000 paragraphs, the "
        "most Inkwarden can open)\\.$"_s);
    QWidget window;
    window.show();
    qint64 wholeCharacters = 0;
    int opened = 0;
    for (const auto& [name, bytes, expect] : cases) {
        SCOPED_TRACE(name.toStdString());
        testing::writeBytes(path, bytes);
        h.store->setFileError(std::nullopt);
        testing::writeBytes(u"/proc/self/clear_refs"_s, "5"); // starts the peak over
        const qint64 before = statusKiB(u"VmRSS"_s);
        const bool ok = h.store->openDocument(QUrl::fromLocalFile(path));
        RichTextEditor shown(*h.store, &window);
        shown.resize(952, 700);
        shown.setVisible(expect != Either); // laid out as shown; the corpus files are small
        QCoreApplication::processEvents();
        // A few times the file, beyond a fixed allowance for the editor's own pages.
        EXPECT_LE(statusKiB(u"VmHWM"_s) - before, 4 * bytes.size() / 1024 + 24 * 1024);
        const qint64 characters = shown.textView().document()->characterCount() - 1;
        const QString error = h.store->fileError().value_or(QString());
        opened += ok;
        wholeCharacters = name == u"whole"_s ? characters : wholeCharacters;
        EXPECT_TRUE(expect == Either || ok == (expect != Refused));
        EXPECT_TRUE(!ok || characters == saved().text().size());
        EXPECT_TRUE(ok ? error.isEmpty() : refusal.match(error).hasMatch()) << error.toStdString();
        EXPECT_TRUE(expect != SameText || characters == wholeCharacters);
        EXPECT_TRUE(expect != SomeText || (characters > 0 && characters <= wholeCharacters + 1));
        EXPECT_EQ(bytesOf(path), bytes) << "opening never changes the file";
    }
    EXPECT_GT(opened, 100) << "an empty or missing corpus proves nothing";
    EXPECT_GT(cases.size() - opened, 20);
}

} // namespace
} // namespace inkwarden
