#include "screens/glyphs.h"

namespace inkwarden {

QIcon glyph(const QString& name) { return QIcon(QStringLiteral(":/glyphs/%1.svg").arg(name)); }

} // namespace inkwarden
