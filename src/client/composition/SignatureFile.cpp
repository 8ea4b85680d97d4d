#include "client/composition/SignatureFile.h"

#include "client/composition/CharacterRules.h"
#include "common/InstallPath.h"
#include "common/LineFile.h"

namespace {

QString usable(const QString& text) {
    QString out;
    for (QChar c : text)
        if (CharacterRules::typed(c) == CharacterRules::Verdict::Accept)
            out += c;
    return out.left(SignatureFile::MaxLength);
}

} // namespace

SignatureFile SignatureFile::parse(const QString& lastLine) {
    SignatureFile s;
    if (lastLine.isEmpty())
        return s;
    const QString flag = lastLine.left(6);
    if (flag == kPageIn || flag == kNoPage) {
        s.m_kind = flag == kPageIn ? Kind::PageIn : Kind::NoPage;
        s.m_text = usable(lastLine.mid(6));
        return s;
    }
    s.m_text = usable(lastLine);
    // Nothing usable left: no signature at all rather than an empty bare one.
    s.m_kind = s.m_text.isEmpty() ? Kind::Empty : Kind::Bare;
    return s;
}

SignatureFile SignatureFile::read(const QString& appPath) {
    return parse(LineFile::readLast(InstallPath::resolve(appPath, kRelative)));
}

QString SignatureFile::line(bool pageInfo, const QString& text) {
    return (pageInfo ? kPageIn : kNoPage) + CharacterRules::trimBlanks(text);
}

bool SignatureFile::write(const QString& appPath, bool pageInfo, const QString& text) {
    return LineFile::rewrite(InstallPath::resolve(appPath, kRelative), {line(pageInfo, text)});
}

QString SignatureFile::PageFlag() const {
    switch (m_kind) {
    case Kind::PageIn:
    case Kind::Bare:
        return kPageIn;
    case Kind::NoPage:
        return kNoPage;
    case Kind::Empty:
        break;
    }
    return QString();
}

int SignatureFile::counterLength() const {
    return int(m_text.size()) + (m_kind == Kind::PageIn ? PageInfoLength : 0);
}
