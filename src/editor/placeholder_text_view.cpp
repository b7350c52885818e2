#include "editor/placeholder_text_view.h"

#include "editor/highlight_palette.h"

#include <QAbstractTextDocumentLayout>
#include <QMimeData>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>

namespace inkwarden {
namespace {

// A device that only answers questions about its resolution: the text
// layout measures fonts against it, and painting then draws them that large.
class ZoomedResolution final : public QPaintDevice {
public:
    ZoomedResolution(int dpiX, int dpiY)
        : m_dpiX(dpiX)
        , m_dpiY(dpiY) {}
    QPaintEngine* paintEngine() const override { return nullptr; }

protected:
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
        case PdmDpiX:
        case PdmPhysicalDpiX:
            return m_dpiX;
        case PdmDpiY:
        case PdmPhysicalDpiY:
            return m_dpiY;
        case PdmDepth:
            return 32;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default:
            return 1;
        }
    }

private:
    int m_dpiX;
    int m_dpiY;
};

// The background when it is exactly one of the four highlight colours.
QColor ownHighlight(const QTextCharFormat& format) {
    if (format.background().style() == Qt::NoBrush)
        return {};
    const QRgb rgb = format.background().color().rgb();
    for (const HighlightPalette::NamedColor& named : HighlightPalette::colors())
        if (named.color.rgb() == rgb)
            return named.color;
    return {};
}

} // namespace

void PlaceholderTextView::setZoom(int percent) {
    if (percent == m_zoom)
        return;
    m_zoom = percent;
    std::unique_ptr<QPaintDevice> device;
    if (percent != 100)
        device = std::make_unique<ZoomedResolution>(logicalDpiX() * percent / 100,
                                                    logicalDpiY() * percent / 100);
    document()->documentLayout()->setPaintDevice(device.get());
    m_layoutDevice = std::move(device); // the old one only once the layout let go of it
    document()->markContentsDirty(0, document()->characterCount());
    ensureCursorVisible();
    viewport()->update();
}

QPointF PlaceholderTextView::placeholderOrigin() const {
    const QTextFrameFormat frame = document()->rootFrame()->frameFormat();
    return {frame.leftMargin() + document()->documentMargin(),
            frame.topMargin() + document()->documentMargin()};
}

bool PlaceholderTextView::showsPlaceholder() const {
    return document()->isEmpty();
}

void PlaceholderTextView::paintEvent(QPaintEvent* event) {
    QTextEdit::paintEvent(event);
    if (!showsPlaceholder())
        return;
    QPainter painter(viewport());
    QFont zoomed = font();
    zoomed.setPointSizeF(zoomed.pointSizeF() * m_zoom / 100);
    painter.setFont(zoomed);
    painter.setPen(palette().color(QPalette::PlaceholderText));
    const QPointF origin = placeholderOrigin();
    painter.drawText(QPointF(origin.x(), origin.y() + QFontMetricsF(zoomed).ascent()),
                     kPlaceholder);
}

bool PlaceholderTextView::canInsertFromMimeData(const QMimeData* source) const {
    return source->hasText() || source->hasHtml();
}

// Pasted text takes the typing font and keeps only its bold, italic and a
// highlight in one of our own colours (copied from Inkwarden): pictures,
// tables, other colours and foreign fonts are what the writing cannot hold,
// and they must not reach the saved document.
void PlaceholderTextView::insertFromMimeData(const QMimeData* source) {
    QTextDocument foreign;
    if (source->hasHtml())
        foreign.setHtml(source->html());
    else
        foreign.setPlainText(source->text());
    QTextCharFormat base = currentCharFormat();
    base.clearBackground();
    base.clearForeground();
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    for (QTextBlock block = foreign.begin(); block.isValid(); block = block.next()) {
        if (block != foreign.begin())
            cursor.insertBlock(QTextBlockFormat(), base);
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment piece = it.fragment();
            QTextCharFormat format = base;
            format.setFontWeight(piece.charFormat().fontWeight() > QFont::Medium ? QFont::Bold
                                                                                 : QFont::Normal);
            format.setFontItalic(piece.charFormat().fontItalic());
            if (const QColor mark = ownHighlight(piece.charFormat()); mark.isValid()) {
                format.setBackground(mark);
                format.setForeground(QColor(Qt::black)); // as every highlight's text
            }
            QString text = piece.text();
            text.remove(QChar::ObjectReplacementCharacter);
            cursor.insertText(text, format);
        }
    }
    cursor.endEditBlock();
    setTextCursor(cursor);
}

} // namespace inkwarden
