#include "screens/readable_palette.h"

#include <QApplication>
#include <QEvent>
#include <cmath>

namespace inkwarden {
namespace {

constexpr double kReadable = 4.5;

double luminance(const QColor& color) {
    const auto channel = [](double value) {
        return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = color.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) +
           0.0722 * channel(rgb.blueF());
}

QColor mixed(const QColor& from, const QColor& to, double share) {
    return QColor::fromRgbF(from.redF() + (to.redF() - from.redF()) * share,
                            from.greenF() + (to.greenF() - from.greenF()) * share,
                            from.blueF() + (to.blueF() - from.blueF()) * share);
}

// Sets the role again after each palette change; the change that setting it
// causes finds it readable and stops there.
class PaletteWatcher final : public QObject {
public:
    using QObject::QObject;
    void apply() {
        const QPalette current = QApplication::palette();
        const QPalette readable = readablePalette(current);
        // Set on the current palette, so that only the roles set before (none,
        // where the desktop's theme rules) and this one stay fixed.
        QPalette next = current;
        bool changed = false;
        for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
            const QColor color = readable.color(group, QPalette::PlaceholderText);
            changed |= color != current.color(group, QPalette::PlaceholderText);
            next.setColor(group, QPalette::PlaceholderText, color);
        }
        if (changed)
            QApplication::setPalette(next);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange)
            apply();
        return false;
    }
};

} // namespace

void keepSecondaryTextReadable() {
    static PaletteWatcher* watcher = nullptr;
    if (!watcher) {
        watcher = new PaletteWatcher(qApp);
        qApp->installEventFilter(watcher);
    }
    watcher->apply();
}

double contrastRatio(const QColor& a, const QColor& b) {
    const double one = luminance(a), two = luminance(b);
    return (std::max(one, two) + 0.05) / (std::min(one, two) + 0.05);
}

QPalette readablePalette(QPalette palette) {
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        const QColor base = palette.color(group, QPalette::Base);
        const QColor text = palette.color(group, QPalette::Text);
        QColor secondary = palette.color(group, QPalette::PlaceholderText);
        // Drawn over the base as it is, so a translucent colour counts as blended.
        secondary = mixed(base, secondary, secondary.alphaF());
        if (contrastRatio(secondary, base) >= kReadable)
            continue;
        // The quietest mix of text into background that still reads.
        for (double share = 0.55; share < 1.0; share += 0.05) {
            secondary = mixed(base, text, share);
            if (contrastRatio(secondary, base) >= kReadable)
                break;
        }
        if (contrastRatio(secondary, base) < kReadable)
            secondary = text;
        palette.setColor(group, QPalette::PlaceholderText, secondary);
    }
    return palette;
}

} // namespace inkwarden
