#include "screens/glyphs.h"

#include <QFile>
#include <QImage>
#include <gtest/gtest.h>

namespace inkwarden {
namespace {

struct Ink {
    int pixels = 0;
    int maxAlpha = 0;
    bool onlyColor = true;
};

// Counts the drawn pixels and checks that the solid ones (faint edges lose
// precision when un-premultiplied) are `color`.
Ink inkOf(const QPixmap& pixmap, const QColor& color) {
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    Ink ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            ink.pixels += pixel.alpha() > 0;
            ink.maxAlpha = qMax(ink.maxAlpha, pixel.alpha());
            const int off = qAbs(pixel.red() - color.red()) + qAbs(pixel.blue() - color.blue()) +
                            qAbs(pixel.green() - color.green());
            ink.onlyColor = ink.onlyColor && (pixel.alpha() < 128 || off <= 4);
        }
    }
    return ink;
}

TEST(GlyphTest, EveryNamedGlyphRendersInItsOwnAndAGivenColour) {
    const QColor tint(0x33, 0x99, 0xEE);
    for (const char* name :
         {"text.format", "chevron", "bold", "italic", "highlighter", "plus", "trash", "document"}) {
        const QString glyphName = QString::fromLatin1(name);
        SCOPED_TRACE(name);
        EXPECT_TRUE(QFile::exists(QStringLiteral(":/glyphs/%1.svg").arg(glyphName)));
        EXPECT_TRUE(inkOf(glyph(glyphName).pixmap(16), Qt::black).onlyColor);
        for (const qreal ratio : {1.0, 2.0}) {
            const QPixmap image = glyph(glyphName, tint).pixmap(QSize(16, 16), ratio);
            EXPECT_EQ(image.size(), QSize(16, 16) * ratio);
            const Ink ink = inkOf(image, tint);
            EXPECT_GT(ink.pixels, 10 * ratio * ratio);
            EXPECT_EQ(ink.maxAlpha, 255);
            EXPECT_TRUE(ink.onlyColor);
        }
        EXPECT_LT(inkOf(glyph(glyphName, tint).pixmap(16, QIcon::Disabled), tint).maxAlpha, 128);
    }
    EXPECT_TRUE(glyph(QStringLiteral("missing")).isNull());
    EXPECT_TRUE(glyph(QStringLiteral("missing"), tint).isNull());
}

} // namespace
} // namespace inkwarden
