#pragma once

#include <QString>
#include <QStringList>

// One of the main window's ordered lists of entry texts (outbox, operator
// queue, scheduled list), as the delivery logic sees it. The window's lists
// implement it over their widgets; tests use `StringEntryList`.
class EntryList {
public:
    virtual ~EntryList() = default;
    virtual int count() const = 0;
    virtual QString at(int i) const = 0;
    virtual void set(int i, const QString& text) = 0;
    virtual void append(const QString& text) = 0;
    virtual void removeAt(int i) = 0;
    virtual void clear() = 0;

    bool isEmpty() const { return count() == 0; }
    QStringList all() const {
        QStringList out;
        out.reserve(count());
        for (int i = 0; i < count(); ++i)
            out << at(i);
        return out;
    }
};

class StringEntryList : public EntryList {
public:
    StringEntryList() = default;
    explicit StringEntryList(QStringList items) : m_items(std::move(items)) {}
    int count() const override { return int(m_items.size()); }
    QString at(int i) const override { return m_items.at(i); }
    void set(int i, const QString& text) override { m_items[i] = text; }
    void append(const QString& text) override { m_items.append(text); }
    void removeAt(int i) override { m_items.removeAt(i); }
    void clear() override { m_items.clear(); }
    const QStringList& items() const { return m_items; }

private:
    QStringList m_items;
};
