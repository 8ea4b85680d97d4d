#pragma once

#include <QString>

class QNetworkDiskCache;

// The pages of the service kept in the client's HTTP cache go before and
// after every submission, so an answer is never an old one.
namespace ServerCache {

// Removes every entry whose URL contains "quorvel" (as written, in lower
// case); the other sites' entries stay. Returns how many went.
int ClearServerCache(QNetworkDiskCache& cache);

// The client's own cache folder: one per installation, in the user's cache.
QString directoryFor(const QString& installation);

} // namespace ServerCache
