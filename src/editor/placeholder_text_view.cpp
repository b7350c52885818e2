#include "editor/placeholder_text_view.h"

#include <QMimeData>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
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

bool PlaceholderTextView::canInsertFromMimeData(const QMimeData* source) const {
    return source->hasText() || source->hasHtml();
}

// Pasted text takes the typing font and keeps only its bold and italic:
// pictures, tables, colours and foreign fonts are what the writing cannot
// hold, and they must not reach the saved document.
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
            QString text = piece.text();
            text.remove(QChar::ObjectReplacementCharacter);
            cursor.insertText(text, format);
        }
    }
    cursor.endEditBlock();
    setTextCursor(cursor);
}

} // namespace inkwarden
