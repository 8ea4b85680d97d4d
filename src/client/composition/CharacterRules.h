#pragma once

#include <QString>

// The character test of every free-text box (message, subject, signature,
// quick message), on a character's Windows-1252 code.
namespace CharacterRules {

// Codes that would split a submission or a protocol block: CR # [ \ ] ^ { | } ~
bool IsBarredKey(int code);
// Codes 1 to 127 and the pound sign (163).
bool isAllowedCode(int code);
// A code of 128 or above other than the pound sign, or no Windows-1252 code at all.
bool isNonAscii(QChar c);

enum class Verdict {
    Accept,
    Drop,  // silently: barred characters
    Refuse // with the ASCII message
};
// The verdict on one typed character.
Verdict typed(QChar c);

// Examines `text` from the 1-based position held in `pastePosition` (empty or
// 0 means 1) to the end. On success `pastePosition` is cleared.
bool IsAsciiText(const QString& text, QString& pastePosition);

enum class LineBreaks {
    Keep, // the message box holds them until focus leaves it
    Space // one-line boxes: each CR LF, CR or LF becomes one space
};
struct Pasted {
    QString text;
    bool refused = false; // a character the rules refuse came with it
};
// Text arriving by any way other than typing: barred characters and NUL are
// dropped silently, line breaks handled as told. `refused` says the text
// brought a character that may not be entered at all.
Pasted cleanPasted(const QString& text, LineBreaks breaks);

// Leading and trailing blanks (' ') removed; tabs and other white space are
// text the rules allow, and stay.
QString trimBlanks(const QString& text);

bool isLineBreak(QChar c);

inline const QString kAsciiOnly =
    QStringLiteral("This version of Quorvel supports only ASCII characters.");

} // namespace CharacterRules
