#include "documents/rtf/rtf.h"
#include "rtf_test_support.h"

#include <gtest/gtest.h>
#include <random>

namespace inkwarden {
namespace {

const QString kEmpty = QStringLiteral("This file is empty.");
const QString kNotRtf = QStringLiteral("This file is not an RTF document.");
const QString kTooDeep = QStringLiteral("This RTF document is nested too deeply to open.");
const QString kDamaged = QStringLiteral("This RTF document is damaged.");

QByteArray nested(int depth, const QByteArray& inside) {
    return "{\\rtf1 " + QByteArray(depth, '{') + inside + QByteArray(depth, '}') + "}";
}

TEST(RtfBadInputTest, RefusesWhatCannotBeReadWithAClearMessage) {
    const QList<std::pair<QByteArray, QString>> cases = {
        {"", kEmpty},
        {" \r\n\t", kEmpty},
        {"\xEF\xBB\xBF", kEmpty},
        {"Hello, world", kNotRtf},
        {"{\\rt", kNotRtf},
        {"{\\RTF1 x}", kNotRtf},
        {QByteArray("PK\x03\x04\0\0", 6), kNotRtf},
        {"x{\\rtf1 a}", kNotRtf},
        {nested(999, "deep"), QString()}, // 1,000 groups in all: the limit
        {nested(1000, "deep"), kTooDeep},
        {nested(100000, "deep"), kTooDeep},
        {"{\\rtf1 a\\bin999999999 xyz}", kDamaged},
        {"{\\rtf1 a\\bin99999999999999999999999 xyz}", kDamaged},
        {"{\\rtf1 a\\bin4 xyz", kDamaged},
    };
    for (const auto& [bytes, error] : cases) {
        const rtf::ReadResult result = rtf::read(bytes);
        EXPECT_EQ(result.error, error) << bytes.left(60).toStdString();
        if (!error.isEmpty()) {
            EXPECT_TRUE(result.text.isEmpty() && result.text.runs().isEmpty());
        }
    }
}

TEST(RtfBadInputTest, AnOptionalLimitOnTheTextStopsReadingPastIt) {
    const QString tooLong = QStringLiteral(
        "This document is longer than 10 characters, the most Inkwarden can open.");
    // Ten characters, counted after the last paragraph mark is dropped, and
    // counted also when they come as \u escapes or are skipped destinations.
    EXPECT_EQ(rtf::read("{\\rtf1 abcde\\par fghi\\par}", 10).text.text(), QStringLiteral("abcde\nfghi"));
    EXPECT_EQ(rtf::read("{\\rtf1 abcdefghij}", 10).text.text(), QStringLiteral("abcdefghij"));
    EXPECT_EQ(rtf::read("{\\rtf1 abcdefghijk}", 10).error, tooLong);
    EXPECT_EQ(rtf::read("{\\rtf1 abcdefghij\\u955?}", 10).error, tooLong);
    EXPECT_TRUE(rtf::read("{\\rtf1 abcdefghij{\\*\\comment long hidden words}}", 10).ok());
    EXPECT_TRUE(rtf::read("{\\rtf1 abcdefghijk}").ok());
}

TEST(RtfBadInputTest, FilesThatEndEarlyOpenWithTheTextTheyHave) {
    const QList<std::pair<QByteArray, QString>> cases = {
        {"{\\rtf1", QString()},
        {"\xEF\xBB\xBF\n {\\rtf1 {\\b bold", QStringLiteral("bold")},
        {"{\\rtf1 abc\\", QStringLiteral("abc")},
        {"{\\rtf1 abc\\'4", QStringLiteral("abc")},
        {"{\\rtf1 a\\u233", QStringLiteral("aé")},
        {"{\\rtf1 {\\fonttbl{\\f0 Georgia", QString()},
        {"{\\rtf1 done} trailing {\\b text}", QStringLiteral("done")},
        {"{\\rtf1 a}}}}b", QStringLiteral("a")},
    };
    for (const auto& [bytes, text] : cases) {
        const rtf::ReadResult result = rtf::read(bytes);
        EXPECT_TRUE(result.ok()) << bytes.toStdString();
        EXPECT_EQ(result.text.text(), text) << bytes.toStdString();
        EXPECT_TRUE(result.text.hasMaximalRuns() || result.text.isEmpty());
    }
}

TEST(RtfBadInputTest, OversizedNumbersAndNamesAreKeptInBounds) {
    const QList<std::pair<QByteArray, QString>> cases = {
        {"{\\rtf1 \\fs99999999999999999999 x}", QStringLiteral("x")},
        {"{\\rtf1 \\fs-2147483649 x}", QStringLiteral("x")},
        {"{\\rtf1 \\u99999999999 ?x\\u-99999 ?y}", QStringLiteral("\uFFFDx\uFFFDy")},
        {"{\\rtf1 \\uc99999999999 \\u233 abc}", QStringLiteral("é")},
        {"{\\rtf1 \\uc-5 \\u233 abc}", QStringLiteral("éabc")},
        {"{\\rtf1 \\" + QByteArray(100000, 'a') + " x}", QStringLiteral("x")},
        {"{\\rtf1 \\b" + QByteArray(100000, '9') + " x}", QStringLiteral("x")},
        {"{\\rtf1 {\\colortbl;\\red999\\green-4\\blue99999999999;}\\cf1 x}", QStringLiteral("x")},
    };
    for (const auto& [bytes, text] : cases) {
        const rtf::ReadResult result = rtf::read(bytes);
        ASSERT_TRUE(result.ok()) << bytes.left(60).toStdString();
        EXPECT_EQ(result.text.text(), text) << bytes.left(60).toStdString();
    }
    EXPECT_EQ(rtf::read("{\\rtf1 \\fs99999999999999999999 x}").text.runs().first().pointSize, 1638);
    EXPECT_EQ(rtf::read("{\\rtf1 {\\colortbl;\\red999\\green-4\\blue300;}\\cf1 x}")
                  .text.runs()
                  .first()
                  .foreground,
              std::optional<QRgb>(0xFFFF00FF));
}

// Garbage made of RTF's own pieces reaches far more of the reader than random bytes.
QByteArray garbage(std::mt19937& random) {
    static const QList<QByteArray> pieces = {"{",
                                             "}",
                                             "\\",
                                             "\\'",
                                             "\\'8",
                                             "\\'e9",
                                             "\\u",
                                             "\\u-",
                                             "\\u55357 ",
                                             "\\uc",
                                             "\\uc3 ",
                                             "\\bin",
                                             "\\bin2 ",
                                             "\\*",
                                             "\\fonttbl",
                                             "\\colortbl",
                                             "\\f",
                                             "\\f1",
                                             "\\fcharset128 ",
                                             "\\red",
                                             "\\cf",
                                             "\\cb1",
                                             "\\highlight",
                                             "\\upr",
                                             "\\ud",
                                             "\\par",
                                             "\\pict",
                                             "\\fldrslt",
                                             ";",
                                             "text ",
                                             "\r\n",
                                             QByteArray("\0\xff\x80", 3),
                                             "\\ansicpg932",
                                             "\\plain",
                                             "\\b0"};
    QByteArray bytes = "{\\rtf1";
    for (int count = int(random() % 200); count > 0; --count)
        bytes += pieces[random() % pieces.size()];
    return bytes;
}

TEST(RtfBadInputTest, RandomGarbageNeverBreaksTheReaderOrTheRoundTrip) {
    std::mt19937 random(20261206);
    for (int index = 0; index < 3000; ++index) {
        const QByteArray bytes = garbage(random);
        const rtf::ReadResult result = rtf::read(bytes);
        if (!result.ok())
            continue;
        ASSERT_TRUE(result.text.hasMaximalRuns() || result.text.isEmpty()) << bytes.toStdString();
        ASSERT_LE(result.text.length(), bytes.size());
        const rtf::ReadResult again = rtf::read(*rtf::write(result.text));
        ASSERT_EQ(again.text, rtf::asWritten(result.text)) << bytes.toStdString();
    }
}

} // namespace
} // namespace inkwarden
