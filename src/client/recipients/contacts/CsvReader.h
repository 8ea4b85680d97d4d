#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The one CSV reader: mail programs' contact exports and quorvel-send's
// recipient files alike. RFC 4180 records; the separator is the header's.
namespace CsvReader {

struct Record {
    int line = 0; // where the record starts, counting from 1
    QStringList fields;
};

// The one of comma, semicolon and tab found most often outside quotes in the
// first line (exports follow the system's list separator).
QChar separatorOf(const QString& text);

// Quoted fields may hold separators, line breaks and "". Blank lines are no
// records.
QList<Record> records(const QString& text, QChar separator);

} // namespace CsvReader
