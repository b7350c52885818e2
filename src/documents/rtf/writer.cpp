#include "documents/rtf/font_names.h"
#include "documents/rtf/output.h"
#include "documents/rtf/rtf.h"

#include <cmath>

namespace inkwarden::rtf {
namespace {

constexpr int kDefaultHalfPoints = 24;
constexpr int kMaxHalfPoints = 3276;
constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kWhite = 0xFFFFFFFF;

int halfPointsFor(double pointSize) {
    if (!(pointSize > 0) || !std::isfinite(pointSize))
        return kDefaultHalfPoints;
    if (pointSize * 2 >= kMaxHalfPoints)
        return kMaxHalfPoints;
    return qMax(1, qRound(pointSize * 2));
}

QRgb opaque(QRgb color) {
    return color | 0xFF000000;
}

// The colours a run is written with: white behind text is no highlight, and a
// highlight always gets an explicit text colour (black unless one is given),
// because readers otherwise draw their default text colour, which may be light.
struct RunColors {
    std::optional<QRgb> foreground;
    std::optional<QRgb> background;
};

RunColors colorsFor(const TextRun& run) {
    RunColors colors;
    if (run.background && opaque(*run.background) != kWhite)
        colors.background = opaque(*run.background);
    if (run.foreground)
        colors.foreground = opaque(*run.foreground);
    else if (colors.background)
        colors.foreground = kBlack;
    return colors;
}

// The fonts and colours a document uses, numbered in order of first use.
struct Tables {
    QList<QString> families;
    QList<QRgb> colors; // entry 0 of the written table is "auto" and not listed here

    explicit Tables(const RichText& text) {
        for (const TextRun& run : text.runs()) {
            if (!families.contains(run.fontFamily))
                families.append(run.fontFamily);
            const RunColors runColors = colorsFor(run);
            for (const auto& color : {runColors.foreground, runColors.background}) {
                if (color && !colors.contains(*color))
                    colors.append(*color);
            }
        }
    }
    qint64 colorNumber(QRgb color) const { return colors.indexOf(color) + 1; }
};

void writeTables(const Tables& tables, Output& output) {
    output.raw("{\\fonttbl");
    for (qsizetype index = 0; index < tables.families.size(); ++index) {
        const QString& family = tables.families[index];
        output.raw("{");
        output.word("f", index);
        output.word(fontClassFor(family));
        output.word("fcharset", 0);
        output.text(family, true);
        output.raw(";}");
    }
    output.raw("}\n{\\colortbl;");
    for (const QRgb color : tables.colors) {
        output.word("red", qRed(color));
        output.word("green", qGreen(color));
        output.word("blue", qBlue(color));
        output.raw(";");
    }
    output.raw("}\n");
}

void writeFormat(const TextRun& run, const Tables& tables, Output& output) {
    const qint64 font = tables.families.indexOf(run.fontFamily);
    const int halfPoints = halfPointsFor(run.pointSize);
    // LibreOffice gives Hebrew and Arabic text the associated (\a...) format,
    // which it takes from after \hich; \loch returns to Latin text.
    output.word("hich");
    output.word("af", font);
    output.word("afs", halfPoints);
    if (run.bold)
        output.word("ab");
    if (run.italic)
        output.word("ai");
    output.word("loch");
    output.word("f", font);
    output.word("fs", halfPoints);
    if (run.bold)
        output.word("b");
    if (run.italic)
        output.word("i");
    const RunColors colors = colorsFor(run);
    if (colors.foreground)
        output.word("cf", tables.colorNumber(*colors.foreground));
    if (colors.background) {
        // LibreOffice reads \chcbpat (with \chshdng0), AbiWord and smaller readers \cb.
        const qint64 number = tables.colorNumber(*colors.background);
        output.word("chshdng", 0);
        output.word("chcbpat", number);
        output.word("cb", number);
    }
}

// Each run is its own group that states its whole format, so nothing needs
// switching off and every reader starts each run from the same defaults. The
// last run ends with the document's closing paragraph mark.
void writeRun(const RichText& text, const TextRun& run, bool last, const Tables& tables,
              Output& output) {
    if (run.length == 0 && !last)
        return;
    output.breakLineBeforeGroup();
    output.raw("{");
    writeFormat(run, tables, output);
    output.text(QStringView(text.text()).mid(run.start, run.length), false);
    if (last)
        output.text(u"\n", false);
    output.raw("}");
}

} // namespace

std::optional<QByteArray> write(const RichText& text) {
    if (!text.runsCoverText())
        return std::nullopt;
    const Tables tables(text);
    Output output(text.length() * 2 + text.runs().size() * 96 + 1024);
    output.raw("{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n");
    writeTables(tables, output);
    // Word processors end every paragraph, the last one too, with a mark; some
    // (AbiWord) open no document without one, however empty.
    const QList<TextRun>& runs = text.runs();
    qsizetype last = runs.size() - 1;
    while (last > 0 && runs[last].length == 0)
        --last;
    for (qsizetype index = 0; index < runs.size(); ++index)
        writeRun(text, runs[index], index == last, tables, output);
    output.raw(runs.isEmpty() ? "\\par\n}\n" : "}\n");
    return output.take();
}

RichText asWritten(const RichText& text) {
    if (!text.runsCoverText())
        return text;
    RichTextBuilder builder;
    for (const TextRun& run : text.runs()) {
        TextRun format = run;
        const FontFace face = faceFromFontName(run.fontFamily);
        format.fontFamily = face.family;
        format.bold = run.bold || face.bold;
        format.italic = run.italic || face.italic;
        format.pointSize = halfPointsFor(run.pointSize) / 2.0;
        const RunColors colors = colorsFor(run);
        format.foreground = colors.foreground;
        format.background = colors.background;
        builder.append(QStringView(text.text()).mid(run.start, run.length), format);
    }
    builder.replaceLoneSurrogates();
    return builder.take();
}

} // namespace inkwarden::rtf
