#include "screens/glyphs.h"

#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <memory>
#include <optional>

namespace inkwarden {
namespace {

constexpr qreal kDisabledOpacity = 0.35;

// The glyphs are square; a wider or taller box gets them centred, never stretched.
QRect square(const QRect& box) {
    const int side = qMin(box.width(), box.height());
    QRect result(0, 0, side, side);
    result.moveCenter(box.center());
    return result;
}

QString glyphPath(const QString& name) {
    return QStringLiteral(":/glyphs/%1.svg").arg(name);
}

// Renders the SVG at every requested size instead of scaling a few fixed
// pixmaps, so a 10-point chevron is as sharp as a 16-point bold sign.
class GlyphIconEngine final : public QIconEngine {
public:
    GlyphIconEngine(std::shared_ptr<QSvgRenderer> renderer, std::optional<QColor> color)
        : m_renderer(std::move(renderer))
        , m_color(std::move(color)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal ratio = painter->device()->devicePixelRatioF();
        QPixmap image = pixmap(rect.size() * ratio, mode, state);
        image.setDevicePixelRatio(ratio);
        painter->drawPixmap(rect, image);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
        QPixmap image(size);
        image.fill(Qt::transparent);
        if (size.isEmpty())
            return image;
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        m_renderer->render(&painter, square(QRect(QPoint(0, 0), size)));
        if (m_color) {
            painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
            painter.fillRect(image.rect(), *m_color);
        }
        if (mode == QIcon::Disabled) {
            painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
            painter.fillRect(image.rect(), QColor(0, 0, 0, qRound(255 * kDisabledOpacity)));
        }
        return image;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        return square(QRect(QPoint(0, 0), size)).size();
    }
    QIconEngine* clone() const override { return new GlyphIconEngine(*this); }
    QString key() const override { return QStringLiteral("inkwarden-glyph"); }
    bool isNull() override { return !m_renderer->isValid(); }

private:
    std::shared_ptr<QSvgRenderer> m_renderer;
    std::optional<QColor> m_color;
};

QIcon makeGlyph(const QString& name, std::optional<QColor> color) {
    auto renderer = std::make_shared<QSvgRenderer>(glyphPath(name));
    if (!renderer->isValid())
        return {};
    return QIcon(new GlyphIconEngine(std::move(renderer), std::move(color)));
}

} // namespace

QIcon glyph(const QString& name) {
    return makeGlyph(name, std::nullopt);
}

QIcon glyph(const QString& name, const QColor& color) {
    return makeGlyph(name, color);
}

} // namespace inkwarden
