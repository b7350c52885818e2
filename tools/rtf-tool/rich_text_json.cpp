#include "rich_text_json.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace inkwarden {
namespace {

const QStringList kRunKeys = {QStringLiteral("start"),      QStringLiteral("length"),
                              QStringLiteral("font"),       QStringLiteral("size"),
                              QStringLiteral("bold"),       QStringLiteral("italic"),
                              QStringLiteral("foreground"), QStringLiteral("background")};

void appendString(QByteArray& out, QStringView text) {
    out.append('"');
    for (qsizetype index = 0; index < text.size(); ++index) {
        const char16_t unit = text[index].unicode();
        const bool pairStart = QChar::isHighSurrogate(unit) && index + 1 < text.size() &&
                               text[index + 1].isLowSurrogate();
        if (unit == u'"' || unit == u'\\') {
            out.append('\\').append(char(unit));
        } else if (unit == u'\n') {
            out.append("\\n");
        } else if (unit == u'\t') {
            out.append("\\t");
        } else if (unit < 0x20 || (QChar::isSurrogate(unit) && !pairStart)) {
            out.append(QStringLiteral("\\u%1").arg(int(unit), 4, 16, QLatin1Char('0')).toLatin1());
        } else {
            out.append(text.mid(index, pairStart ? 2 : 1).toUtf8());
            index += pairStart ? 1 : 0;
        }
    }
    out.append('"');
}

QByteArray colorJson(const std::optional<QRgb>& color) {
    if (!color)
        return "null";
    return QStringLiteral("\"%1\"").arg(QColor(*color).name(QColor::HexRgb).toUpper()).toLatin1();
}

QByteArray numberJson(double value) {
    return QString::number(value, 'g', QLocale::FloatingPointShortest).toLatin1();
}

void appendRun(QByteArray& out, const TextRun& run) {
    out.append("{\"start\": ").append(QByteArray::number(run.start));
    out.append(", \"length\": ").append(QByteArray::number(run.length));
    out.append(", \"font\": ");
    appendString(out, run.fontFamily);
    out.append(", \"size\": ").append(numberJson(run.pointSize));
    out.append(", \"bold\": ").append(run.bold ? "true" : "false");
    out.append(", \"italic\": ").append(run.italic ? "true" : "false");
    out.append(", \"foreground\": ").append(colorJson(run.foreground));
    out.append(", \"background\": ").append(colorJson(run.background));
    out.append('}');
}

bool readColor(const QJsonValue& value, std::optional<QRgb>& color) {
    static const QRegularExpression pattern(QStringLiteral("^#[0-9A-Fa-f]{6}$"));
    if (value.isNull()) {
        color.reset();
        return true;
    }
    if (!value.isString() || !pattern.match(value.toString()).hasMatch())
        return false;
    color = QColor(value.toString()).rgb();
    return true;
}

bool readOffset(const QJsonValue& value, qsizetype& offset) {
    const double number = value.toDouble(-1);
    if (!value.isDouble() || number < 0 || number > 1e15 || number != std::floor(number))
        return false;
    offset = qsizetype(number);
    return true;
}

std::optional<TextRun> readRun(const QJsonValue& value, QString& error) {
    const QJsonObject object = value.toObject();
    TextRun run;
    for (const QString& key : object.keys()) {
        if (!kRunKeys.contains(key))
            error = QStringLiteral("a run has an unknown key \"%1\"").arg(key);
    }
    for (const QString& key : kRunKeys) {
        if (!object.contains(key))
            error = QStringLiteral("a run lacks \"%1\"").arg(key);
    }
    if (!error.isEmpty())
        return std::nullopt;
    const QJsonValue size = object.value(QStringLiteral("size"));
    run.fontFamily = object.value(QStringLiteral("font")).toString();
    run.pointSize = size.toDouble();
    run.bold = object.value(QStringLiteral("bold")).toBool();
    run.italic = object.value(QStringLiteral("italic")).toBool();
    const bool valid = readOffset(object.value(QStringLiteral("start")), run.start) &&
                       readOffset(object.value(QStringLiteral("length")), run.length) &&
                       object.value(QStringLiteral("font")).isString() && size.isDouble() &&
                       run.pointSize > 0 && object.value(QStringLiteral("bold")).isBool() &&
                       object.value(QStringLiteral("italic")).isBool() &&
                       readColor(object.value(QStringLiteral("foreground")), run.foreground) &&
                       readColor(object.value(QStringLiteral("background")), run.background);
    if (!valid)
        error = QStringLiteral("a run has a value of the wrong kind");
    return valid ? std::optional<TextRun>(run) : std::nullopt;
}

} // namespace

QByteArray richTextToJson(const RichText& text) {
    QByteArray out("{\"text\": ");
    appendString(out, text.text());
    out.append(", \"runs\": [");
    for (qsizetype index = 0; index < text.runs().size(); ++index) {
        if (index > 0)
            out.append(", ");
        appendRun(out, text.runs()[index]);
    }
    out.append("]}\n");
    return out;
}

std::optional<RichText> richTextFromJson(QByteArrayView json, QString& error) {
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json.toByteArray(), &parseError);
    const QJsonObject root = document.object();
    if (document.isNull() || !document.isObject()) {
        error = QStringLiteral("not a JSON object: %1").arg(parseError.errorString());
        return std::nullopt;
    }
    if (!root.value(QStringLiteral("text")).isString() ||
        !root.value(QStringLiteral("runs")).isArray() || root.size() != 2) {
        error =
            QStringLiteral("expected exactly the keys \"text\" (a string) and \"runs\" (a list)");
        return std::nullopt;
    }
    QList<TextRun> runs;
    for (const QJsonValue& value : root.value(QStringLiteral("runs")).toArray()) {
        std::optional<TextRun> run = readRun(value, error);
        if (!run)
            return std::nullopt;
        runs.append(*run);
    }
    RichText text(root.value(QStringLiteral("text")).toString(), runs);
    if (!text.runsCoverText()) {
        error = QStringLiteral("the runs do not cover the text in order without gaps");
        return std::nullopt;
    }
    return text;
}

} // namespace inkwarden
