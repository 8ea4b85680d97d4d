#include "client/outbox/MessageAssembler.h"

#include "client/recipients/NumberRules.h"

namespace {

using Plan = MessageAssembler::Plan;

const QString kFillList = QStringLiteral("Please fill SMS Number List         ");
const QString kSelectNumber = QStringLiteral("Select Mobile Number");
const QString kNoText = QStringLiteral("No Text Selected to be Sent        ");
const QString kTooLong = QStringLiteral("Message Too Long         ");

// The Number List and body checks both variants share. False when refused.
bool checkRecipientsAndBody(const MessageAssembler::Input& in, Plan& plan,
                            QString (*numberRule)(const QString& digits)) {
    if (in.numberListCount <= 0) {
        plan.numberListColour = kOrange;
        plan.refusal = Notice{kFillList};
        return false;
    }
    for (const QString& e : in.checkedEntries) {
        // An entry without digits has no number to send to.
        if (const auto digits = MessageAssembler::numberDigits(e))
            plan.numbers << numberRule(*digits);
    }
    if (plan.numbers.isEmpty()) {
        plan.refusal = Notice{kSelectNumber};
        return false;
    }
    plan.numberListColour = kWhite;
    if (MessageAssembler::body(in.subject, in.message).isEmpty()) {
        plan.messageBoxColour = kOrange;
        plan.refusal = Notice{kNoText};
        plan.numbers.clear();
        return false;
    }
    plan.messageBoxColour = kWhite;
    return true;
}

QString plusDigits(const QString& digits) {
    return '+' + digits;
}

QString ukNumber(const QString& digits) {
    QString n = digits;
    NumberRules::ValidateNumber(n);
    return n;
}

} // namespace

QStringList MessageAssembler::SplitText(const QString& text, int size) {
    if (size <= 0 || text.size() <= size)
        return {text};
    QStringList pieces;
    for (qsizetype at = 0; at < text.size(); at += size)
        pieces << text.mid(at, size);
    return pieces;
}

QString MessageAssembler::body(const QString& subject, const QString& message) {
    return subject.isEmpty() ? message : '(' + subject + ')' + message;
}

QString MessageAssembler::flattened(QString text) {
    for (QChar& ch : text)
        if (ch == '\r' || ch == '\n' || ch == QChar::ParagraphSeparator ||
            ch == QChar::LineSeparator)
            ch = ' ';
    return text;
}

bool MessageAssembler::nothingToSend(const QString& subject, const QString& message) {
    const auto blank = [](const QString& t) { return flattened(t).remove(' ').isEmpty(); };
    return blank(subject) && blank(message);
}

QString MessageAssembler::longDateTime(const QDateTime& t) {
    return t.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
}

QString MessageAssembler::shortDateTime(const QDate& date, const QTime& time) {
    return date.toString(QStringLiteral("d/M/yyyy")) + ' ' +
           QTime(time.hour(), time.minute()).toString(QStringLiteral("HH:mm:ss"));
}

std::optional<QString> MessageAssembler::numberDigits(const QString& entry) {
    // The number is what follows the last "+": a name taken from a contact
    // may hold digits (or a "+") of its own.
    const qsizetype plus = entry.lastIndexOf('+');
    const QString digits = NumberRules::digitsOnly(plus < 0 ? entry : entry.mid(plus + 1));
    if (digits.isEmpty())
        return std::nullopt;
    return digits;
}

MessageAssembler::Plan MessageAssembler::planImmediate(const Input& in) {
    Plan plan;
    if (!checkRecipientsAndBody(in, plan, plusDigits))
        return plan;
    const QString text = body(in.subject, in.message);
    const QString signature = in.signatureOn ? in.signature.text : QString();
    const bool pageInfo = in.signatureOn && in.signature.pageFlag == kPageIn;
    const qsizetype partLength =
        in.maxSmsLength - (pageInfo ? kPageInfoLength : 0) - signature.size();
    // Counted from the cutting itself, so every label's page count is true
    // and a signature too long for any text refuses rather than loops.
    const qsizetype parts =
        partLength <= 0 ? kMaxParts + 1 : (text.size() + partLength - 1) / partLength;
    if (parts > kMaxParts) {
        plan.refusal = Notice{kTooLong};
        plan.numbers.clear();
        return plan;
    }
    QString rest = text;
    while (rest.size() > partLength) {
        plan.pieces << rest.left(partLength);
        rest.remove(0, partLength);
    }
    plan.pieces << rest + ' ';
    plan.signature = signature;
    if (!in.signatureOn)
        plan.suffix = Suffix::None;
    else if (in.signature.pageFlag == kPageIn)
        plan.suffix = Suffix::PageInfo;
    else if (in.signature.pageFlag == kNoPage)
        plan.suffix = Suffix::Signature;
    return plan;
}

MessageAssembler::Plan MessageAssembler::planScheduled(const Input& in, const QDate& date,
                                                       const QTime& time) {
    Plan plan;
    if (!checkRecipientsAndBody(in, plan, ukNumber))
        return plan;
    plan.pieces = SplitText(body(in.subject, in.message), kScheduledPieceLength);
    plan.suffix = Suffix::Scheduled;
    plan.signature = in.signatureOn ? in.signature.text : QString();
    plan.stamp = shortDateTime(date, time);
    return plan;
}

QString MessageAssembler::Plan::part(int k, const QDateTime& now) const {
    const QString page = QStringLiteral(" P%1/%2").arg(k + 1).arg(pieces.size());
    switch (suffix) {
    case Suffix::None:
        return pieces[k];
    case Suffix::Signature:
        return pieces[k] + signature;
    case Suffix::PageInfo:
        return pieces[k] + page + ' ' + signature + ' ' + longDateTime(now);
    case Suffix::Scheduled:
        return pieces[k] + page + signature;
    }
    return pieces[k];
}

QString MessageAssembler::immediateEntry(qint64 id, const QDateTime& when, const QString& number,
                                         const QString& text) {
    return '[' + QString::number(id) + "] " + longDateTime(when) + ' ' + number + ' ' + text;
}

QString MessageAssembler::Plan::entry(qint64 id, int r, int k, const QDateTime& now) const {
    if (suffix == Suffix::Scheduled)
        return '[' + QString::number(id) + "] " + stamp + ' ' + numbers[r] + ' ' + part(k, now) +
               ' ' + stamp;
    return immediateEntry(id, now, numbers[r], part(k, now));
}
