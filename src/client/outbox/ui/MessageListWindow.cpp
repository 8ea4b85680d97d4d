#include "client/outbox/ui/MessageListWindow.h"

#include "client/outbox/AcceptedIndex.h"
#include "client/outbox/MessageLists.h"
#include "common/Installation.h"
#include "common/LineFile.h"
#include "common/MessageBox.h"
#include "common/Win1252.h"
#include "ui/BackColour.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

MessageListWindow::MessageListWindow(const Installation& installation, const QString& caption,
                                     const QString& tag, QListWidget* schedulebox,
                                     std::optional<Colour> backColour, QWidget* parent)
    : QDialog(parent), m_installation(installation), m_tag(tag), m_schedulebox(schedulebox) {
    setObjectName("frmAcceptMsg");
    setWindowTitle(caption);
    setModal(true);

    List1 = new QListWidget(this);
    List1->setObjectName("List1");
    List1->setUniformItemSizes(true); // lays out a long list in constant time
    List1->hide();
    List1->setAccessibleName(caption);
    m_loading = new QLabel("Loading... ", this);
    m_wait = new QLabel(" Please wait...", this);
    Label2 = new QLabel("0", this);
    Label2->setObjectName("Label2");
    Command2 = new QPushButton("Cancel", this);
    Command2->setObjectName("Command2");
    Command3 = new QPushButton("Clear", this);
    Command3->setObjectName("Command3");
    cmdClearAll = new QPushButton("Clear All", this);
    cmdClearAll->setObjectName("cmdClearAll");
    cmdClearAll->hide();

    auto* status = new QHBoxLayout;
    status->addWidget(m_loading);
    status->addWidget(m_wait);
    status->addStretch();
    status->addWidget(Label2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command2);
    buttons->addWidget(Command3);
    buttons->addWidget(cmdClearAll);
    buttons->addStretch();
    auto* top = new QVBoxLayout(this);
    top->addLayout(status);
    top->addWidget(List1, 1);
    top->addLayout(buttons);

    connect(Command2, &QPushButton::clicked, this, [this] { closeClicked(); });
    connect(Command3, &QPushButton::clicked, this, [this] { clearListClicked(); });
    connect(cmdClearAll, &QPushButton::clicked, this, [this] { clearAllListsClicked(); });
    connect(List1, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { offerToDeleteEntry(List1->row(item)); });
    paintBackground(this, backColour);
    resize(760, 420);
}

void MessageListWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_activated) {
        // Load after the window is on screen, so its "Loading..." shows.
        QPointer<MessageListWindow> self(this);
        QTimer::singleShot(0, this, [self] {
            if (self)
                self->activate();
        });
    }
}

void MessageListWindow::activate() {
    if (m_activated)
        return;
    m_activated = true;
    if (m_tag == MessageLists::kScheduledTag) {
        if (m_schedulebox)
            for (int i = 0; i < m_schedulebox->count(); ++i)
                List1->addItem(m_schedulebox->item(i)->text());
        showCount();
        List1->show();
        Command3->hide(); // the layout centres Cancel alone
        m_loading->hide();
        m_wait->hide();
        m_loaded = true;
    } else {
        loadFile();
    }
    if (windowTitle() == MessageLists::kFailedCaption)
        cmdClearAll->show();
}

void MessageListWindow::loadFile() {
    Command2->setEnabled(false);
    Command3->setEnabled(false);
    QFile file(m_installation.file(m_tag));
    // Read at once, decoded slice by slice, so a long file never holds up the window.
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    QPointer<MessageListWindow> self(this);
    const QHash<QString, QString> notes = m_tag == MessageLists::kAcceptedFile
                                              ? MessageLists::deliveryNotes(m_installation.folder())
                                              : QHash<QString, QString>();
    QStringList slice;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = start;
        while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r')
            ++end;
        const QString line = Win1252::decode(bytes.mid(start, end - start));
        start = end +
                ((end + 1 < bytes.size() && bytes[end] == '\r' && bytes[end + 1] == '\n') ? 2 : 1);
        if (!MessageLists::isListed(line))
            continue;
        slice << (notes.isEmpty() ? line : line + notes.value(AcceptedIndex::entryKey(line)));
        if (slice.size() == kSlice) {
            List1->addItems(slice);
            slice.clear();
            showCount();
            QCoreApplication::processEvents();
            if (!self || m_closing)
                return; // closed while loading
        }
    }
    List1->addItems(slice);
    showCount();
    List1->show();
    m_loading->hide();
    m_wait->hide();
    Command2->setEnabled(true);
    Command3->setEnabled(true);
    m_loaded = true;
}

void MessageListWindow::showCount() {
    Label2->setText(QString::number(List1->count()));
}

void MessageListWindow::closeEvent(QCloseEvent* event) {
    m_closing = true;
    QDialog::closeEvent(event);
}

void MessageListWindow::closeClicked() {
    close();
}

void MessageListWindow::clearListClicked() {
    List1->clear();
    showCount();
    MessageLists::clearFile(m_installation.folder(), m_tag);
}

void MessageListWindow::clearAllListsClicked() {
    List1->clear();
    showCount();
    MessageLists::clearAll(m_installation.folder());
}

void MessageListWindow::offerToDeleteEntry(int row) {
    if (m_tag != MessageLists::kScheduledTag || row < 0 || row >= List1->count())
        return;
    // The view is a snapshot: due entries may leave the scheduled list while
    // it is open, so the entry is found again by its text, never by its row.
    const QString chosen = List1->item(row)->text();
    const auto answer = MessageBox::show("Do you want to delete this message ?", "Quorvel warning",
                                         MessageBox::Icon::Critical, MessageBox::Buttons::YesNo,
                                         MessageBox::Answer::No);
    if (answer != MessageBox::Answer::Yes)
        return;
    if (m_schedulebox) {
        const auto found = m_schedulebox->findItems(chosen, Qt::MatchExactly);
        if (!found.isEmpty())
            delete m_schedulebox->takeItem(m_schedulebox->row(found.first()));
    }
    const auto shown = List1->findItems(chosen, Qt::MatchExactly);
    if (!shown.isEmpty())
        delete List1->takeItem(List1->row(shown.first()));
    showCount();
}
