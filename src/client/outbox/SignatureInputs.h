#pragma once

#include <QString>

// The signature and page flag a send appends, as held by the last line of the
// signature file.
struct SignatureInputs {
    QString text;
    // "PAGEIN", "NOPAGE", or empty when the line is empty.
    QString pageFlag;

    // A line not starting with a flag is a bare signature with page
    // information on; an empty line gives no signature and no flag.
    static SignatureInputs fromSignLine(const QString& lastLine);
    // Reads the signature file below the installation directory.
    static SignatureInputs fromFile(const QString& appPath);
};

inline const QString kPageIn = QStringLiteral("PAGEIN");
inline const QString kNoPage = QStringLiteral("NOPAGE");
