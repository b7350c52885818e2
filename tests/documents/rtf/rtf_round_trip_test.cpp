#include "documents/rtf/rtf.h"
#include "support/file_bytes.h"
#include "support/rich_text_printer.h"

#include <QProcess>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

namespace inkwarden {
namespace {

using namespace Qt::StringLiterals;

constexpr QRgb kBlack = 0xFF000000;

TextRun run(qsizetype start, qsizetype length, const QString& family = u"Menlo"_s, double size = 12,
            bool bold = false, bool italic = false, std::optional<QRgb> fg = {},
            std::optional<QRgb> bg = {}) {
    return TextRun{start, length, family, size, bold, italic, fg, bg};
}

TEST(RtfWriterTest, WritesTheControlWordsOtherWordProcessorsRead) {
    const QString text = u"hi2xé€日\U0001F600{}\\\t\u2028\n;"_s + QString(300, u'x');
    const RichText document(text, {run(0, 2, u"Georgia"_s, 21, true, false, kBlack, 0xFFFFCC47),
                                   run(2, 2, u"Avenir Next"_s, 14, false, true),
                                   run(4, text.size() - 4)});
    const QByteArray bytes = *rtf::write(document);
    for (const char* expected :
         {"{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl{\\f0\\froman\\fcharset0 Georgia;}"
          "{\\f1\\fswiss\\fcharset0 Avenir Next;}{\\f2\\fmodern\\fcharset0 Menlo;}}\n"
          "{\\colortbl;\\red0\\green0\\blue0;\\red255\\green204\\blue71;}\n",
          // LibreOffice reads \chcbpat (with \chshdng0), AbiWord and smaller readers \cb;
          // LibreOffice takes right-to-left text's format from after \hich.
          "{\\hich\\af0\\afs42\\ab\\loch\\f0\\fs42\\b\\cf1\\chshdng0\\chcbpat2\\cb2 hi}",
          "{\\hich\\af1\\afs28\\ai\\loch\\f1\\fs28\\i 2x}",
          // \uN with a Windows-1252 fallback keeps the file ASCII.
          "{\\hich\\af2\\afs24\\loch\\f2\\fs24\\u233\\'e9\\u8364\\'80\\u26085\\'3f\\u-10179\\'3f"
          "\\u-8704\\'3f\\{\\}\\\\\\tab\\line\\par\n;xx"})
        EXPECT_TRUE(bytes.contains(expected)) << expected << " not in\n" << bytes.toStdString();
    EXPECT_FALSE(bytes.contains("\\highlight"));
    for (const QByteArray& line : bytes.split('\n'))
        EXPECT_LE(line.size(), 220) << "a long word is broken across lines";
    EXPECT_EQ(rtf::read(bytes).text, document);
    // Even an empty document has a paragraph mark: AbiWord opens none without one.
    EXPECT_TRUE(rtf::write(RichText())->endsWith("\\par\n}\n"));
    EXPECT_EQ(rtf::read(*rtf::write(RichText())).text, RichText());
    // Long enough that the writer's buffer must grow many times over.
    const RichText longText(QString(200000, u'日'), {run(0, 200000)});
    EXPECT_TRUE(rtf::read(*rtf::write(longText)).text == longText);
}

TEST(RtfWriterTest, WritesWhatAsWrittenSaysAndRefusesRunsThatDoNotCoverTheText) {
    const QList<std::pair<RichText, RichText>> cases = {
        // A highlight gets black text, so that no reader draws its own (maybe light) default;
        // white behind text is no highlight, and colours are opaque.
        {RichText(u"ab"_s, {run(0, 1, u"Menlo"_s, 12, false, false, {}, 0xFFFFCC47),
                            run(1, 1, u"Menlo"_s, 12, false, false, 0x80123456, 0xFFFFFFFF)}),
         RichText(u"ab"_s, {run(0, 1, u"Menlo"_s, 12, false, false, kBlack, 0xFFFFCC47),
                            run(1, 1, u"Menlo"_s, 12, false, false, 0xFF123456)})},
        // A PostScript name is a family and a style, sizes are whole half points up to 1638,
        // and a lone surrogate becomes U+FFFD.
        {RichText(u"ab\xD800"_s, {run(0, 1, u"Menlo-Bold"_s, 10.3), run(1, 1, u"Menlo"_s, 5000),
                                  run(2, 1, u"Menlo"_s, std::nan(""))}),
         RichText(u"ab\uFFFD"_s,
                  {run(0, 1, u"Menlo"_s, 10.5, true), run(1, 1, u"Menlo"_s, 1638), run(2, 1)})},
        // Empty runs and equal neighbours come back merged.
        {RichText(u"abcd"_s, {run(0, 0), run(0, 2), run(2, 2)}), RichText(u"abcd"_s, {run(0, 4)})},
    };
    for (const auto& [written, expected] : cases) {
        EXPECT_EQ(rtf::asWritten(written), expected) << ::testing::PrintToString(written.runs());
        EXPECT_EQ(rtf::read(*rtf::write(written)).text, expected);
    }
    EXPECT_FALSE(cases.last().first.hasMaximalRuns());
    for (const QList<TextRun>& runs : {QList<TextRun>{run(0, 3)},
                                       {run(0, 2), run(3, 1)},
                                       {run(0, 3), run(2, 2)},
                                       {run(0, -1), run(0, 5)}})
        EXPECT_FALSE(rtf::write(RichText(u"abcd"_s, runs))) << ::testing::PrintToString(runs);
}

// rtf-tool's exit status (-1 for a crash) and standard output, or standard error when it fails.
std::pair<int, QByteArray> rtfTool(const QStringList& arguments, const QByteArray& input = {}) {
    QProcess process;
    process.start(QStringLiteral(INKWARDEN_RTF_TOOL), arguments);
    process.write(input);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(30000));
    const QByteArray output = process.readAllStandardOutput();
    EXPECT_TRUE(process.exitCode() == 0 || output.isEmpty()) << "a failure prints no result";
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.exitCode() == 0 ? output : process.readAllStandardError()};
}

TEST(RtfToolTest, DecodeEncodeDecodeGivesTheSameJsonAndErrorsGoToStandardError) {
    const QString fixtures = QStringLiteral(INKWARDEN_FIXTURES_DIR "/rtf/");
    const auto [status, json] = rtfTool({u"decode"_s, fixtures + u"cocoa-style.rtf"_s});
    ASSERT_EQ(status, 0) << json.toStdString();
    EXPECT_TRUE(json.contains(R"("foreground": "#000000", "background": "#FFCC47"})"));
    QTemporaryDir folder;
    testing::writeBytes(folder.filePath(u"again.rtf"_s), rtfTool({u"encode"_s}, json).second);
    EXPECT_EQ(rtfTool({u"decode"_s, folder.filePath(u"again.rtf"_s)}), std::pair(0, json));
    const auto [failed, message] = rtfTool({u"encode"_s}, R"({"text": "ab", "runs": []})");
    EXPECT_TRUE(failed == 1 && message.startsWith("rtf-tool: the runs do not cover the text"));
}

} // namespace
} // namespace inkwarden
