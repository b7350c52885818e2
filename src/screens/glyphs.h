#pragma once

#include <QColor>
#include <QIcon>
#include <QString>

namespace inkwarden {

// Our own symbol images, drawn from SVG so they stay crisp at any scale and
// look the same on a machine without an icon theme. Names: "text.format",
// "chevron", "bold", "italic", "highlighter", "plus", "trash", "document".
// An unknown name gives a null icon.
QIcon glyph(const QString& name);

// The same symbol painted in `color` (the glyphs are drawn black on clear, so
// any colour, e.g. the palette's text colour in a dark theme, can replace it).
// Rendered at whatever size and device pixel ratio it is asked for; the
// disabled mode is drawn faded.
QIcon glyph(const QString& name, const QColor& color);

} // namespace inkwarden
