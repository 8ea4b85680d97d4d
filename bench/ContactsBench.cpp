// Loading the contacts window on a large address book: 5,000 contacts (by
// default) in 20 folders read, OutlookContact.dat written and the tree built,
// with the longest stretch in which the main window could not handle an event.
#include "Responsiveness.h"
#include "client/recipients/ui/ContactsController.h"
#include "client/recipients/ui/RecipientsPanel.h"
#include "client/recipients/ui/frmOutlook.h"
#include "client/settings/ClientSettings.h"
#include "common/Installation.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QTreeWidgetItemIterator>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? QString(argv[1]).toInt() : 5000;
    const int folders = 20;

    QTemporaryDir dir;
    const QString install = dir.path() + "/install/";
    const QString book = dir.path() + "/contacts";
    QDir().mkpath(install + "Groups");
    QDir().mkpath(install + "Config");
    // One .vcf per contact, as CardDAV sync tools keep them, in the styles
    // of several programs.
    for (int i = 0; i < count; ++i) {
        const int f = i % folders;
        const QString folder = f == 0 ? book : book + QString("/Book%1").arg(f);
        QDir().mkpath(folder);
        QFile out(folder + QString("/%1.vcf").arg(i));
        out.open(QIODevice::WriteOnly);
        const QByteArray n = QByteArray::number(i);
        if (i % 3 == 0)
            out.write("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Person;Some" + n + ";;;\r\nFN:Some" + n +
                      " Person\r\nTEL;TYPE=HOME:+44 20 7946 0000\r\nTEL;TYPE=CELL:+44 (0)7700 " +
                      n.rightJustified(6, '0') + "\r\nEMAIL:some@example.org\r\nEND:VCARD\r\n");
        else if (i % 3 == 1)
            out.write("BEGIN:VCARD\r\nVERSION:2.1\r\nN:Person;Other" + n +
                      "\r\nFN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Other" + n +
                      " P=C3=A9rson\r\nTEL;CELL;VOICE:+44 7700 " + n.rightJustified(6, '0') +
                      "\r\nEND:VCARD\r\n");
        else
            out.write("BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Fourth " + n +
                      "\r\nTEL;VALUE=uri;TYPE=\"cell,voice\":tel:+44-7700-" +
                      n.rightJustified(6, '0') + "\r\nEND:VCARD\r\n");
    }

    ClientSettings settings;
    settings.OutlookEnabled = true;
    settings.OutlookWarningOff = true;
    QWidget main;
    const Installation installation = Installation::at(install);
    RecipientsPanel panel(installation, &main);
    ContactsController contacts(panel, settings, installation, &main);
    contacts.store = [&] { return ContactsStore(book); };
    main.show();

    // The reading alone, for the breakdown.
    QElapsedTimer readOnly;
    readOnly.start();
    const int lines = int(ContactsStore(book).read().lines().size());
    const qint64 readMs = readOnly.elapsed();

    const Responsiveness r = Responsiveness::measure([&] { contacts.LoadContactsSource(); });
    const qint64 total = r.totalMs;
    const qint64 longestGap = r.longestGapMs;

    int leaves = 0;
    for (QTreeWidgetItemIterator it(contacts.window().findChild<ContactsTreeWidget*>("tContacts"),
                                    QTreeWidgetItemIterator::NoChildren);
         *it; ++it)
        ++leaves;
    QTextStream(stdout) << count << " contacts in " << folders
                        << " folders read and the tree built: " << leaves << " leaves, "
                        << contacts.OutlookItemCount << " items counted, in " << total
                        << " ms; longest time without events: " << longestGap
                        << " ms (reading alone: " << lines << " lines in " << readMs << " ms)\n";
    return contacts.OutlookItemCount == count ? 0 : 1;
}
