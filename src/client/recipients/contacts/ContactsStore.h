#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>

// One folder of the address book as read: its place, how much it holds, and
// the contact lines accepted from it in read order.
struct ContactFolder {
    // Relative to the top folder with "/" ("" for the top folder itself).
    QString path;
    QString name;
    int items = 0;      // cards and rows read, accepted or not
    int subfolders = 0; // readable, not already visited
    QStringList lines;  // name, one blank, cleaned number
};

// The top folder first, then its subfolders depth-first.
struct AddressBook {
    QList<ContactFolder> folders;
    // Files that could not be taken, each "path: why" (the path below the top
    // folder): larger than kMaxFileBytes, or still changing when read again.
    QStringList unread;
    // OutlookContact.dat's lines: every accepted contact in read order.
    QStringList lines() const;
};

// The address book that stands in for the mail program's contacts: a folder
// of .vcf files (one or many cards each) and .csv exports, with subfolders,
// as desktop address books and CardDAV sync tools keep them.
class ContactsStore {
public:
    // Larger files are no address book of a person: not read, and listed in
    // AddressBook::unread. Pictures are dropped as a file is read, so a book
    // of this size with photos costs little memory.
    static constexpr qint64 kMaxFileBytes = 256 * 1024 * 1024;
    // Deeper nesting is a loop the checks did not catch, or damage.
    static constexpr int kMaxDepth = 32;

    explicit ContactsStore(QString dir) : m_dir(std::move(dir)) {}
    // CONTACTS_DIR, else $XDG_DATA_HOME/contacts (~/.local/share/contacts).
    static ContactsStore configured();
    static QString defaultDir();

    const QString& dir() const { return m_dir; }
    // The folder exists and can be listed.
    bool isAvailable() const;

    // Reads the whole book. `onItem` gets the running count after each item;
    // `stop` ends the reading between files (what was read stays).
    AddressBook read(const std::function<void(int)>& onItem = {},
                     const std::atomic_bool* stop = nullptr) const;

    // Runs after each file's bytes are read, before they are checked for a
    // change meanwhile, with the file's path below the top folder: tests
    // rewrite the file there.
    void setWhileReading(std::function<void(const QString&)> hook) {
        m_whileReading = std::move(hook);
    }

private:
    QString m_dir;
    std::function<void(const QString&)> m_whileReading;
};
