#pragma once

#include <QFrame>

namespace inkwarden {

// The colour picker's popover: one round swatch per palette colour, the
// selected one ringed. Choosing one reports its name; the popover closes.
class HighlightPickerPopup : public QFrame {
    Q_OBJECT
public:
    explicit HighlightPickerPopup(QWidget* parent = nullptr);

    void setSelected(const QString& name);
    const QString& selected() const { return m_selected; }
    // Shows the popover just below `anchor`, centred on it.
    void popUpBelow(QWidget* anchor);

Q_SIGNALS:
    void chosen(const QString& name);

private:
    QString m_selected;
};

} // namespace inkwarden
