#pragma once

#include <QString>

// Config\Sign.cfg: one line, a six-letter page flag ("PAGEIN" or "NOPAGE")
// immediately followed by the signature text. Readers use the last line only;
// a line that begins with neither flag is a bare signature.
class SignatureFile {
public:
    static constexpr int MaxLength = 30;
    // Page count and time stamp added to each part when page information is on.
    static constexpr int PageInfoLength = 27;
    static inline const QString kPageIn = QStringLiteral("PAGEIN");
    static inline const QString kNoPage = QStringLiteral("NOPAGE");
    static inline const QString kRelative = QStringLiteral("Config\\Sign.cfg");

    enum class Kind {
        Empty,  // missing file, empty file or empty last line
        PageIn, // "PAGEIN" + text
        NoPage, // "NOPAGE" + text
        Bare    // neither flag: the whole line is the text
    };

    SignatureFile() = default;
    // Characters a signature may not hold are dropped and the text is cut to
    // its longest allowed length, so a damaged file still gives a usable line.
    static SignatureFile parse(const QString& lastLine);
    static SignatureFile read(const QString& appPath);
    // Writes the one line: flag followed by the text without its outer blanks, CR LF.
    static bool write(const QString& appPath, bool pageInfo, const QString& text);
    static QString line(bool pageInfo, const QString& text);

    Kind kind() const { return m_kind; }
    QString text() const { return m_text; }
    // What the signature dialog ticks: on for "PAGEIN" and for a bare line.
    bool pageInfo() const { return m_kind == Kind::PageIn || m_kind == Kind::Bare; }
    // The page flag message assembly works with: a bare line counts as
    // "PAGEIN"; an empty line has none.
    QString PageFlag() const;
    // The signature counter while the signature is on: the text, plus the
    // page information for "PAGEIN" only.
    int counterLength() const;

private:
    Kind m_kind = Kind::Empty;
    QString m_text;
};
