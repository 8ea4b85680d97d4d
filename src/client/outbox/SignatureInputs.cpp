#include "client/outbox/SignatureInputs.h"

#include "client/composition/SignatureFile.h"

namespace {
SignatureInputs of(const SignatureFile& f) {
    return {f.text(), f.PageFlag()};
}
} // namespace

// The signature file's own reading, so what the counters show is what is sent.
SignatureInputs SignatureInputs::fromSignLine(const QString& lastLine) {
    return of(SignatureFile::parse(lastLine));
}

SignatureInputs SignatureInputs::fromFile(const QString& appPath) {
    return of(SignatureFile::read(appPath));
}
