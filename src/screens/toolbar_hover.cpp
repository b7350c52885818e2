#include "screens/toolbar_hover.h"

#include <QCursor>
#include <QEnterEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionToolButton>
#include <QStylePainter>

namespace inkwarden {
namespace {

// Below this lightness a window colour counts as a dark theme.
constexpr int kDarkLightnessLimit = 128;
constexpr qreal kPressedOpacity = 0.6;

QPainterPath roundedShape(const QRectF& area) {
    QPainterPath path;
    path.addRoundedRect(area, ToolbarHoverButton::kCornerRadius, ToolbarHoverButton::kCornerRadius);
    return path;
}

} // namespace

ToolbarHoverButton::ToolbarHoverButton(QWidget* parent)
    : QToolButton(parent) {
    setAutoRaise(true);
    setFocusPolicy(Qt::TabFocus);
}

QColor ToolbarHoverButton::hoverFill(const QPalette& palette) {
    const bool dark = palette.color(QPalette::Window).lightness() < kDarkLightnessLimit;
    QColor fill = palette.color(QPalette::WindowText);
    fill.setAlphaF(dark ? kDarkFillOpacity : kLightFillOpacity);
    return fill;
}

void ToolbarHoverButton::setFixedContentSize(const QSize& size) {
    setFixedSize(size.grownBy(padding()));
}

void ToolbarHoverButton::setBackdrop(std::optional<QColor> color) {
    if (m_backdrop == color)
        return;
    m_backdrop = std::move(color);
    update();
}

// A text-only button's frame is its text plus the padding, not the style's
// roomier tool-button margins.
QSize ToolbarHoverButton::sizeHint() const {
    if (icon().isNull() && !text().isEmpty() && !menu())
        return QSize(fontMetrics().horizontalAdvance(text()), fontMetrics().height())
            .grownBy(padding());
    return QToolButton::sizeHint().grownBy(padding());
}

QSize ToolbarHoverButton::minimumSizeHint() const {
    if (icon().isNull() && !text().isEmpty() && !menu())
        return sizeHint();
    return QToolButton::minimumSizeHint().grownBy(padding());
}

void ToolbarHoverButton::enterEvent(QEnterEvent* event) {
    setHovered(true);
    QToolButton::enterEvent(event);
}

// A menu opened by the press takes the pointer until it closes, so no leave
// arrives: the fill follows where the pointer is once it has.
void ToolbarHoverButton::mousePressEvent(QMouseEvent* event) {
    QToolButton::mousePressEvent(event);
    setHovered(rect().contains(mapFromGlobal(QCursor::pos())));
}

void ToolbarHoverButton::leaveEvent(QEvent* event) {
    setHovered(false);
    QToolButton::leaveEvent(event);
}

void ToolbarHoverButton::setHovered(bool hovered) {
    if (m_hovered == hovered)
        return;
    m_hovered = hovered;
    update();
}

// The padded, rounded area is the hit shape, as it is the hover shape.
bool ToolbarHoverButton::hitButton(const QPoint& position) const {
    return roundedShape(rect()).contains(position);
}

void ToolbarHoverButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    if (m_hovered)
        painter.fillPath(roundedShape(rect()), hoverFill(palette()));
    if (m_backdrop)
        painter.fillPath(roundedShape(contentRect()), *m_backdrop);

    QStyleOptionToolButton option;
    initStyleOption(&option);
    option.rect = contentRect();
    // The fill above is the only chrome: no raised or sunken panel from the
    // style; a press dims the content instead, as a flat button does.
    option.state &= ~(QStyle::State_MouseOver | QStyle::State_Raised | QStyle::State_Sunken);
    if (isDown())
        painter.setOpacity(kPressedOpacity);
    painter.drawComplexControl(QStyle::CC_ToolButton, option);
}

} // namespace inkwarden
