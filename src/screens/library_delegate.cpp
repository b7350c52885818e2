#include "screens/library_delegate.h"

#include "screens/glyphs.h"
#include "screens/library_model.h"

#include <QPainter>

namespace inkwarden {
namespace {

constexpr int kVerticalMargin = 9;
constexpr int kLeftMargin = 10;
constexpr int kGlyphSize = 18;
constexpr int kGap = 12;
constexpr int kLineSpacing = 3;

QFont sizedFont(const QFont& base, int pixels, QFont::Weight weight) {
    QFont font = base;
    font.setPixelSize(pixels);
    font.setWeight(weight);
    return font;
}

QFont titleFont(const QFont& base) {
    return sizedFont(base, 13, QFont::Medium);
}
QFont dateFont(const QFont& base) {
    return sizedFont(base, 11, QFont::Normal);
}
QFont snippetFont(const QFont& base) {
    return sizedFont(base, 12, QFont::Normal);
}

int textHeight(const QStyleOptionViewItem& option, const QModelIndex& index) {
    int text = QFontMetrics(titleFont(option.font)).height() + kLineSpacing +
               QFontMetrics(dateFont(option.font)).height();
    if (!index.data(LibraryModel::SnippetRole).toString().isEmpty())
        text += kLineSpacing + QFontMetrics(snippetFont(option.font)).height();
    return text;
}

} // namespace

QSize LibraryDelegate::sizeHint(const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    return {0, std::max(textHeight(option, index), kTrashSize) + 2 * kVerticalMargin};
}

void LibraryDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const bool selected = option.state & QStyle::State_Selected;
    const bool dark = option.palette.color(QPalette::Base).lightness() < 128;
    if (selected) {
        QColor fill = option.palette.color(QPalette::Highlight);
        fill.setAlphaF(dark ? 0.45f : 0.22f);
        painter->setPen(Qt::NoPen);
        painter->setBrush(fill);
        painter->drawRoundedRect(QRectF(option.rect).adjusted(0, 1, 0, -1), 6, 6);
    }
    const QRect inner = option.rect.adjusted(kLeftMargin, kVerticalMargin,
                                             -(kRightMargin + (selected ? kTrashSize + kGap : 0)),
                                             -kVerticalMargin);
    const QColor secondary = option.palette.color(QPalette::PlaceholderText);
    const QRect symbol(inner.left(), inner.center().y() - kGlyphSize / 2, kGlyphSize, kGlyphSize);
    glyph(QStringLiteral("document"), secondary).paint(painter, symbol);

    QRect text = inner.adjusted(kGlyphSize + kGap, 0, 0, 0);
    const QString snippet = index.data(LibraryModel::SnippetRole).toString();
    text.setTop(inner.top() + (inner.height() - textHeight(option, index)) / 2);
    const auto line = [&](const QFont& font, const QColor& color, const QString& words) {
        const QFontMetrics metrics(font);
        const QRect rect(text.left(), text.top(), text.width(), metrics.height());
        painter->setFont(font);
        painter->setPen(color);
        painter->drawText(rect, Qt::AlignLeft | Qt::AlignVCenter,
                          metrics.elidedText(words, Qt::ElideRight, rect.width()));
        text.setTop(rect.bottom() + 1 + kLineSpacing);
        return rect;
    };
    line(titleFont(option.font), option.palette.color(QPalette::Text),
         index.data(Qt::DisplayRole).toString());
    line(dateFont(option.font), secondary, index.data(LibraryModel::ModifiedTextRole).toString());
    if (!snippet.isEmpty()) {
        const QFont font = snippetFont(option.font);
        painter->setPen(option.palette.color(QPalette::Text));
        paintSnippet(painter,
                     QRect(text.left(), text.top(), text.width(), QFontMetrics(font).height()),
                     snippet, font);
    }
    painter->restore();
}

// Runs of plain and bold text side by side, cut with an ellipsis where the
// line ends.
void LibraryDelegate::paintSnippet(QPainter* painter, const QRect& line, const QString& snippet,
                                   const QFont& font) const {
    QFont bold = font;
    bold.setWeight(QFont::DemiBold);
    int x = line.left();
    bool matched = false;
    QString run;
    const auto flush = [&] {
        const QFont& used = matched ? bold : font;
        const QFontMetrics metrics(used);
        const int room = line.right() - x;
        if (run.isEmpty() || room <= 0)
            return;
        const QString shown = metrics.elidedText(run, Qt::ElideRight, room);
        painter->setFont(used);
        painter->drawText(QRect(x, line.top(), room, line.height()),
                          Qt::AlignLeft | Qt::AlignVCenter, shown);
        x += shown == run ? metrics.horizontalAdvance(run) : room;
        run.clear();
    };
    for (const QChar character : snippet) {
        if (character == LibraryModel::kMatchStart || character == LibraryModel::kMatchEnd) {
            flush();
            matched = character == LibraryModel::kMatchStart;
        } else {
            run.append(character == u'\n' ? u' ' : character);
        }
    }
    flush();
}

} // namespace inkwarden
