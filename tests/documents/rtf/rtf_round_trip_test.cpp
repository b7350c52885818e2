#include "documents/rtf/rtf.h"
#include "rtf_test_support.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>

namespace inkwarden {
namespace {

const QStringList kFamilies = {QStringLiteral("Georgia"), QStringLiteral("Helvetica Neue"),
                               QStringLiteral("Avenir Next"), QStringLiteral("Menlo")};
const QList<QRgb> kPalette = {0xFFFFCC47, 0xFF7AD98A, 0xFFFF8FA3, 0xFF6EB5FF};
const QList<double> kSizes = {9, 10.5, 12, 14, 21, 36, 72};
constexpr QRgb kBlack = 0xFF000000;

// Pieces that stress the writer: outside the BMP, combining marks, right to
// left, RTF syntax characters, tabs, line separators, empty paragraphs.
const QStringList kPieces = {
    QStringLiteral("plain words "),
    QStringLiteral("\U0001F600"),
    QStringLiteral("x\U0001D11Ey"),
    QStringLiteral("e\u0301"),
    QStringLiteral("שלום עולם"),
    QStringLiteral("مرحبا بالعالم"),
    QStringLiteral("{"),
    QStringLiteral("}"),
    QStringLiteral("\\"),
    QStringLiteral("\\par "),
    QStringLiteral("\t"),
    QStringLiteral("\u2028"),
    QStringLiteral("\n"),
    QStringLiteral("\n\n"),
    QStringLiteral("日本語の文"),
    QStringLiteral("€—“”…"),
    QStringLiteral(" "),
    QStringLiteral("  two spaces"),
    QStringLiteral("\u00A0;?"),
    QStringLiteral("café naïve"),
    QStringLiteral("12 -3 "),
};

// One random piece of text: a listed piece or a few random code points.
QString randomPiece(std::mt19937& random) {
    if (random() % 4 != 0)
        return kPieces[random() % kPieces.size()];
    QString piece;
    for (int count = int(random() % 4) + 1; count > 0; --count) {
        char32_t codePoint = random() % 0x110000;
        if (codePoint >= 0xD800 && codePoint <= 0xDFFF)
            codePoint = 0xFFFD; // the editor never holds lone surrogates
        piece.append(QString::fromUcs4(&codePoint, 1));
    }
    return piece;
}

// A document as the editor makes it: plain runs carry no colours, highlighted
// runs black text on a palette colour.
RichText randomDocument(std::mt19937& random) {
    RichTextBuilder builder;
    for (int pieces = int(random() % 40); pieces > 0; --pieces) {
        TextRun format;
        format.fontFamily = kFamilies[random() % kFamilies.size()];
        format.pointSize = kSizes[random() % kSizes.size()];
        format.bold = random() % 3 == 0;
        format.italic = random() % 3 == 0;
        if (random() % 4 == 0) {
            format.foreground = kBlack;
            format.background = kPalette[random() % kPalette.size()];
        }
        builder.append(randomPiece(random), format);
    }
    return builder.take();
}

qsizetype longestLine(const QByteArray& bytes) {
    qsizetype longest = 0;
    for (const QByteArray& line : bytes.split('\n'))
        longest = qMax(longest, line.size());
    return longest;
}

TEST(RtfRoundTripTest, RandomEditorDocumentsReadBackEqualFromShortAsciiLines) {
    for (const unsigned seed : {1u, 2u, 3u}) {
        std::mt19937 random(seed);
        for (int index = 0; index < 120; ++index) {
            const RichText document = randomDocument(random);
            const std::optional<QByteArray> bytes = rtf::write(document);
            ASSERT_TRUE(bytes) << "seed " << seed << " document " << index;
            ASSERT_TRUE(std::all_of(bytes->begin(), bytes->end(), [](char byte) {
                return byte > 0 && byte < 0x7F;
            })) << bytes->toStdString();
            EXPECT_LE(longestLine(*bytes), 260) << bytes->toStdString();
            const rtf::ReadResult result = rtf::read(*bytes);
            ASSERT_TRUE(result.ok()) << result.error.toStdString();
            ASSERT_EQ(result.text, document) << "seed " << seed << " document " << index << "\n"
                                             << bytes->toStdString();
            EXPECT_EQ(rtf::asWritten(document), document);
        }
    }
}

TEST(RtfRoundTripTest, ValuesOutsideTheEditorsFormReadBackAsAsWrittenSays) {
    const TextRun plain = testing::plainRun(0, 1, QStringLiteral("Georgia"), 21);
    auto with = [plain](auto change) {
        TextRun run = plain;
        change(run);
        return run;
    };
    struct Case {
        const char* name;
        TextRun written;
        TextRun read;
    };
    const QList<Case> cases = {
        {"background without text colour gets black text",
         with([](TextRun& r) { r.background = 0xFFFFCC47; }),
         with([](TextRun& r) { r.background = 0xFFFFCC47, r.foreground = kBlack; })},
        {"white background is no highlight", with([](TextRun& r) { r.background = 0xFFFFFFFF; }),
         plain},
        {"colours are opaque", with([](TextRun& r) { r.foreground = 0x80123456; }),
         with([](TextRun& r) { r.foreground = 0xFF123456; })},
        {"sizes round to half points", with([](TextRun& r) { r.pointSize = 10.3; }),
         with([](TextRun& r) { r.pointSize = 10.5; })},
        {"sizes are clamped", with([](TextRun& r) { r.pointSize = 5000; }),
         with([](TextRun& r) { r.pointSize = 1638; })},
        {"a size that is no size is 12 pt", with([](TextRun& r) { r.pointSize = std::nan(""); }),
         with([](TextRun& r) { r.pointSize = 12; })},
        {"PostScript face names",
         with([](TextRun& r) { r.fontFamily = QStringLiteral("Menlo-Bold"); }),
         with([](TextRun& r) { r.fontFamily = QStringLiteral("Menlo"), r.bold = true; })},
    };
    for (const Case& testCase : cases) {
        const RichText written(QStringLiteral("x"), {testCase.written});
        const RichText expected(QStringLiteral("x"), {testCase.read});
        EXPECT_EQ(rtf::asWritten(written), expected) << testCase.name;
        EXPECT_EQ(rtf::read(*rtf::write(written)).text, expected) << testCase.name;
    }
}

TEST(RtfRoundTripTest, WriterEmitsTheAgreedControlWords) {
    const TextRun base = testing::plainRun(0, 0, QStringLiteral("Georgia"), 21);
    TextRun highlighted = base;
    highlighted.start = 0;
    highlighted.length = 2;
    highlighted.bold = true;
    highlighted.foreground = kBlack;
    highlighted.background = 0xFFFFCC47;
    TextRun rest = base;
    rest.start = 2;
    rest.fontFamily = QStringLiteral("Menlo");
    const QString text = QStringLiteral("hié€日\U0001F600{}\\\t\u2028\n;");
    rest.length = text.size() - 2;
    const QByteArray bytes = *rtf::write(RichText(text, {highlighted, rest}));
    for (const char* expected :
         {"{\\rtf1\\ansi\\ansicpg1252\\deff0", "{\\f0\\froman\\fcharset0 Georgia;}",
          "{\\f1\\fmodern\\fcharset0 Menlo;}",
          "{\\colortbl;\\red0\\green0\\blue0;\\red255\\green204\\blue71;}",
          "\\f0\\fs42\\b\\cf1\\chshdng0\\chcbpat2\\cb2 hi}", "\\u233\\'e9\\u8364\\'80\\u26085\\'3f",
          "\\u-10179\\'3f\\u-8704\\'3f", "\\{\\}\\\\\\tab\\line\\par", "\\uc1"}) {
        EXPECT_TRUE(bytes.contains(expected)) << expected << " not in\n" << bytes.toStdString();
    }
    EXPECT_FALSE(bytes.contains("\\highlight"));
}

TEST(RtfRoundTripTest, EmptyTextGivesAValidDocumentAndBadRunsAreRefused) {
    // Even an empty document has a paragraph mark: AbiWord opens none without one.
    const QByteArray emptyFile = *rtf::write(RichText());
    EXPECT_TRUE(emptyFile.contains("\\par")) << emptyFile.toStdString();
    const rtf::ReadResult empty = rtf::read(emptyFile);
    EXPECT_TRUE(empty.ok());
    EXPECT_TRUE(empty.text.isEmpty());
    EXPECT_TRUE(empty.text.runs().isEmpty());

    const QString text = QStringLiteral("abcd");
    auto run = [](qsizetype start, qsizetype length) {
        return testing::plainRun(start, length, QStringLiteral("Menlo"), 12);
    };
    const QList<QList<TextRun>> uncovered = {{},
                                             {run(0, 3)},
                                             {run(1, 3)},
                                             {run(0, 2), run(3, 1)},
                                             {run(0, 3), run(2, 2)},
                                             {run(0, 5)},
                                             {run(0, -1), run(0, 5)},
                                             {run(0, 4), run(4, 1)}};
    for (const QList<TextRun>& runs : uncovered)
        EXPECT_FALSE(rtf::write(RichText(text, runs))) << ::testing::PrintToString(runs);
    // Empty runs and equal neighbours are accepted and come back merged.
    const RichText loose(text, {run(0, 0), run(0, 2), run(2, 2), run(4, 0)});
    EXPECT_EQ(rtf::read(*rtf::write(loose)).text, RichText(text, {run(0, 4)}));
}

} // namespace
} // namespace inkwarden
