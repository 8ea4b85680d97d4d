#pragma once

#include <QStyledItemDelegate>

// Shows recipient lines with their number left to right, whatever the name's
// script; the line itself (what is saved and added) stays as it is.
class NumberLineDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The text drawn for `index`.
    static QString displayed(const QModelIndex& index);

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};
