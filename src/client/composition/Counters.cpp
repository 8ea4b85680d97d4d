#include "client/composition/Counters.h"

#include "client/composition/CharacterRules.h"
#include "client/composition/SignatureFile.h"
#include "common/Val.h"

namespace Counters {

Values afterEdit(qsizetype subjectLength, qsizetype messageLength, long long signature) {
    if (subjectLength > 0)
        return {messageLength + subjectLength + 2, subjectLength + signature + messageLength + 2};
    return {messageLength, subjectLength + signature + messageLength};
}

long long plainTotal(qsizetype subjectLength, long long signature, qsizetype messageLength) {
    return subjectLength + signature + messageLength;
}

long long totalAfterSignatureAccept(const QString& messageCounter, long long signature) {
    if (messageCounter.isEmpty())
        return signature;
    return value(messageCounter) + signature;
}

long long signatureAfterAccept(bool pageInfo, const QString& text) {
    return (pageInfo ? SignatureFile::PageInfoLength : 0) + CharacterRules::trimBlanks(text).size();
}

long long value(const QString& counterText) {
    return leadingNumber(counterText);
}

} // namespace Counters
