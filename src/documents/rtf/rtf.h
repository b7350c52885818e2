#pragma once

#include "documents/rich_text.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

namespace inkwarden::rtf {

// Standard RTF for `text`: an ASCII-only file that other word processors open
// with fonts, sizes, bold, italic and highlights intact. Like theirs, it ends
// with a paragraph mark, which read() takes as the end of the last paragraph.
// Answers nothing only for a value that cannot be written (runs that do not
// cover the text).
std::optional<QByteArray> write(const RichText& text);

struct ReadResult {
    RichText text; // maximal runs covering the whole text
    QString error; // empty on success; otherwise a user-readable message
    bool ok() const { return error.isEmpty(); }
};

// Reads what this program and other programs write; a paragraph mark at the
// very end of a document adds no empty paragraph. Never crashes, hangs or
// allocates far beyond the input; input that is not RTF, nests too deeply or
// is truncated past repair gives an error. Fonts past the thousandth and
// colours past the 4,096th in their tables read as the default font and no colour.
// With `maxCharacters` set, a document whose text grows past it gives an
// error as soon as it does, without reading (or holding) the rest; with
// `maxParagraphs` set, likewise for more paragraphs than that.
ReadResult read(QByteArrayView bytes, qsizetype maxCharacters = -1, qsizetype maxParagraphs = -1);

// What read(*write(text)).text gives back. It equals `text` for every value
// the editor makes (plain runs without colours; highlighted runs with black
// text on a background), because those are already in this form:
// - a run with a background but no text colour gets black text, so readers
//   never draw their own (possibly light) default colour on a highlight;
// - a white background is no highlight, as Mac programs write it;
// - colours are opaque and sizes are whole half points from 0.5 to 1638;
// - a PostScript face name ("Menlo-Bold") becomes its family plus style;
// - runs are maximal and lone UTF-16 surrogates become U+FFFD.
RichText asWritten(const RichText& text);

} // namespace inkwarden::rtf
