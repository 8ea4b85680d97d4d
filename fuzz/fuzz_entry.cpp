// Outbox and queue entry lines: a line from a file is read without surprises,
// and an entry the client makes reads back as the id, date, number and text
// it was made of, whatever the text holds.
#include "FuzzSupport.h"
#include "client/outbox/AcceptedIndex.h"
#include "client/outbox/EntryDateTime.h"
#include "client/outbox/MessageAssembler.h"
#include "client/outbox/OutboxEntry.h"
#include "client/recipients/contacts/ContactNumber.h"
#include "common/Win1252.h"
#include "nom/QueueEntry.h"

#include <algorithm>

using Fuzz::check;

namespace {

bool asciiDigits(const QString& s) {
    for (QChar c : s)
        if (c < '0' || c > '9')
            return false;
    return !s.isEmpty();
}

void readLine(const QString& line) {
    if (const auto id = OutboxEntry::id(line)) {
        const QString text = OutboxEntry::idText(line);
        check(asciiDigits(text) && *id >= 0, "id from no digits", line);
        QString significant = text;
        while (significant.size() > 1 && significant.front() == '0')
            significant.remove(0, 1);
        check(QString::number(*id) == significant, "id is not its digits", line);
    }
    if (const auto q = QueueEntry::parse(line)) {
        check(q->number.startsWith('+') && !q->number.contains(' '), "queue number", line);
        check(line.mid(line.indexOf('+')) == q->number + ' ' + q->text, "queue entry lost text",
              line);
    }
    const auto control = [](const QString& s) {
        return std::any_of(s.begin(), s.end(),
                           [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; });
    };
    check(!control(QueueEntry::shown(line)), "a status line shows a control character", line);
    if (QueueEntry::check(line) == QueueEntry::Fault::None)
        check(!control(line) && QueueEntry::parse(line) && line.size() <= QueueEntry::kMaxLength,
              "an entry that cannot go into a block is taken", line);
    if (const auto when = EntryDateTime::of(line)) {
        check(EntryDateTime::parse(MessageAssembler::longDateTime(*when)) == *when,
              "date does not read back", line);
    }
    if (const auto digits = MessageAssembler::numberDigits(line))
        check(asciiDigits(*digits), "number is not digits only", line);
    const auto d = OutboxEntry::details(line);
    check(d.length == d.message.size(), "details length", line);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Fuzz::Input in(data, size);
    // A line as a file holds it.
    readLine(Win1252::decode(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size))));

    // An entry as the client makes it.
    qint64 id = 0;
    for (int i = 0; i < 6; ++i)
        id = id * 256 + in.byte();
    id %= 1000000000000000LL;
    const QDateTime now(
        QDate(1000 + (in.byte() << 8 | in.byte()) % 9000, 1 + in.byte() % 12, 1 + in.byte() % 28),
        QTime(in.byte() % 24, in.byte() % 60, in.byte() % 60));
    QString digits;
    for (int n = 1 + in.byte() % 20; n > 0; --n)
        digits += QChar('0' + in.byte() % 10);
    MessageAssembler::Plan plan;
    plan.numbers = {'+' + digits};
    plan.suffix = MessageAssembler::Suffix(in.byte() % 4);
    plan.stamp = MessageAssembler::shortDateTime(now.date(), now.time());
    plan.signature = MessageAssembler::flattened(Win1252::decode(in.take(in.byte() % 32)));
    for (const QByteArray& piece : in.pieces(8))
        plan.pieces << MessageAssembler::flattened(Win1252::decode(piece));
    const int k = int(plan.pieces.size()) - 1;
    const bool scheduled = plan.suffix == MessageAssembler::Suffix::Scheduled;
    const QString entry = plan.entry(id, 0, k, now);
    const QString text = plan.part(k, now) + (scheduled ? ' ' + plan.stamp : QString());
    readLine(entry);

    for (const QString& prefix : {QString(), OutboxEntry::kProcessing, OutboxEntry::kAccepted}) {
        check(OutboxEntry::id(prefix + entry) == id, "entry id", entry);
        check(AcceptedIndex::entryKey(prefix + entry) == '[' + QString::number(id) + ']',
              "entry key", entry);
    }
    const QDateTime when =
        scheduled ? QDateTime(now.date(), QTime(now.time().hour(), now.time().minute())) : now;
    check(EntryDateTime::of(entry) == when, "entry date", entry);
    const auto q = QueueEntry::parse(entry);
    check(q && q->number == '+' + digits && q->text == text, "queue entry", entry);
    const auto d = OutboxEntry::details(entry);
    check(d.id == QString::number(id) && d.message == text.trimmed(), "details", entry);
    check(d.dateTime == (scheduled ? plan.stamp : MessageAssembler::longDateTime(now)),
          "details date", entry);

    // A Number List line: a contact's name, one blank, the number.
    const QString listed = ContactNumber::contactLine(plan.signature, '+' + digits);
    check(MessageAssembler::numberDigits(listed) == digits, "number list line", listed);
    return 0;
}
