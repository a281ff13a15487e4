#pragma once

#include <QStyledItemDelegate>

namespace tavrel::shell {

// The tree's selection look: black text on light blue-violet (160, 160, 240), and a 1-pixel
// blue frame around the selected item's text while the tree does not hold the focus.
// A disabled tree draws its items the default way.
class TreeSelectionDelegate : public QStyledItemDelegate {
public:
    static inline const QColor kSelectionBackground{160, 160, 240};

    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

}  // namespace tavrel::shell
