#include "screens/highlight_picker_popup.h"

#include "editor/highlight_palette.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QPainter>

namespace inkwarden {
namespace {

constexpr int kSwatch = 18;
constexpr int kSwatchPadding = 5;

// A round swatch; the selected one carries a ring in the text colour.
class Swatch final : public QAbstractButton {
public:
    Swatch(const QString& name, const QColor& color, const HighlightPickerPopup& popup)
        : m_color(color)
        , m_popup(popup) {
        setObjectName(name);
        setToolTip(name);
        setAccessibleName(name + QStringLiteral(" highlight"));
        setFixedSize(kSwatch + 2 * kSwatchPadding, kSwatch + 2 * kSwatchPadding);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(m_color);
        painter.drawEllipse(QRectF(kSwatchPadding, kSwatchPadding, kSwatch, kSwatch));
        if (m_popup.selected() != objectName())
            return;
        QColor ring = palette().color(QPalette::WindowText);
        ring.setAlphaF(0.65);
        painter.setPen(QPen(ring, 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QRectF(rect()).adjusted(0.75, 0.75, -0.75, -0.75));
    }

private:
    QColor m_color;
    const HighlightPickerPopup& m_popup;
};

} // namespace

HighlightPickerPopup::HighlightPickerPopup(QWidget* parent)
    : QFrame(parent, Qt::Popup)
    , m_selected(HighlightPalette::defaultName()) {
    setFrameShape(QFrame::StyledPanel);
    // The press that closes the popover on the picker must not open it again.
    setAttribute(Qt::WA_NoMouseReplay);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(10, 10, 10, 10);
    row->setSpacing(6);
    for (const HighlightPalette::NamedColor& entry : HighlightPalette::colors()) {
        auto* swatch = new Swatch(entry.name, entry.color, *this);
        row->addWidget(swatch);
        connect(swatch, &QAbstractButton::clicked, this, [this, name = entry.name] {
            hide();
            Q_EMIT chosen(name);
        });
    }
}

void HighlightPickerPopup::setSelected(const QString& name) {
    m_selected = name;
    update();
    for (QWidget* swatch : findChildren<QWidget*>())
        swatch->update();
}

void HighlightPickerPopup::popUpBelow(QWidget* anchor) {
    adjustSize();
    const QPoint below = anchor->mapToGlobal(QPoint(anchor->width() / 2, anchor->height()));
    move(below.x() - width() / 2, below.y() + 4);
    show();
}

} // namespace inkwarden
