// rtf-tool: prints an RTF file as JSON (decode) and turns that JSON back into
// RTF (encode), using the program's own reader and writer.

#include "documents/rtf/rtf.h"
#include "rich_text_json.h"

#include <QFile>
#include <cstdio>

namespace {

using namespace inkwarden;

int fail(const QString& message) {
    std::fprintf(stderr, "rtf-tool: %s\n", qPrintable(message));
    return 1;
}

bool writeStandardOutput(const QByteArray& bytes) {
    return std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout) ==
               std::size_t(bytes.size()) &&
           std::fflush(stdout) == 0;
}

int decode(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return fail(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    const rtf::ReadResult result = rtf::read(bytes);
    if (!result.ok())
        return fail(QStringLiteral("%1: %2").arg(path, result.error));
    return writeStandardOutput(richTextToJson(result.text)) ? 0
                                                            : fail(QStringLiteral("cannot write"));
}

int encode() {
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read standard input"));
    QString error;
    const std::optional<RichText> text = richTextFromJson(input.readAll(), error);
    if (!text)
        return fail(error);
    const std::optional<QByteArray> rtf = rtf::write(*text);
    if (!rtf)
        return fail(QStringLiteral("the text cannot be written as RTF"));
    return writeStandardOutput(*rtf) ? 0 : fail(QStringLiteral("cannot write"));
}

} // namespace

int main(int argc, char** argv) {
    const QString command = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (command == QLatin1StringView("decode") && argc == 3)
        return decode(QString::fromLocal8Bit(argv[2]));
    if (command == QLatin1StringView("encode") && argc == 2)
        return encode();
    std::fprintf(stderr, "usage: rtf-tool decode FILE   (prints the document as JSON)\n"
                         "       rtf-tool encode        (JSON on standard input, RTF out)\n");
    return 1;
}
