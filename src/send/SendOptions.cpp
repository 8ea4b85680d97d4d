#include "send/SendOptions.h"

#include "client/recipients/NumberRules.h"
#include "client/recipients/contacts/ContactFiles.h"
#include "client/recipients/contacts/ContactNumber.h"
#include "client/recipients/contacts/CsvReader.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

const QString kUsage = QStringLiteral("Usage: quorvel-send [options] NUMBER...\n");

// Fewer digits than this are no number a message goes to.
constexpr int kFewestPhoneDigits = 6;

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

// In a row without a heading to go by: what no id, count or house number is.
bool looksLikePhoneNumber(const QString& t) {
    return isPhoneText(t) && NumberRules::digitsOnly(t).size() >= kFewestPhoneDigits;
}

bool isBlank(const QStringList& fields) {
    return std::all_of(fields.cbegin(), fields.cend(),
                       [](const QString& f) { return f.trimmed().isEmpty(); });
}

} // namespace

std::optional<SendOptions> SendOptions::parse(const QStringList& arguments, QString& error) {
    QCommandLineParser p;
    // -nw is -n -w, -c44 is -c 44, as in other tools run from scripts.
    p.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    const QCommandLineOption message({"m", "message"}, "", "TEXT");
    const QCommandLineOption subject({"s", "subject"}, "", "TEXT");
    const QCommandLineOption noSignature("no-signature");
    const QCommandLineOption country({"c", "country"}, "", "CODE");
    const QCommandLineOption file({"f", "file"}, "", "CSV");
    const QCommandLineOption dryRun(QStringList{"n", "dry-run"});
    const QCommandLineOption wait(QStringList{"w", "wait"});
    const QCommandLineOption timeout({"t", "timeout"}, "", "SECONDS");
    const QCommandLineOption root({"r", "root"}, "", "DIR");
    const QCommandLineOption quiet(QStringList{"q", "quiet"});
    const QCommandLineOption help(QStringList{"h", "help"});
    const QCommandLineOption version("version");
    p.addOptions({message, subject, noSignature, country, file, dryRun, wait, timeout, root, quiet,
                  help, version});
    if (!p.parse(arguments)) {
        error = p.errorText();
        return std::nullopt;
    }
    SendOptions o;
    o.help = p.isSet(help);
    o.version = p.isSet(version);
    if (o.help || o.version)
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
    o.quiet = p.isSet(quiet);
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
  -f, --file CSV       recipients from a CSV file: the column headed as a
                       mobile number, else the one field of each row that
                       is a phone number
  -n, --dry-run        print the entries that would be queued; write nothing
  -w, --wait           wait until the message centre has taken every entry
  -t, --timeout SECS   how long --wait waits (default 600)
  -r, --root DIR       the Quorvel installation (default: $QUORVEL_HOME,
                       else the one quorvel-send is installed in)
  -q, --quiet          print nothing but errors (for cron)
  -h, --help           this text
      --version        the version

Exit status: 0 queued (with --wait: all accepted); 1 nothing sent (an error);
5 the operator module could not start (the entries stay in Brindle.in for the
next run); with --wait: 2 some were carried over to Brindle.rcv after a failed
run, 3 the run ended and some were rejected by the message centre, 4 timed out
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
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
        error = "Cannot read the recipients file " + path + ".";
        return std::nullopt;
    }
    const QString text = ContactFiles::decodeText(file.readAll());
    const QList<CsvReader::Record> rows = CsvReader::records(text, CsvReader::separatorOf(text));
    const auto refuse = [&](int line, const QString& why) {
        error = path + " line " + QString::number(line) + ": " + why;
        return std::nullopt;
    };
    // A heading names the number column as the contacts import knows it, or
    // holds no phone number at all.
    ContactsCsv::MobileColumns columns;
    qsizetype first = 0;
    if (!rows.isEmpty()) {
        const QStringList& heading = rows.first().fields;
        columns = ContactsCsv::mobileColumns(heading);
        if (!columns.isEmpty() || std::none_of(heading.cbegin(), heading.cend(), isPhoneText))
            first = 1;
    }
    QStringList numbers;
    for (qsizetype r = first; r < rows.size(); ++r) {
        const CsvReader::Record& row = rows[r];
        if (isBlank(row.fields))
            continue;
        QStringList found;
        if (!columns.isEmpty()) {
            found << ContactNumber::preferredMobile(columns.of(row.fields)).trimmed();
        } else {
            for (const QString& f : row.fields)
                if (looksLikePhoneNumber(f))
                    found << f.trimmed();
            if (found.size() > 1)
                return refuse(row.line, QStringLiteral("which column is the number?"));
        }
        if (found.isEmpty() || !isPhoneText(found.first()))
            return refuse(row.line, QStringLiteral("no phone number."));
        numbers << found.first();
    }
    if (numbers.isEmpty()) {
        error = "No phone number in " + path + ".";
        return std::nullopt;
    }
    return numbers;
}

} // namespace SendNumbers
