#pragma once

#include "documents/rich_text.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace inkwarden::rtf {

// Standard RTF for `text`: an ASCII-only file that other word processors open
// with fonts, sizes, bold, italic and highlights intact. Answers nothing only
// for a value that cannot be written (runs that do not cover the text).
std::optional<QByteArray> write(const RichText& text);

struct ReadResult {
    RichText text;      // maximal runs covering the whole text
    QString error;      // empty on success; otherwise a user-readable message
    bool ok() const { return error.isEmpty(); }
};

// Reads what this program and other programs write. Never crashes, hangs or
// allocates far beyond the input; input that is not RTF, nests too deeply or
// is truncated past repair gives an error.
ReadResult read(QByteArrayView bytes);

} // namespace inkwarden::rtf
