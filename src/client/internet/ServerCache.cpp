#include "client/internet/ServerCache.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QNetworkDiskCache>
#include <QStandardPaths>
#include <QUrl>

int ServerCache::ClearServerCache(QNetworkDiskCache& cache) {
    if (cache.cacheDirectory().isEmpty())
        return 0;
    // The cache cannot list its entries: its files name their URLs.
    QList<QUrl> urls;
    QDirIterator files(cache.cacheDirectory(), QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QNetworkCacheMetaData meta = cache.fileMetaData(files.next());
        if (meta.isValid())
            urls.append(meta.url());
    }
    int removed = 0;
    for (const QUrl& url : urls)
        if (url.toString().contains(QLatin1String("quorvel")) && cache.remove(url))
            ++removed;
    return removed;
}

QString ServerCache::directoryFor(const QString& installation) {
    const QByteArray id =
        QCryptographicHash::hash(installation.toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/Quorvel/web-") + QString::fromLatin1(id);
}
