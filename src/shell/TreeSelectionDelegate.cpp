#include "TreeSelectionDelegate.h"

#include <QApplication>
#include <QPainter>

namespace tavrel::shell {

void TreeSelectionDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
    const bool selected = option.state & QStyle::State_Selected;
    const bool enabled = option.state & QStyle::State_Enabled;
    if (!selected || !enabled) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem opt(option);
    initStyleOption(&opt, index);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        opt.palette.setColor(group, QPalette::Highlight, kSelectionBackground);
        opt.palette.setColor(group, QPalette::HighlightedText, Qt::black);
    }
    opt.state |= QStyle::State_Active;  // same colours whether or not the tree has the focus
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    if (widget && !widget->hasFocus()) {
        QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
        painter->save();
        painter->setPen(QPen(QColor(0, 0, 255), 1));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(text.adjusted(0, 0, -1, -1));
        painter->restore();
    }
}

}  // namespace tavrel::shell
