#include "documents/rtf/rtf.h"
#include "rtf_test_support.h"

#include <gtest/gtest.h>

namespace inkwarden {
namespace {

// Fonts for each codepage case, and a colour table with red, white and black.
const QByteArray kHeader =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Helvetica;}{\\f1\\fnil\\fcharset128 MS Gothic;}"
    "{\\f2\\fcharset204 Arial Cyr;}{\\f3\\fcharset136 MingLiU;}{\\f4\\fcharset134 SimSun;}"
    "{\\f5\\fcharset129 Gulim;}{\\f6\\fcharset161 Greek;}}"
    "{\\colortbl;\\red255\\green0\\blue0;\\red255\\green255\\blue255;\\red0\\green0\\blue0;}";

QString readText(const QByteArray& body) {
    const QByteArray document = body.startsWith("{\\rtf") ? body : kHeader + body + "}";
    const rtf::ReadResult result = rtf::read(document);
    EXPECT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_TRUE(result.text.hasMaximalRuns()) << ::testing::PrintToString(result.text);
    return result.text.text();
}

TEST(RtfReaderTest, ReadsTheTextOtherProgramsWrite) {
    const QList<std::pair<QByteArray, QString>> cases = {
        {"a\\foo12 b\\bar-3 c", QStringLiteral("abc")}, // unknown words ignored, text kept
        {"{\\*\\unknown hidden {nested}}shown", QStringLiteral("shown")},
        {"{\\info{\\title T}}{\\pict\\pngblip 89504e47}{\\header H}{\\footerr F}a",
         QStringLiteral("a")},
        {"{\\stylesheet{\\s0 Normal;}}{\\*\\listtable x}{\\*\\themedata 5040}b{\\footnote note}",
         QStringLiteral("b")},
        {"{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt link}} and {\\field{\\fldinst "
         "PAGE}{\\fldrslt 3}}",
         QStringLiteral("link and 3")},
        {"one\\par two\\line three\\tab four", QStringLiteral("one\ntwo\u2028three\tfour")},
        {"{\\rtf1 last\\par}", QStringLiteral("last")}, // the closing mark adds no paragraph
        {"{\\rtf1 {last\\par\\par}}", QStringLiteral("last\n")},
        {"a\\\nb\\\r\nc\r\nd", QStringLiteral("a\nb\ncd")}, // raw line breaks ignored
        {"\\emdash\\endash\\lquote\\rquote\\ldblquote\\rdblquote\\bullet",
         QStringLiteral("—–‘’“”•")},
        {"a\\~b\\-c\\_d\\{\\}\\\\", QStringLiteral("a\u00A0b\u00ADc\u2011d{}\\")},
        {"\\u233\\'e9 \\u-3972\\'3f!", QStringLiteral("é \uF07C!")},
        {"{\\uc2\\u26085\\'93\\'fa}x{\\uc0\\u26412}y", QStringLiteral("日x本y")},
        {"{\\uc2 \\u233 ab}\\u233 ab", QStringLiteral("ééb")}, // \uc is group scoped
        {"\\u233\\emdash x\\u233{y}",
         QStringLiteral("éxéy")}, // a word is one fallback; a group ends them
        {"\\u-10179\\'3f\\u-8704\\'3f", QStringLiteral("\U0001F600")},
        {"\\u-10179\\'3f x\\u-8704\\'3f", QStringLiteral("\uFFFD x\uFFFD")}, // unpaired halves
        {"\\u128512 ?x", QStringLiteral("\U0001F600x")}, // a whole code point, as some writers do
        {"a\\bin3 {}\\b", QStringLiteral("ab")},
        {"caf\\'e9 \\'80\\'93", QStringLiteral("café €“")},
        {"{\\f1\\'82\\'a0\\'93\\'fa\\'83@}",
         QStringLiteral("あ日ァ")}, // cp932, a literal trail byte
        {"{\\f2\\'cf\\'f0\\'e8}{\\f3\\'a4\\'a4}{\\f4\\'c4\\'e3}{\\f5\\'c7\\'d1}{\\f6\\'e1}",
         QStringLiteral("При中你한α")},
        {"{\\f1\\'82}\\'a0",
         QStringLiteral("\uFFFD\u00A0")}, // a lead byte alone is damaged, not joined
        {"{\\rtf1\\ansi\\ansicpg1251 \\'c4\\'e0}", QStringLiteral("Да")},
        {"{\\rtf1\\mac \\'8e\\'a5}", QStringLiteral("é•")},
        {"{\\rtf1 {\\upr{ansi}{\\*\\ud{unicode}}}}", QStringLiteral("unicode")},
        {"{\\rtf1 {\\listtext\\'95\\tab}item}", QStringLiteral("•\titem")},
    };
    for (const auto& [body, expected] : cases)
        EXPECT_EQ(readText(body), expected) << body.toStdString();
}

struct FormatCase {
    QByteArray body; // formats the text "x"
    QString family;
    double size;
    bool bold;
    bool italic;
    std::optional<QRgb> foreground;
    std::optional<QRgb> background;
};

constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kBlack = 0xFF000000;
const auto kNone = std::nullopt;

TEST(RtfReaderTest, ReadsCharacterFormatting) {
    const QString helvetica = QStringLiteral("Helvetica");
    const QList<FormatCase> cases = {
        {"x", helvetica, 12, false, false, kNone, kNone},
        {"\\fs42 x", helvetica, 21, false, false, kNone, kNone},
        {"\\fs21\\b\\i x", helvetica, 10.5, true, true, kNone, kNone},
        {"\\b\\i\\b0\\i0 x", helvetica, 12, false, false, kNone, kNone},
        {"{\\b\\fs40}x", helvetica, 12, false, false, kNone, kNone},
        {"\\b\\fs40\\cf1\\cb1\\plain x", helvetica, 12, false, false, kNone, kNone},
        {"\\f1 x", QStringLiteral("MS Gothic"), 12, false, false, kNone, kNone},
        {"\\f99 x", helvetica, 12, false, false, kNone, kNone},
        {"\\cf1 x", helvetica, 12, false, false, kRed, kNone},
        {"\\cf3\\cb1 x", helvetica, 12, false, false, kBlack, kRed},
        {"\\cf0\\cf77 x", helvetica, 12, false, false, kNone, kNone},
        {"\\chshdng0\\chcbpat1 x", helvetica, 12, false, false, kNone, kRed},
        {"\\highlight1 x", helvetica, 12, false, false, kNone, kRed},
        {"\\highlight1\\highlight0 x", helvetica, 12, false, false, kNone, kNone},
        {"\\cb1\\cb2 x", helvetica, 12, false, false, kNone, kNone}, // white: highlight off
        // Right-to-left and double-byte text take the associated size and style.
        {"\\rtlch\\afs42\\ab\\ltrch\\fs20 x", helvetica, 10, false, false, kNone, kNone},
        {"\\fs20\\rtlch\\afs42\\ab x", helvetica, 21, true, false, kNone, kNone},
        {"\\fs20\\b\\dbch\\afs30\\ab0\\ai x", helvetica, 15, false, true, kNone, kNone},
        {"\\fs20\\dbch\\afs30{\\loch x}", helvetica, 10, false, false, kNone, kNone},
        {"\\fs20\\hich\\afs30\\ab x", helvetica, 10, false, false, kNone, kNone},
        {"{\\rtf1{\\fonttbl\\f0\\fswiss Helvetica;\\f1\\froman Times;}\\f1 x}",
         QStringLiteral("Times"), 12, false, false, kNone, kNone},
        {"{\\rtf1{\\fonttbl{\\f0 "
         "HelveticaNeue-BoldItalic;}}{\\colortbl\\red255\\green0\\blue0;}\\cf0 x}",
         QStringLiteral("Helvetica Neue"), 12, true, true, kRed, kNone},
        {"{\\rtf1{\\fonttbl{\\f0 AvenirNext-DemiBold;}{\\f1 Menlo-Regular;}}\\f1 x}",
         QStringLiteral("Menlo"), 12, false, false, kNone, kNone},
        {"{\\rtf1 x}", QString(), 12, false, false, kNone, kNone},
    };
    for (const FormatCase& expected : cases) {
        const QByteArray document =
            expected.body.startsWith("{\\rtf") ? expected.body : kHeader + expected.body + "}";
        const rtf::ReadResult result = rtf::read(document);
        ASSERT_TRUE(result.ok()) << expected.body.toStdString();
        ASSERT_EQ(result.text.text(), QStringLiteral("x")) << expected.body.toStdString();
        const TextRun& run = result.text.runs().first();
        const TextRun wanted{0,
                             1,
                             expected.family,
                             expected.size,
                             expected.bold,
                             expected.italic,
                             expected.foreground,
                             expected.background};
        EXPECT_EQ(run, wanted) << expected.body.toStdString();
    }
}

} // namespace
} // namespace inkwarden
