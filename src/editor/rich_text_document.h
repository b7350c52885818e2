#pragma once

#include "documents/rich_text.h"

#include <QTextCharFormat>

class QTextDocument;

namespace inkwarden::editor {

// Between the store's rich-text value and Qt's text document. A paragraph
// break (U+000A) is a block boundary in the document; its format lives on
// the block separator, which Qt reports as the next block's char format, so
// both directions keep it exactly.

QTextCharFormat charFormatFor(const TextRun& run);
TextRun runFormatOf(const QTextCharFormat& format);

// The value as the editor shows it: highlighted text black, other text in
// the default colour, every paragraph break a plain U+000A (CR LF, CR and
// U+2029 included).
RichText normalizedForEditing(const RichText& text);

// Replaces the document's contents with `text`, as one undo step.
void loadRichText(QTextDocument& document, const RichText& text);
// With `highlightedLineBreak`, also says whether any paragraph break carries
// a highlight (found on the same walk, so the keystroke walks the text once).
RichText toRichText(const QTextDocument& document, bool* highlightedLineBreak = nullptr);

// No paragraph break may carry a highlight: where a separator has a
// background it is removed and the default text colour restored. Answers
// whether anything changed.
bool removeHighlightsFromLineBreaks(QTextDocument& document);

} // namespace inkwarden::editor
