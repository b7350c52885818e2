#include "rtf_test_support.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace inkwarden {
namespace {

struct ToolRun {
    int exitCode = -1;
    QByteArray output;
    QByteArray errors;
};

ToolRun rtfTool(const QStringList& arguments, const QByteArray& input = {}) {
    QProcess process;
    process.start(QStringLiteral(INKWARDEN_RTF_TOOL), arguments);
    EXPECT_TRUE(process.waitForStarted(10000));
    process.write(input);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(30000));
    const bool crashed = process.exitStatus() != QProcess::NormalExit;
    return ToolRun{crashed ? -1 : process.exitCode(), process.readAllStandardOutput(),
                   process.readAllStandardError()};
}

TEST(RtfToolTest, DecodeEncodeDecodeGivesTheSameJson) {
    QTemporaryDir folder;
    for (const QString& name :
         {QStringLiteral("libreoffice-7.4.rtf"), QStringLiteral("cocoa-style.rtf")}) {
        const ToolRun decoded = rtfTool(
            {QStringLiteral("decode"), QStringLiteral(INKWARDEN_FIXTURES_DIR "/rtf/") + name});
        ASSERT_EQ(decoded.exitCode, 0) << decoded.errors.toStdString();
        EXPECT_TRUE(decoded.output.startsWith("{\"text\": \"Plain "))
            << decoded.output.toStdString();
        EXPECT_TRUE(decoded.output.contains(
            "\"font\": \"Helvetica Neue\", \"size\": 21, \"bold\": true, \"italic\": false"));
        const ToolRun encoded = rtfTool({QStringLiteral("encode")}, decoded.output);
        ASSERT_EQ(encoded.exitCode, 0) << encoded.errors.toStdString();
        QFile written(folder.filePath(name));
        ASSERT_TRUE(written.open(QIODevice::WriteOnly));
        written.write(encoded.output);
        written.close();
        const ToolRun again = rtfTool({QStringLiteral("decode"), written.fileName()});
        EXPECT_EQ(again.output, decoded.output) << name.toStdString();
    }
}

TEST(RtfToolTest, ErrorsGoToStandardErrorWithStatusOne) {
    QTemporaryDir folder;
    QFile notRtf(folder.filePath(QStringLiteral("notes.rtf")));
    ASSERT_TRUE(notRtf.open(QIODevice::WriteOnly));
    notRtf.write("plain text");
    notRtf.close();
    const QByteArray run = R"("font": "Menlo", "size": 12, "bold": false, "italic": false, )"
                           R"("foreground": null, "background": null)";
    const QList<std::pair<QStringList, QByteArray>> cases = {
        {{}, {}},
        {{QStringLiteral("decode")}, {}},
        {{QStringLiteral("decode"), folder.filePath(QStringLiteral("missing.rtf"))}, {}},
        {{QStringLiteral("decode"), notRtf.fileName()}, {}},
        {{QStringLiteral("encode")}, "not json"},
        {{QStringLiteral("encode")},
         R"({"text": "ab", "runs": [{"start": 0, "length": 1, )" + run + "}]}"},
        {{QStringLiteral("encode")},
         R"({"text": "ab", "runs": [{"start": 0, "length": 2, "font": 3}]})"},
        {{QStringLiteral("encode")},
         R"({"text": "a", "runs": [{"start": 0, "length": 1, )" + run + R"(, "extra": 1}]})"},
    };
    for (const auto& [arguments, input] : cases) {
        const ToolRun result = rtfTool(arguments, input);
        EXPECT_EQ(result.exitCode, 1) << arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(result.output.isEmpty());
        EXPECT_FALSE(result.errors.trimmed().isEmpty());
    }
    const ToolRun notRtfRun = rtfTool({QStringLiteral("decode"), notRtf.fileName()});
    EXPECT_TRUE(notRtfRun.errors.contains("This file is not an RTF document."));
}

} // namespace
} // namespace inkwarden
