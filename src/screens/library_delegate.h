#pragma once

#include <QStyledItemDelegate>

namespace inkwarden {

// Paints a library row: the selected row's rounded fill, the document glyph,
// the title, the date and, for a search result, the snippet with its matched
// words in bold. The selected row leaves room at the right for the view's
// one trash button. Main thread.
class LibraryDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int kTrashSize = 30;
    static constexpr int kRightMargin = 8;

    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    void paintSnippet(QPainter* painter, const QRect& line, const QString& snippet,
                      const QFont& font) const;
};

} // namespace inkwarden
