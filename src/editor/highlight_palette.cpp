#include "editor/highlight_palette.h"

namespace inkwarden {
namespace {

QColor fromComponents(double red, double green, double blue) {
    return QColor(qRound(red * 255), qRound(green * 255), qRound(blue * 255));
}

} // namespace

const QList<HighlightPalette::NamedColor>& HighlightPalette::colors() {
    static const QList<NamedColor> palette = {
        {QStringLiteral("Butter"), fromComponents(1.0, 0.8, 0.28)},
        {QStringLiteral("Sage"), fromComponents(0.48, 0.85, 0.54)},
        {QStringLiteral("Blush"), fromComponents(1.0, 0.56, 0.64)},
        {QStringLiteral("Sky"), fromComponents(0.43, 0.71, 1.0)},
    };
    return palette;
}

QColor HighlightPalette::color(const QString& name) {
    for (const NamedColor& entry : colors()) {
        if (entry.name == name)
            return entry.color;
    }
    return colors().first().color;
}

} // namespace inkwarden
