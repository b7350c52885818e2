#pragma once

#include <QColor>
#include <QMargins>
#include <QToolButton>
#include <optional>

class QPalette;

namespace inkwarden {

// A flat tool button for the writing screen's control row whose one piece of
// feedback is a soft rounded fill while the pointer is over it. The fill
// covers the content plus a small padding, and that padding is part of the
// button, so it answers the pointer and clicks too. Main thread.
class ToolbarHoverButton : public QToolButton {
    Q_OBJECT
public:
    static constexpr int kHorizontalPadding = 2;
    static constexpr int kVerticalPadding = 1;
    static constexpr qreal kCornerRadius = 6;
    static constexpr qreal kLightFillOpacity = 0.10;
    static constexpr qreal kDarkFillOpacity = 0.17;

    explicit ToolbarHoverButton(QWidget* parent = nullptr);

    // The hover fill for a palette: its window text colour, stronger when the
    // window colour is dark.
    static QColor hoverFill(const QPalette& palette);
    static QMargins padding() {
        return {kHorizontalPadding, kVerticalPadding, kHorizontalPadding, kVerticalPadding};
    }

    bool isHovered() const { return m_hovered; }
    // The area the content is drawn in: the button without its padding.
    QRect contentRect() const { return rect().marginsRemoved(padding()); }
    // Fixes the content's frame (e.g. 26 x 28); the button is that plus padding.
    void setFixedContentSize(const QSize& size);
    // A rounded fill behind the content, inside the hover fill; none clears it.
    void setBackdrop(std::optional<QColor> color);
    const std::optional<QColor>& backdrop() const { return m_backdrop; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& position) const override;

private:
    void setHovered(bool hovered);

    bool m_hovered = false;
    std::optional<QColor> m_backdrop;
};

} // namespace inkwarden
