#pragma once

#include <QColor>
#include <QList>
#include <QString>

namespace inkwarden {

// The four named highlight colours, in order, as 8-bit sRGB so a highlight
// read back from a file is the same palette colour.
class HighlightPalette {
public:
    struct NamedColor {
        QString name;
        QColor color;
    };

    static const QList<NamedColor>& colors();
    // The colour of that exact name; "Butter" for any other.
    static QColor color(const QString& name);
    static QString defaultName() { return QStringLiteral("Butter"); }
};

} // namespace inkwarden
