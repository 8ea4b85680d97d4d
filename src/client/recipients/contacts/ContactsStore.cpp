#include "client/recipients/contacts/ContactsStore.h"

#include "client/recipients/contacts/BlobFilter.h"
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
    Reader(const std::function<void(int)>& onItem, const std::atomic_bool* stop,
           const std::function<void(const QString&)>& whileReading)
        : m_onItem(onItem), m_stop(stop), m_whileReading(whileReading) {}

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
            readFile(dirFd, f, path, book.folders[at], book);
        }
        // Each subfolder is opened again when its turn comes, so a tree of
        // any width holds no more folders open than it is deep.
        QList<QPair<QByteArray, FolderId>> toRead;
        for (const QByteArray& d : dirs) {
            if (stopped() || depth + 1 > ContactsStore::kMaxDepth)
                break;
            const int fd = openFolder(dirFd, d);
            struct stat st;
            if (fd < 0)
                continue; // unreadable: skipped
            // A link back up the tree, or a folder already read through another link.
            const bool isNew = ::fstat(fd, &st) == 0 && enter(st);
            ::close(fd);
            if (isNew)
                toRead.append({d, idOf(st)});
        }
        book.folders[at].subfolders = int(toRead.size());
        for (const auto& [d, id] : toRead) {
            if (stopped())
                break;
            const int fd = openFolder(dirFd, d);
            struct stat st;
            // Replaced since it was counted: not what was counted, not read.
            if (fd >= 0 && (::fstat(fd, &st) != 0 || idOf(st) != id)) {
                ::close(fd);
                continue;
            }
            if (fd < 0)
                continue;
            const QString n = QFile::decodeName(d);
            folder(fd, path.isEmpty() ? n : path + '/' + n, n, depth + 1, book);
        }
        ::close(dirFd);
    }

    // The folder is new to this reading.
    bool enter(const struct stat& st) {
        const FolderId id = idOf(st);
        if (m_seen.contains(id))
            return false;
        m_seen.insert(id);
        return true;
    }

private:
    using FolderId = QPair<quint64, quint64>;
    static FolderId idOf(const struct stat& st) { return {quint64(st.st_dev), quint64(st.st_ino)}; }
    static int openFolder(int dirFd, const QByteArray& name) {
        return ::openat(dirFd, name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }

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

    enum class Got { Whole, Changed, TooLarge, Unreadable };

    // One read of a file: a vCard's pictures and keys are dropped as they
    // come, so a large book costs little more memory than its names and
    // numbers. The size and time before and after tell a file rewritten
    // meanwhile.
    Got readOnce(int dirFd, const QByteArray& name, const QString& shown, bool csv,
                 QByteArray& bytes) const {
        // Not blocking: a FIFO named *.vcf opens at once and is then refused
        // as no regular file, like a device.
        const int fd = ::openat(dirFd, name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            return Got::Unreadable;
        struct stat before, after;
        if (::fstat(fd, &before) != 0 || !S_ISREG(before.st_mode)) {
            ::close(fd);
            return Got::Unreadable;
        }
        if (before.st_size > ContactsStore::kMaxFileBytes) {
            ::close(fd);
            return Got::TooLarge;
        }
        BlobFilter filter;
        bytes.clear();
        // A small file in one read (one byte over, to see its end), a large one
        // a mebibyte at a time.
        QByteArray chunk(qsizetype(std::min<qint64>(before.st_size + 1, 1 << 20)),
                         Qt::Uninitialized);
        qint64 total = 0;
        Got got = Got::Whole;
        for (;;) {
            const ssize_t n = ::read(fd, chunk.data(), size_t(chunk.size()));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                got = Got::Unreadable;
            if (n <= 0)
                break;
            total += n;
            if (total > ContactsStore::kMaxFileBytes) {
                got = Got::TooLarge;
                break;
            }
            if (csv)
                bytes += QByteArrayView(chunk.constData(), n);
            else
                filter.add(QByteArrayView(chunk.constData(), n));
        }
        if (m_whileReading)
            m_whileReading(shown);
        if (got == Got::Whole &&
            (::fstat(fd, &after) != 0 || after.st_size != before.st_size ||
             total != after.st_size || after.st_mtim.tv_sec != before.st_mtim.tv_sec ||
             after.st_mtim.tv_nsec != before.st_mtim.tv_nsec))
            got = Got::Changed;
        ::close(fd);
        if (!csv)
            bytes = filter.kept();
        return got;
    }

    void readFile(int dirFd, const QByteArray& name, const QString& folderPath, ContactFolder& into,
                  AddressBook& book) {
        const bool csv = hasSuffix(name, ".csv");
        const QString shown = folderPath.isEmpty() ? QFile::decodeName(name)
                                                   : folderPath + '/' + QFile::decodeName(name);
        QByteArray bytes;
        Got got = readOnce(dirFd, name, shown, csv, bytes);
        if (got == Got::Changed) // once more, now that the writer may be done
            got = readOnce(dirFd, name, shown, csv, bytes);
        if (got == Got::TooLarge)
            book.unread << shown + QStringLiteral(": larger than %1 MiB, not read.")
                                       .arg(ContactsStore::kMaxFileBytes >> 20);
        else if (got == Got::Changed)
            book.unread << shown + QStringLiteral(": changed while it was read, not read.");
        if (got != Got::Whole)
            return;
        const QList<RawContact> items = csv ? ContactsCsv::parse(bytes) : VCard::parse(bytes);
        bytes.clear();
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
    const std::function<void(const QString&)>& m_whileReading;
    QSet<FolderId> m_seen;
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
    Reader reader(onItem, stop, m_whileReading);
    if (::fstat(fd, &st) == 0)
        reader.enter(st);
    // The top folder is the contacts folder, whatever its name on disk.
    reader.folder(fd, QString(), QStringLiteral("Contacts"), 0, book);
    return book;
}
