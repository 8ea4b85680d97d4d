#pragma once

#include "client/outbox/SignatureInputs.h"
#include "common/Colour.h"
#include "common/Notice.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

// The arithmetic of a send: recipients, body, parts and suffixes. It decides
// everything before the first entry is made, so a send is refused whole or
// made whole; the caller numbers the entries and hands them on.
class MessageAssembler {
public:
    static constexpr int kPageInfoLength = 27;
    // One digit per page label keeps the page information within its 27 characters.
    static constexpr int kMaxParts = 9;
    static constexpr int kScheduledPieceLength = 100;

    struct Input {
        QString subject;
        QString message;
        SignatureInputs signature;
        bool signatureOn = true;
        int numberListCount = 0;
        // The checked Number List entries, in list order.
        QStringList checkedEntries;
        int maxSmsLength = 160;
    };

    enum class Suffix { None, Signature, PageInfo, Scheduled };

    struct Plan {
        std::optional<Notice> refusal;
        // Colours the checks gave the Number List and the message box.
        std::optional<Colour> numberListColour;
        std::optional<Colour> messageBoxColour;
        // "+" and digits, one per recipient.
        QStringList numbers;
        // Each part's text before its suffix.
        QStringList pieces;
        Suffix suffix = Suffix::None;
        QString signature;
        // Scheduled entries: the schedule date and time, written twice.
        QString stamp;

        bool ok() const { return !refusal; }
        int entryCount() const { return int(numbers.size() * pieces.size()); }
        // Part `k` (0-based) with its suffix; page information carries `now`.
        QString part(int k, const QDateTime& now) const;
        // The entry of part `k` for recipient `r`.
        QString entry(qint64 id, int r, int k, const QDateTime& now) const;
    };

    static Plan planImmediate(const Input& in);
    static Plan planScheduled(const Input& in, const QDate& date, const QTime& time);

    // Consecutive pieces of `size` characters, the last holding the rest; an
    // empty text gives one empty piece.
    static QStringList SplitText(const QString& text, int size);
    static QString body(const QString& subject, const QString& message);
    // Line breaks that reach a text (pasted, or piped in) go out as blanks.
    static QString flattened(QString text);
    // Subject and message both hold blanks at most.
    static bool nothingToSend(const QString& subject, const QString& message);
    static inline const QString kNothingToSend = QStringLiteral("Please enter Subject or Message.");
    // An entry sent at once: "[id] <long date time> <number> <text>".
    static QString immediateEntry(qint64 id, const QDateTime& when, const QString& number,
                                  const QString& text);
    // "dd/MM/yyyy hh:mm:ss", always 19 characters.
    static QString longDateTime(const QDateTime& t);
    // Day and month without leading zeros, seconds 00.
    static QString shortDateTime(const QDate& date, const QTime& time);
    // The digits of an entry's number, nullopt when it has none.
    static std::optional<QString> numberDigits(const QString& entry);
};
