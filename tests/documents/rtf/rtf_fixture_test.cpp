#include "documents/rtf/rtf.h"
#include "rtf_test_support.h"

#include <gtest/gtest.h>

namespace inkwarden {
namespace {

using testing::fixture;
using testing::runHolding;

constexpr QRgb kBlack = 0xFF000000;
const auto kNone = std::nullopt;

struct Expected {
    const char* word;
    const char* family;
    double size;
    bool bold;
    bool italic;
    std::optional<QRgb> foreground;
    std::optional<QRgb> background;
};

void expectWords(const QString& file, const QList<Expected>& words) {
    const rtf::ReadResult result = rtf::read(fixture(file));
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_TRUE(result.text.hasMaximalRuns());
    for (const Expected& expected : words) {
        const TextRun run = runHolding(result.text, QString::fromUtf8(expected.word));
        EXPECT_EQ(run.fontFamily, QString::fromUtf8(expected.family)) << expected.word;
        EXPECT_EQ(run.pointSize, expected.size) << expected.word;
        EXPECT_EQ(run.bold, expected.bold) << expected.word;
        EXPECT_EQ(run.italic, expected.italic) << expected.word;
        EXPECT_EQ(run.foreground, expected.foreground) << expected.word;
        EXPECT_EQ(run.background, expected.background) << expected.word;
    }
}

QString textOf(const QString& file) {
    return rtf::read(fixture(file)).text.text();
}

// The sample our writer made, as LibreOffice and AbiWord wrote it back.
const QString kSampleText = QStringLiteral(
    "Plain Georgia text with café and naïve. Bold Helvetica Neue. Italic Avenir Next at 14. "
    "Menlo bold italic 10.5\nSecond paragraph: butter sage blush sky\n");

TEST(RtfFixtureTest, LibreOfficeKeepsFontsSizesStylesAndExactHighlights) {
    EXPECT_TRUE(textOf(QStringLiteral("libreoffice-7.4.rtf")).startsWith(kSampleText));
    EXPECT_TRUE(textOf(QStringLiteral("libreoffice-7.4.rtf"))
                    .contains(QStringLiteral("Unicode: € — “quotes” 日本語 \U0001F600 عربي "
                                             "{braces} back\\slash\tTab\n\nAfter")));
    expectWords(QStringLiteral("libreoffice-7.4.rtf"),
                {{"Plain Georgia", "Georgia", 21, false, false, kNone, kNone},
                 {"Bold Helvetica", "Helvetica Neue", 21, true, false, kNone, kNone},
                 {"Italic Avenir", "Avenir Next", 14, false, true, kNone, kNone},
                 {"Menlo bold", "Menlo", 10.5, true, true, kNone, kNone},
                 {"butter", "Georgia", 21, false, false, kBlack, 0xFFFFCC47},
                 {"sage", "Georgia", 21, false, false, kBlack, 0xFF7AD98A},
                 {"blush", "Georgia", 21, true, false, kBlack, 0xFFFF8FA3},
                 {"sky", "Georgia", 21, false, true, kBlack, 0xFF6EB5FF},
                 // LibreOffice sizes Asian and Arabic text with associated words only.
                 {"日本語", "Georgia", 21, false, false, kNone, kNone},
                 {"عربي", "DejaVu Serif", 21, false, false, kNone, kNone}});
    expectWords(QStringLiteral("libreoffice-7.4-highlight.rtf"),
                {{"yellow", "Georgia", 21, false, false, kNone, 0xFFFFFF00},
                 {"green", "Georgia", 21, true, false, kNone, 0xFF00FF00},
                 {"Menlo italic", "Menlo", 12, false, true, kNone, kNone}});
}

TEST(RtfFixtureTest, AbiWordKeepsFontsSizesStylesAndExactHighlights) {
    // AbiWord writes highlights without a text colour, and moves a space
    // around the emoji in what it writes.
    EXPECT_TRUE(textOf(QStringLiteral("abiword-3.0.rtf")).startsWith(kSampleText));
    expectWords(QStringLiteral("abiword-3.0.rtf"),
                {{"Bold Helvetica", "Helvetica Neue", 21, true, false, kNone, kNone},
                 {"Italic Avenir", "Avenir Next", 14, false, true, kNone, kNone},
                 {"Menlo bold", "Menlo", 10.5, true, true, kNone, kNone},
                 {"butter", "Georgia", 21, false, false, kNone, 0xFFFFCC47},
                 {"blush", "Georgia", 21, true, false, kNone, 0xFFFF8FA3},
                 {"sky", "Georgia", 21, false, true, kNone, 0xFF6EB5FF},
                 {"{braces}", "Georgia", 21, false, false, kNone, kNone}});
}

TEST(RtfFixtureTest, PandocKeepsTextBoldAndItalic) {
    EXPECT_EQ(textOf(QStringLiteral("pandoc-2.17.rtf")),
              QStringLiteral("Sample\n\nPlain text with café, naïve and € sign.\nBold words and "
                             "italic words and both.\nUnicode: “quotes” — 日本語 \U0001F600 עברית "
                             "{braces} back\\slash\nLast paragraph."));
    expectWords(QStringLiteral("pandoc-2.17.rtf"),
                {{"Bold words", "Helvetica", 12, true, false, kNone, kNone},
                 {"italic words", "Helvetica", 12, false, true, kNone, kNone},
                 {"both", "Helvetica", 12, true, true, kNone, kNone},
                 {"Last", "Helvetica", 12, false, false, kNone, kNone}});
}

TEST(RtfFixtureTest, CocoaFaceNamesAndWhiteBackgroundsRead) {
    EXPECT_EQ(textOf(QStringLiteral("cocoa-style.rtf")),
              QStringLiteral("Plain Helvetica Neue bold and italic.\nbutter then sage\n"
                             "Menlo — code Georgia Avenir demi"));
    expectWords(QStringLiteral("cocoa-style.rtf"),
                {{"Plain", "Helvetica Neue", 21, false, false, kNone, kNone},
                 {"bold", "Helvetica Neue", 21, true, false, kNone, kNone},
                 {"italic", "Helvetica Neue", 21, false, true, kNone, kNone},
                 {"butter", "Helvetica Neue", 21, false, false, kBlack, 0xFFFFCC47},
                 {" then ", "Helvetica Neue", 21, false, false, kNone, kNone},
                 {"sage", "Helvetica Neue", 21, false, false, kBlack, 0xFF7AD98A},
                 {"Menlo — code", "Menlo", 12, false, false, kNone, kNone},
                 {"Georgia", "Georgia", 21, true, true, kNone, kNone},
                 {"Avenir", "Avenir Next", 21, false, false, kNone, kNone},
                 {"demi", "Avenir Next", 21, true, false, kNone, kNone}});
}

} // namespace
} // namespace inkwarden
