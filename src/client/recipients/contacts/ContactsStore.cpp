#include "client/recipients/contacts/ContactsStore.h"

#include "client/recipients/contacts/ContactFiles.h"
#include "client/recipients/contacts/ContactNumber.h"
#include "common/Registry.h"
#include "common/Setting.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QStringList AddressBook::lines() const {
    QStringList out;
    for (const ContactFolder& f : folders)
        out += f.lines;
    return out;
}

QString ContactsStore::defaultDir() {
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    // XDG variables holding a relative path count as unset.
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

// Plain system calls on open folders: an address book of thousands of small
// files is read with one open, fstat, read and close per file.
class Reader {
public:
    Reader(const std::function<void(int)>& onItem, const std::atomic_bool* stop)
        : m_onItem(onItem), m_stop(stop) {}

    // `dirFd` is an open folder; this closes it.
    void folder(int dirFd, const QString& path, const QString& name, int depth, AddressBook& book) {
        const qsizetype at = book.folders.size();
        book.folders.append({path, name, 0, 0, {}});
        QList<QByteArray> files;
        QList<QByteArray> dirs;
        list(dirFd, files, dirs);
        for (const QByteArray& f : files) {
            if (stopped())
                break;
            readFile(dirFd, f, book.folders[at]);
        }
        QList<QPair<QByteArray, int>> toRead;
        for (const QByteArray& d : dirs) {
            if (stopped() || depth + 1 > ContactsStore::kMaxDepth)
                break;
            const int fd = ::openat(dirFd, d.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            struct stat st;
            if (fd < 0)
                continue; // unreadable: skipped
            // A link back up the tree, or a folder already read through another link.
            if (::fstat(fd, &st) != 0 || !enter(st)) {
                ::close(fd);
                continue;
            }
            toRead.append({d, fd});
        }
        book.folders[at].subfolders = int(toRead.size());
        for (const auto& [d, fd] : toRead) {
            if (stopped()) {
                ::close(fd);
                continue;
            }
            const QString n = QFile::decodeName(d);
            folder(fd, path.isEmpty() ? n : path + '/' + n, n, depth + 1, book);
        }
        ::close(dirFd);
    }

    // The folder is new to this reading.
    bool enter(const struct stat& st) {
        const QPair<quint64, quint64> id{quint64(st.st_dev), quint64(st.st_ino)};
        if (m_seen.contains(id))
            return false;
        m_seen.insert(id);
        return true;
    }

private:
    bool stopped() const { return m_stop && m_stop->load(std::memory_order_relaxed); }

    static bool hasSuffix(const QByteArray& name, const char* suffix) {
        return name.toLower().endsWith(suffix);
    }

    // Address-book files and folders, each in name order. Hidden ones are the
    // sync tools' own state.
    static void list(int dirFd, QList<QByteArray>& files, QList<QByteArray>& dirs) {
        const int fd = ::dup(dirFd);
        DIR* d = fd < 0 ? nullptr : ::fdopendir(fd);
        if (!d) {
            if (fd >= 0)
                ::close(fd);
            return;
        }
        while (const dirent* e = ::readdir(d)) {
            const QByteArray name(e->d_name);
            if (name.startsWith('.'))
                continue;
            if (e->d_type == DT_DIR || e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
                struct stat st;
                if (::fstatat(dirFd, e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode)) {
                    dirs << name;
                    continue;
                }
            }
            if (hasSuffix(name, ".vcf") || hasSuffix(name, ".vcard") || hasSuffix(name, ".csv"))
                files << name;
        }
        ::closedir(d);
        std::sort(files.begin(), files.end());
        std::sort(dirs.begin(), dirs.end());
    }

    void readFile(int dirFd, const QByteArray& name, ContactFolder& into) {
        // Not blocking: a FIFO named *.vcf opens at once and is then refused
        // as no regular file, like a device.
        const int fd = ::openat(dirFd, name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            return;
        struct stat st;
        QByteArray bytes;
        bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
                  st.st_size <= ContactsStore::kMaxFileBytes;
        if (ok) {
            // One byte more than the size seen, to notice a file grown past the limit.
            bytes.resize(qsizetype(st.st_size) + 1);
            qsizetype got = 0;
            while (got < bytes.size()) {
                const ssize_t n = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0)
                    break;
                got += n;
            }
            bytes.truncate(got);
            ok = got <= ContactsStore::kMaxFileBytes;
        }
        ::close(fd);
        if (!ok)
            return;
        const bool csv = hasSuffix(name, ".csv");
        const QList<RawContact> items = csv ? ContactsCsv::parse(bytes) : VCard::parse(bytes);
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
    QSet<QPair<quint64, quint64>> m_seen;
    int m_count = 0;
};

} // namespace

AddressBook ContactsStore::read(const std::function<void(int)>& onItem,
                                const std::atomic_bool* stop) const {
    AddressBook book;
    const int fd = ::open(QFile::encodeName(m_dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat st;
    if (fd < 0)
        return book;
    Reader reader(onItem, stop);
    if (::fstat(fd, &st) == 0)
        reader.enter(st);
    // The top folder is the contacts folder, whatever its name on disk.
    reader.folder(fd, QString(), QStringLiteral("Contacts"), 0, book);
    return book;
}
