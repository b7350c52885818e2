#pragma once

#include <QIcon>
#include <QString>

namespace inkwarden {

// Our own symbol images, drawn from SVG so they stay crisp at any scale and
// look the same on a machine without an icon theme. Names: "text.format",
// "chevron", "bold", "italic", "highlighter", "plus", "trash", "document".
QIcon glyph(const QString& name);

} // namespace inkwarden
