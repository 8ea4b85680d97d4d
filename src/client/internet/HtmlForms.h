#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// One form of a page as a browser would submit it: its name, where and how it
// goes, and its successful fields in document order.
struct HtmlForm {
    struct Field {
        QString name;
        QString value;
    };
    QString name;
    QString action;
    QString method; // lower case; "get" when the page says nothing else
    QList<Field> fields;

    // The index of the field named `name`, or -1.
    int indexOf(const QString& name) const;
};

namespace HtmlForms {

// Every form of an HTML page, in document order (entities decoded).
QList<HtmlForm> parse(const QByteArray& utf8);

} // namespace HtmlForms
