#pragma once

#include <QTextEdit>
#include <memory>

namespace inkwarden {

// The editing surface: a QTextEdit that, while its text is empty, draws the
// invitation "Begin anywhere." where the first line would start, in its own
// font and the palette's placeholder colour. The words are never text.
class PlaceholderTextView : public QTextEdit {
    Q_OBJECT
public:
    static inline const QString kPlaceholder = QStringLiteral("Begin anywhere.");

    using QTextEdit::QTextEdit;

    // Shows the text `percent` % of its size by laying it out for a screen
    // of that many times the resolution: the document's sizes stay as they are.
    void setZoom(int percent);
    int zoom() const { return m_zoom; }

    // Where the placeholder's top-left corner goes, in viewport coordinates.
    QPointF placeholderOrigin() const;
    bool showsPlaceholder() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    int m_zoom = 100;
    std::unique_ptr<QPaintDevice> m_layoutDevice;
};

} // namespace inkwarden
