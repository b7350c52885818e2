#include "editor/rich_text_document.h"
#include "support/qt_printers.h"
#include "support/rich_text_printer.h"

#include <QTextBlock>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace inkwarden::editor {
namespace {

TextRun run(qsizetype start, qsizetype length, const QString& family, double size,
            bool bold = false, bool italic = false, std::optional<QRgb> background = {}) {
    return {start,
            length,
            family,
            size,
            bold,
            italic,
            background ? std::optional<QRgb>(qRgb(0, 0, 0)) : std::nullopt,
            background};
}

TEST(RichTextDocument, ConvertsBothWaysExactly) {
    // Paragraphs, an empty one, a line separator, an astral character and a
    // paragraph break whose format differs from the text around it.
    const QString text = QStringLiteral("Bold start\n\nplain \U0001F58B mark\u2028next\nMenlo end");
    const RichText value(
        text, {
                  run(0, 10, QStringLiteral("Georgia"), 21, true),
                  run(10, 1, QStringLiteral("Georgia"), 21),
                  run(11, 1, QStringLiteral("Georgia"), 12, false, true),
                  run(12, 8, QStringLiteral("Georgia"), 21),
                  run(20, 5, QStringLiteral("Georgia"), 21, false, false, qRgb(0xFF, 0xCC, 0x47)),
                  run(25, 6, QStringLiteral("Georgia"), 21),
                  run(31, 9, QStringLiteral("Menlo"), 14, false, true),
              });
    ASSERT_TRUE(value.hasMaximalRuns());
    QTextDocument document;
    loadRichText(document, value);
    EXPECT_EQ(document.blockCount(), 4);
    EXPECT_EQ(toRichText(document), value);
}

TEST(RichTextDocument, LineBreaksLoseTheirHighlight) {
    const RichText highlighted(
        QStringLiteral("one\ntwo"),
        {run(0, 7, QStringLiteral("Georgia"), 21, false, false, qRgb(0x7A, 0xD9, 0x8A))});
    QTextDocument document;
    loadRichText(document, highlighted);
    EXPECT_TRUE(removeHighlightsFromLineBreaks(document));
    EXPECT_FALSE(removeHighlightsFromLineBreaks(document)) << "nothing left to remove";
    const RichText result = toRichText(document);
    ASSERT_EQ(result.runs().size(), 3);
    EXPECT_TRUE(result.runs()[0].background);
    EXPECT_FALSE(result.runs()[1].background);
    EXPECT_FALSE(result.runs()[1].foreground) << "the line break gets the default text colour";
    EXPECT_EQ(result.runs()[2].background, qRgb(0x7A, 0xD9, 0x8A));
}

TEST(RichTextDocument, EditingFormDerivesForegroundsFromHighlights) {
    RichText stored(
        QStringLiteral("red\rmark\n"),
        {{0, 3, QStringLiteral("Georgia"), 21, false, false, qRgb(255, 0, 0), {}},
         {3, 6, QStringLiteral("Georgia"), 21, false, false, {}, qRgb(0x6E, 0xB5, 0xFF)}});
    const RichText shown = normalizedForEditing(stored);
    ASSERT_EQ(shown.runs().size(), 3);
    EXPECT_EQ(shown.runs()[0].length, 4) << "plain text and the carriage return, default colour";
    EXPECT_FALSE(shown.runs()[0].foreground);
    EXPECT_FALSE(shown.runs()[0].background);
    EXPECT_EQ(shown.runs()[1].foreground, qRgb(0, 0, 0));
    EXPECT_EQ(shown.runs()[1].background, qRgb(0x6E, 0xB5, 0xFF));
    EXPECT_FALSE(shown.runs()[2].background);

    // Every kind of paragraph break is one U+000A, so loading adds no empty paragraph.
    const RichText mixed(QStringLiteral("a\r\nb\u2029c\rd"),
                         {{0, 8, QStringLiteral("Georgia"), 21, false, false, {}, {}}});
    QTextDocument document;
    loadRichText(document, normalizedForEditing(mixed));
    EXPECT_EQ(toRichText(document).text(), QStringLiteral("a\nb\nc\nd"));
}

} // namespace
} // namespace inkwarden::editor
