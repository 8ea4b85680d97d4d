#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstddef>
#include <cstdint>

// What every fuzz target shares: the input read as a few choices and a rest,
// a scratch folder of the process's own, and the check that turns a broken
// property into a finding.
namespace Fuzz {

[[noreturn]] void fail(const char* what, const QString& detail = {});
inline void check(bool ok, const char* what, const QString& detail = {}) {
    if (!ok)
        fail(what, detail);
}

// The input, taken from the front; a used-up input gives zeros and nothing.
class Input {
public:
    Input(const uint8_t* data, size_t size)
        : m_bytes(reinterpret_cast<const char*>(data), qsizetype(size)) {}
    bool empty() const { return m_at >= m_bytes.size(); }
    uint8_t byte() { return empty() ? 0 : uint8_t(m_bytes[m_at++]); }
    QByteArray take(qsizetype n);
    QByteArray rest() { return take(m_bytes.size()); }
    // The rest in pieces: the first byte says how many cuts, one byte each
    // says how long the piece before it is; the last piece takes what is left.
    QList<QByteArray> pieces(int maxCuts = 15);

private:
    QByteArray m_bytes;
    qsizetype m_at = 0;
};

// A folder only this process uses, ending in '/'.
QString scratch();
// Writes `bytes` to `path` (created with its folders), replacing what was there.
void writeFile(const QString& path, const QByteArray& bytes);

} // namespace Fuzz
