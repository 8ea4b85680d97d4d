#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// quorvel-send's command line.
struct SendOptions {
    QStringList numbers;
    std::optional<QString> message; // -m; otherwise standard input
    QString subject;
    bool noSignature = false;
    QString country; // digits of the country code, without its "+"
    QString csvFile;
    bool dryRun = false;
    bool wait = false;
    int timeoutSecs = 600;
    QString root;
    bool quiet = false; // nothing on standard output
    bool help = false;
    bool version = false;

    // nullopt with `error` set when the line cannot be used.
    static std::optional<SendOptions> parse(const QStringList& arguments, QString& error);
    static QString helpText();
};

// Turning what a script gives into the "+" and digits of an entry, by the
// Number List's rules.
namespace SendNumbers {

// A number beginning with "+" or "00" carries its own code; any other is
// national and takes `country` (digits). nullopt with `error` set when the
// text is no phone number or a national number comes without a code.
std::optional<QString> international(const QString& text, const QString& country, QString& error);

// The numbers of a CSV file, one per row: the column a heading names as the
// contacts import knows mobile columns, else the one field of the row that
// looks like a phone number. A first row without a number is a heading. A row
// with none, or (without such a heading) with two, refuses the whole file,
// with "FILE line N: ..." in `error`.
std::optional<QStringList> fromCsv(const QString& path, QString& error);

} // namespace SendNumbers
