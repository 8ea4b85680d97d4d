#include "send/SendOptions.h"

#include "client/recipients/NumberRules.h"
#include "common/LineFile.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include <algorithm>

namespace {

const QString kUsage = QStringLiteral("Usage: quorvel-send [options] NUMBER...\n");

bool isDigits(const QString& t) {
    return !t.isEmpty() && NumberRules::digitsOnly(t) == t;
}

// What people write in a phone number besides digits.
bool isPhoneText(const QString& t) {
    const QString s = t.trimmed();
    if (NumberRules::digitsOnly(s).isEmpty())
        return false;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (!(c.isDigit() && c.unicode() < 128) && !QStringLiteral(" -()./").contains(c) &&
            !(c == '+' && i == 0))
            return false;
    }
    return true;
}

QStringList csvFields(const QString& line) {
    const QChar sep = line.contains(',') || !line.contains(';') ? ',' : ';';
    QStringList fields = line.split(sep);
    for (QString& f : fields) {
        f = f.trimmed();
        if (f.size() >= 2 && f.startsWith('"') && f.endsWith('"'))
            f = f.mid(1, f.size() - 2).trimmed();
    }
    return fields;
}

} // namespace

std::optional<SendOptions> SendOptions::parse(const QStringList& arguments, QString& error) {
    QCommandLineParser p;
    p.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption message({"m", "message"}, "", "TEXT");
    const QCommandLineOption subject({"s", "subject"}, "", "TEXT");
    const QCommandLineOption noSignature("no-signature");
    const QCommandLineOption country({"c", "country"}, "", "CODE");
    const QCommandLineOption file({"f", "file"}, "", "CSV");
    const QCommandLineOption dryRun(QStringList{"n", "dry-run"});
    const QCommandLineOption wait(QStringList{"w", "wait"});
    const QCommandLineOption timeout({"t", "timeout"}, "", "SECONDS");
    const QCommandLineOption root({"r", "root"}, "", "DIR");
    const QCommandLineOption help(QStringList{"h", "help"});
    p.addOptions({message, subject, noSignature, country, file, dryRun, wait, timeout, root, help});
    if (!p.parse(arguments)) {
        error = p.errorText();
        return std::nullopt;
    }
    SendOptions o;
    o.help = p.isSet(help);
    if (o.help)
        return o;
    for (const QCommandLineOption* single : {&message, &subject, &country, &file, &timeout, &root})
        if (p.values(*single).size() > 1) {
            error = "--" + single->names().last() + " given more than once.";
            return std::nullopt;
        }
    if (p.isSet(message))
        o.message = p.value(message);
    o.subject = p.value(subject);
    o.noSignature = p.isSet(noSignature);
    if (p.isSet(country)) {
        QString code = p.value(country).trimmed();
        if (code.startsWith('+'))
            code.remove(0, 1);
        if (!isDigits(code)) {
            error = "--country takes a country code such as 44 or +44, not \"" + p.value(country) +
                    "\".";
            return std::nullopt;
        }
        o.country = code;
    }
    o.csvFile = p.value(file);
    o.dryRun = p.isSet(dryRun);
    o.wait = p.isSet(wait);
    if (p.isSet(timeout)) {
        bool ok = false;
        o.timeoutSecs = p.value(timeout).toInt(&ok);
        if (!ok || o.timeoutSecs <= 0) {
            error =
                "--timeout takes a number of seconds above 0, not \"" + p.value(timeout) + "\".";
            return std::nullopt;
        }
        if (!o.wait) {
            error = QStringLiteral("--timeout goes with --wait.");
            return std::nullopt;
        }
    }
    if (o.dryRun && o.wait) {
        error = QStringLiteral("--dry-run sends nothing, so there is nothing to --wait for.");
        return std::nullopt;
    }
    o.root = p.value(root);
    o.numbers = p.positionalArguments();
    if (o.numbers.isEmpty() && o.csvFile.isEmpty()) {
        error = kUsage + "No recipient: give one or more numbers, or --file CSV.";
        return std::nullopt;
    }
    return o;
}

QString SendOptions::helpText() {
    return kUsage +
           QString::fromLatin1(
               R"help(Sends an SMS through Quorvel's operator module (the modem route), as Send in
Quorvel does: same message ids, parts, page labels and signature.

The message text is the -m TEXT, or else standard input.

Options:
  -m, --message TEXT   the message text
  -s, --subject TEXT   a subject, sent as "(subject)" before the text
      --no-signature   no signature and no page information
  -c, --country CODE   country code for national numbers (44 or +44):
                       "07700 900123" with --country 44 is +447700900123
  -f, --file CSV       recipients from a CSV file: a column of numbers,
                       optionally a column of names
  -n, --dry-run        print the entries that would be queued; write nothing
  -w, --wait           wait until the message centre has taken every entry
  -t, --timeout SECS   how long --wait waits (default 600)
  -r, --root DIR       the Quorvel installation (default: $QUORVEL_HOME,
                       else the one quorvel-send is installed in)
  -h, --help           this text

Exit status: 0 queued (with --wait: all accepted); 1 nothing sent (an error);
with --wait: 2 some were carried over to Brindle.rcv after a failed run,
3 the run ended and some were rejected by the message centre, 4 timed out
(the entries stay queued).

Without --wait nothing is recorded in Config/AccpMsgs.dat.
)help");
}

namespace SendNumbers {

std::optional<QString> international(const QString& text, const QString& country, QString& error) {
    if (!isPhoneText(text)) {
        error = "\"" + text + "\" is not a phone number.";
        return std::nullopt;
    }
    const QString t = NumberRules::dropTrunkPrefix(text.trimmed());
    const QString digits = NumberRules::digitsOnly(t);
    if (t.startsWith('+'))
        return '+' + digits;
    // The international access prefix carries the number's own code.
    if (digits.size() > 2 && digits.startsWith(QStringLiteral("00")))
        return NumberRules::MakeInternationalNumber(digits, country);
    if (country.isEmpty()) {
        error = "\"" + text + "\" is a national number: give its country with --country CODE.";
        return std::nullopt;
    }
    return NumberRules::MakeInternationalNumber(digits, country);
}

std::optional<QStringList> fromCsv(const QString& path, QString& error) {
    const auto lines = LineFile::tryReadAll(path);
    if (!lines || QFileInfo(path).isDir()) {
        error = "Cannot read the recipients file " + path + ".";
        return std::nullopt;
    }
    QStringList numbers;
    bool firstRow = true;
    for (qsizetype i = 0; i < lines->size(); ++i) {
        if (lines->at(i).trimmed().isEmpty())
            continue;
        const QStringList fields = csvFields(lines->at(i));
        const auto number = std::find_if(fields.cbegin(), fields.cend(), isPhoneText);
        if (number != fields.cend()) {
            numbers << *number;
        } else if (!firstRow) {
            error = path + " line " + QString::number(i + 1) + ": no phone number.";
            return std::nullopt;
        }
        firstRow = false;
    }
    if (numbers.isEmpty()) {
        error = "No phone number in " + path + ".";
        return std::nullopt;
    }
    return numbers;
}

} // namespace SendNumbers
