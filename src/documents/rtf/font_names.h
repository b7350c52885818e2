#pragma once

#include <QString>

namespace inkwarden::rtf {

// A font table entry's name read as a family plus the style its face implies.
struct FontFace {
    QString family;
    bool bold = false;
    bool italic = false;
};

// Mac programs name faces by PostScript name ("HelveticaNeue-BoldItalic",
// "ArialMT"); this turns such a name into its family and style. Any other
// name comes back as it is, trimmed.
FontFace faceFromFontName(const QString& name);

// The RTF font family control word (without backslash) for a family name.
const char* fontClassFor(const QString& family);

} // namespace inkwarden::rtf
