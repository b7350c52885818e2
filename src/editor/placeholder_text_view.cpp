#include "editor/placeholder_text_view.h"

#include <QMimeData>
#include <QPainter>
#include <QTextDocument>
#include <QTextFrame>

namespace inkwarden {

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
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::PlaceholderText));
    const QPointF origin = placeholderOrigin();
    painter.drawText(QPointF(origin.x(), origin.y() + QFontMetricsF(font()).ascent()),
                     kPlaceholder);
}

// Text and its formatting may come in; pictures may not.
bool PlaceholderTextView::canInsertFromMimeData(const QMimeData* source) const {
    return source->hasText() || source->hasHtml();
}

void PlaceholderTextView::insertFromMimeData(const QMimeData* source) {
    if (source->hasImage() && !source->hasText() && !source->hasHtml())
        return;
    QTextEdit::insertFromMimeData(source);
}

} // namespace inkwarden
