#include "client/recipients/ui/NumberLineDelegate.h"

#include "client/recipients/NumberEntry.h"

QString NumberLineDelegate::displayed(const QModelIndex& index) {
    return NumberEntry::displayText(index.data(Qt::DisplayRole).toString());
}

void NumberLineDelegate::initStyleOption(QStyleOptionViewItem* option,
                                         const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    option->text = displayed(index);
}
