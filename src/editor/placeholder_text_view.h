#pragma once

#include <QTextEdit>

namespace inkwarden {

// The editing surface: a QTextEdit that, while its text is empty, draws the
// invitation "Begin anywhere." where the first line would start, in its own
// font and the palette's placeholder colour. The words are never text.
class PlaceholderTextView : public QTextEdit {
    Q_OBJECT
public:
    static inline const QString kPlaceholder = QStringLiteral("Begin anywhere.");

    using QTextEdit::QTextEdit;

    // Where the placeholder's top-left corner goes, in viewport coordinates.
    QPointF placeholderOrigin() const;
    bool showsPlaceholder() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
};

} // namespace inkwarden
