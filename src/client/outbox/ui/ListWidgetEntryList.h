#pragma once

#include "client/outbox/EntryList.h"

#include <QListWidget>

// A list widget of the main window as the delivery logic sees it.
class ListWidgetEntryList : public EntryList {
public:
    explicit ListWidgetEntryList(QListWidget* list) : m_list(list) {}
    int count() const override { return m_list->count(); }
    QString at(int i) const override { return m_list->item(i)->text(); }
    void set(int i, const QString& text) override { m_list->item(i)->setText(text); }
    void append(const QString& text) override { m_list->addItem(text); }
    void removeAt(int i) override { delete m_list->takeItem(i); }
    void clear() override { m_list->clear(); }

private:
    QListWidget* m_list;
};
