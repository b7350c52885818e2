#include "editor/rich_text_document.h"

#include <QHash>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace inkwarden::editor {
namespace {

QString familyOf(const QTextCharFormat& format) {
    const QStringList families = format.fontFamilies().toStringList();
    return families.isEmpty() ? format.stringProperty(QTextFormat::FontFamily) : families.first();
}

std::optional<QRgb> colorOf(const QTextCharFormat& format, QTextFormat::Property property) {
    if (!format.hasProperty(property))
        return std::nullopt;
    return format.brushProperty(property).color().rgb();
}

void insertPlain(QTextCursor& cursor, QStringView text, const QTextCharFormat& format) {
    qsizetype start = 0;
    for (qsizetype index = 0; index <= text.size(); ++index) {
        if (index < text.size() && text[index] != u'\n')
            continue;
        if (index > start)
            cursor.insertText(text.mid(start, index - start).toString(), format);
        if (index < text.size())
            cursor.insertBlock(QTextBlockFormat(), format);
        start = index + 1;
    }
}

} // namespace

QTextCharFormat charFormatFor(const TextRun& run) {
    QTextCharFormat format;
    format.setFontFamilies(QStringList{run.fontFamily});
    if (run.pointSize > 0)
        format.setFontPointSize(run.pointSize);
    format.setFontWeight(run.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(run.italic);
    if (run.foreground)
        format.setForeground(QColor::fromRgb(*run.foreground));
    if (run.background)
        format.setBackground(QColor::fromRgb(*run.background));
    return format;
}

TextRun runFormatOf(const QTextCharFormat& format) {
    TextRun run;
    run.fontFamily = familyOf(format);
    run.pointSize = format.fontPointSize();
    run.bold = format.fontWeight() > QFont::Medium;
    run.italic = format.fontItalic();
    run.foreground = colorOf(format, QTextFormat::ForegroundBrush);
    run.background = colorOf(format, QTextFormat::BackgroundBrush);
    return run;
}

RichText normalizedForEditing(const RichText& text) {
    RichTextBuilder builder;
    const QStringView all(text.text());
    bool afterCarriageReturn = false;
    for (const TextRun& run : text.runs()) {
        TextRun format = run;
        format.foreground = run.background ? std::optional<QRgb>(qRgb(0, 0, 0)) : std::nullopt;
        TextRun lineBreak = run;
        lineBreak.foreground.reset();
        lineBreak.background.reset();
        const QStringView piece = all.mid(run.start, run.length);
        qsizetype start = 0;
        for (qsizetype index = 0; index <= piece.size(); ++index) {
            const QChar c = index < piece.size() ? piece[index] : QChar();
            const bool isBreak = c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator;
            if (index < piece.size() && !isBreak) {
                afterCarriageReturn = false;
                continue;
            }
            if (index > start)
                builder.append(piece.mid(start, index - start), format);
            // Every kind of paragraph break becomes one U+000A; CR LF is one break.
            if (isBreak && !(c == u'\n' && afterCarriageReturn))
                builder.append(u"\n", lineBreak);
            afterCarriageReturn = c == u'\r';
            start = index + 1;
        }
    }
    return builder.take();
}

void loadRichText(QTextDocument& document, const RichText& text) {
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    if (!text.runs().isEmpty())
        cursor.setBlockCharFormat(charFormatFor(text.runs().first()));
    const QStringView all(text.text());
    for (const TextRun& run : text.runs())
        insertPlain(cursor, all.mid(run.start, run.length), charFormatFor(run));
    cursor.endEditBlock();
}

// Runs every keystroke over the whole document, so it avoids the costly
// parts: each of the document's few formats is converted once, and each
// block's text is copied once rather than fragment by fragment.
RichText toRichText(const QTextDocument& document, bool* highlightedLineBreak) {
    RichTextBuilder builder;
    builder.reserve(document.characterCount());
    builder.reserveRuns(document.blockCount() * 2);
    QHash<int, TextRun> runFormats;
    // The format itself is only fetched (a lookup of its own) the first time its index is met.
    const auto runFormat = [&runFormats](int index, const auto& format) -> const TextRun& {
        auto found = runFormats.constFind(index);
        if (found == runFormats.cend())
            found = runFormats.insert(index, runFormatOf(format()));
        return *found;
    };
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block != document.begin()) {
            const TextRun& separator =
                runFormat(block.charFormatIndex(), [&block] { return block.charFormat(); });
            builder.append(u"\n", separator);
            if (highlightedLineBreak && separator.background)
                *highlightedLineBreak = true;
        }
        if (block.length() == 1)
            continue; // empty: finding its text and fragments would cost two tree walks
        // Fragments follow one another through the block's text; finding each
        // one's position in the document instead costs a tree walk apiece.
        const QString text = block.text();
        qsizetype offset = 0;
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextFragment piece = fragment.fragment();
            builder.append(
                QStringView(text).mid(offset, piece.length()),
                runFormat(piece.charFormatIndex(), [&piece] { return piece.charFormat(); }));
            offset += piece.length();
        }
    }
    return builder.take();
}

bool removeHighlightsFromLineBreaks(QTextDocument& document) {
    bool changed = false;
    for (QTextBlock block = document.begin().next(); block.isValid(); block = block.next()) {
        QTextCharFormat format = block.charFormat();
        if (!format.hasProperty(QTextFormat::BackgroundBrush))
            continue;
        format.clearBackground();
        format.clearForeground();
        QTextCursor separator(&document);
        separator.setPosition(block.position() - 1);
        separator.setPosition(block.position(), QTextCursor::KeepAnchor);
        separator.setCharFormat(format);
        changed = true;
    }
    return changed;
}

} // namespace inkwarden::editor
