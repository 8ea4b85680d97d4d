#include "client/recipients/contacts/ContactsStore.h"

#include "client/recipients/contacts/ContactFiles.h"
#include "client/recipients/contacts/ContactNumber.h"
#include "common/Registry.h"
#include "common/Setting.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

QStringList AddressBook::lines() const {
    QStringList out;
    for (const ContactFolder& f : folders)
        out += f.lines;
    return out;
}

QString ContactsStore::defaultDir() {
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    // The base directory specification ignores relative paths.
    if (data.isEmpty() || QDir::isRelativePath(data))
        data = QDir::homePath() + "/.local/share";
    return data + "/contacts";
}

ContactsStore ContactsStore::configured() {
    const QString set = Setting::read(Setting::ContactsDir).trimmed();
    if (set.isEmpty() || set == QLatin1String(Registry::kError))
        return ContactsStore(defaultDir());
    return ContactsStore(set);
}

bool ContactsStore::isAvailable() const {
    const QFileInfo info(m_dir);
    return !m_dir.isEmpty() && info.isDir() && info.isReadable() && info.isExecutable();
}

namespace {

class Reader {
public:
    Reader(const std::function<void(int)>& onItem, const std::atomic_bool* stop)
        : m_onItem(onItem), m_stop(stop) {}

    void folder(const QString& abs, const QString& path, const QString& name, int depth,
                AddressBook& book) {
        const qsizetype at = book.folders.size();
        book.folders.append({path, name, 0, 0, {}});
        QDir dir(abs);
        const QFileInfoList files = dir.entryInfoList(QDir::Files | QDir::Readable, QDir::Name);
        for (const QFileInfo& f : files) {
            if (stopped())
                return;
            readFile(f, book.folders[at]);
        }
        const QFileInfoList subs =
            dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Readable, QDir::Name);
        QList<QFileInfo> toRead;
        for (const QFileInfo& s : subs) {
            // Hidden folders are the sync tools' own state, not address books.
            if (s.fileName().startsWith('.') || !s.isExecutable() ||
                depth + 1 > ContactsStore::kMaxDepth)
                continue;
            const QString real = s.canonicalFilePath();
            if (real.isEmpty() || m_seen.contains(real))
                continue; // a link back up the tree, or a folder already read
            m_seen.insert(real);
            toRead << s;
        }
        book.folders[at].subfolders = int(toRead.size());
        for (const QFileInfo& s : toRead) {
            if (stopped())
                return;
            const QString childPath = path.isEmpty() ? s.fileName() : path + '/' + s.fileName();
            folder(s.absoluteFilePath(), childPath, s.fileName(), depth + 1, book);
        }
    }

    void seen(const QString& real) { m_seen.insert(real); }

private:
    bool stopped() const { return m_stop && m_stop->load(std::memory_order_relaxed); }

    void readFile(const QFileInfo& f, ContactFolder& into) {
        const QString suffix = f.suffix().toLower();
        const bool vcf = suffix == QLatin1String("vcf") || suffix == QLatin1String("vcard");
        const bool csv = suffix == QLatin1String("csv");
        // Regular files only: a FIFO or a device named *.vcf would block or never end.
        if ((!vcf && !csv) || !f.isFile() || f.size() > ContactsStore::kMaxFileBytes)
            return;
        QFile file(f.absoluteFilePath());
        if (!file.open(QIODevice::ReadOnly))
            return;
        const QByteArray bytes = file.read(ContactsStore::kMaxFileBytes + 1);
        if (bytes.size() > ContactsStore::kMaxFileBytes)
            return;
        const QList<RawContact> items = vcf ? VCard::parse(bytes) : ContactsCsv::parse(bytes);
        for (const RawContact& c : items) {
            into.items++;
            if (m_onItem)
                m_onItem(++m_count);
            if (c.fullName.trimmed().isEmpty() || c.mobile.isEmpty())
                continue;
            const QString number = ContactNumber::CleanOutlookNumber(c.mobile);
            if (!number.isEmpty())
                into.lines << ContactNumber::contactLine(c.fullName, number);
        }
    }

    const std::function<void(int)>& m_onItem;
    const std::atomic_bool* m_stop;
    QSet<QString> m_seen;
    int m_count = 0;
};

} // namespace

AddressBook ContactsStore::read(const std::function<void(int)>& onItem,
                                const std::atomic_bool* stop) const {
    AddressBook book;
    if (!isAvailable())
        return book;
    Reader reader(onItem, stop);
    const QString real = QFileInfo(m_dir).canonicalFilePath();
    reader.seen(real);
    // The top folder is the contacts folder, whatever its name on disk.
    reader.folder(real, QString(), QStringLiteral("Contacts"), 0, book);
    return book;
}
