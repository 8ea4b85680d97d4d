#include "client/recipients/contacts/ContactFiles.h"

#include "common/Win1252.h"

#include <QStringDecoder>

namespace ContactFiles {

QString decodeText(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.sliced(3));
    if (bytes.startsWith("\xFF\xFE"))
        return QStringDecoder(QStringDecoder::Utf16LE)(bytes.sliced(2));
    if (bytes.startsWith("\xFE\xFF"))
        return QStringDecoder(QStringDecoder::Utf16BE)(bytes.sliced(2));
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return Win1252::decode(bytes);
}

QString decodeCharset(const QByteArray& bytes, const QByteArray& charset) {
    const QByteArray name = charset.trimmed().toLower();
    if (name.isEmpty())
        return decodeText(bytes);
    if (name == "windows-1252" || name == "cp1252" || name == "ansi")
        return Win1252::decode(bytes);
    if (name == "iso-8859-1" || name == "latin1" || name == "us-ascii" || name == "ascii")
        return QString::fromLatin1(bytes);
    QStringDecoder decoder(name.constData());
    if (!decoder.isValid())
        return decodeText(bytes);
    QString text = decoder(bytes);
    return decoder.hasError() ? decodeText(bytes) : text;
}

} // namespace ContactFiles
