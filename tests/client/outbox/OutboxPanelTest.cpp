#include "OutboxPanelFixture.h"

// Ids go part by part, recipient by recipient.
TEST_F(OutboxPanelTest, SendAndScheduleMakeExactEntries) {
    recipients.checked << "Ann  +44 7700 900 999";
    message.subjectText = "Hi";
    sendText(QString(200, 'm'));
    // (Hi) + 200 characters = 204: parts of 119 and 85, each labelled of 2.
    const QString body = "(Hi)" + QString(200, 'm');
    const QString sig = " - Quorvel 3.0. " + kStamp;
    const QStringList expected{
        "[57] " + kStamp + " +447700900123 " + body.left(119) + " P1/2" + sig,
        "[58] " + kStamp + " +447700900123 " + body.mid(119) + "  P2/2" + sig,
        "[59] " + kStamp + " +447700900999 " + body.left(119) + " P1/2" + sig,
        "[60] " + kStamp + " +447700900999 " + body.mid(119) + "  P2/2" + sig,
    };
    EXPECT_EQ(items(list("outbox")), expected);
    EXPECT_EQ(items(list("ListCellnet")), expected);
    EXPECT_EQ(inst.bytes(ExchangeFiles::kInbox), "\r\n" + lines(expected));
    EXPECT_EQ(message.colour, kWhite);
    EXPECT_EQ(recipients.colour, kWhite);
    // Modem, Queue Messages: the reminder.
    ASSERT_EQ(boxes.texts(), QStringList{kSendQueue});
    EXPECT_TRUE(boxes.lastIs("Quorvel Warning", MessageBox::Icon::Information));
    EXPECT_EQ(sender().blinkMarker(), "blink");

    // A time set: Send schedules, to the scheduled list only.
    list("outbox")->clear();
    list("ListCellnet")->clear();
    boxes.clear();
    recipients.checked = QStringList{"Jane Smith  +447700900123", "Bob  +33612"};
    sent<QDateEdit>("dtSchDate")->setDate(QDate(2027, 1, 5));
    txttime()->setTime(QTime(9, 5));
    sendText(QString(150, 's'));
    const QString at = "5/1/2027 09:05:00", ssig = "- Quorvel 3.0. 5/1/2027 09:05:00";
    const QString a = QString(100, 's'), b = QString(50, 's');
    EXPECT_EQ(items(list("schedulebox")),
              (QStringList{"[61] " + at + " +447700900123 " + a + " P1/2" + ssig,
                           "[62] " + at + " +447700900123 " + b + " P2/2" + ssig,
                           "[63] " + at + " +4433612 " + a + " P1/2" + ssig,
                           "[64] " + at + " +4433612 " + b + " P2/2" + ssig}));
    EXPECT_EQ(list("outbox")->count() + list("ListCellnet")->count(), 0);
    EXPECT_EQ(inst.bytes("Config\\MsgID.dat"), QByteArray("65\r\n"));
    EXPECT_EQ(inst.bytes("Config\\ScdMsgs.rcv"), lines(items(list("schedulebox"))))
        << "saved at once";
    EXPECT_EQ(boxes.texts(),
              QStringList{"The scheduled message(s) will be sent at 09:05 on 5/1/2027."});
    EXPECT_EQ(txttime()->time(), QTime(0, 0));
    EXPECT_EQ(message.cleared, 2);

    // A refused schedule keeps its time.
    recipients.all.clear();
    recipients.checked.clear();
    boxes.clear();
    txttime()->setTime(QTime(9, 5));
    sendText("x");
    EXPECT_EQ(boxes.texts(), QStringList{"Please fill SMS Number List         "});
    EXPECT_EQ(txttime()->time(), QTime(9, 5));
}

TEST_F(OutboxPanelTest, LineBreaksGoOutAsBlanksAndRefusalsLeaveTheTextAndPassTheColourOn) {
    inst.writeBytes("Config\\Sign.cfg", "NOPAGE\r\n");
    {
        const QSignalBlocker asLeft(
            sent<QRadioButton>("Option2")); // a modem sending at once: no reminder
        sent<QRadioButton>("Option2")->setChecked(true);
    }
    sendText("one\ntwo\rthree");
    message.onReplace = [this] { message.messageText = "replaced"; }; // the editor's own first
    sendText("a\nb");
    EXPECT_EQ(items(list("outbox")),
              (QStringList{"[57] " + kStamp + " +447700900123 one two three ",
                           "[58] " + kStamp + " +447700900123 replaced "}));
    message.onReplace = nullptr;
    message.subjectText = "  ";
    sendText(" \n ");
    EXPECT_EQ(boxes.texts(), QStringList{"Please enter Subject or Message."});
    EXPECT_EQ(boxes.last().icon, MessageBox::Icon::Information);

    boxes.clear();
    recipients.all.clear();
    recipients.checked.clear();
    sendText("hi");
    EXPECT_EQ(boxes.texts(), QStringList{"Please fill SMS Number List         "});
    EXPECT_EQ(recipients.colour, kOrange);
    EXPECT_EQ(message.messageText, "hi");
    EXPECT_EQ(message.cleared, 2);
    EXPECT_EQ(list("outbox")->count(), 2);
    EXPECT_EQ(inst.bytes("Config\\MsgID.dat"), QByteArray("59\r\n"));
}

TEST_F(OutboxPanelTest, IdsContinueAfterEveryListWhenTheCounterIsLostAndNoneGoOutUnstored) {
    inst.remove("Config\\MsgID.dat");
    list("outbox")->addItem("Processing::[77] " + kStamp + " +44123 old");
    list("schedulebox")->addItem("[79] 6/12/2026 10:00:00 +44123 later P1/1 6/12/2026 10:00:00");
    sendText("new");
    list("ListCellnet")->addItem("[85] " + kStamp + " +44123 queued");
    inst.remove("Config\\MsgID.dat");
    sendText("newer");
    ASSERT_EQ(list("outbox")->count(), 3);
    EXPECT_TRUE(list("outbox")->item(1)->text().startsWith("[80] "));
    EXPECT_TRUE(list("outbox")->item(2)->text().startsWith("[86] "));

    // Without a stored counter nothing may go out: ids would be used twice.
    inst.remove("Config\\MsgID.dat");
    QDir().mkpath(inst.file("Config\\MsgID.dat"));
    boxes.clear();
    sendText("x");
    EXPECT_EQ(boxes.texts(), QStringList{"The message number file Config\\MsgID.dat cannot be "
                                         "written. Nothing has been sent."});
    EXPECT_EQ(list("outbox")->count(), 3);
    EXPECT_EQ(message.messageText, "x");

    // An inbox that cannot take the entries: they stay visible, and the user is told.
    QDir(inst.file("Config\\MsgID.dat")).removeRecursively();
    inst.remove(ExchangeFiles::kInbox);
    QDir().mkpath(inst.file(ExchangeFiles::kInbox));
    boxes.clear();
    sendText("y");
    EXPECT_EQ(list("outbox")->count(), 4);
    EXPECT_EQ(boxes.texts(), (QStringList{"Some messages could not be written to the operator "
                                          "module's inbox and will not be sent by modem.",
                                          kSendQueue}));
}

TEST_F(OutboxPanelTest, ALargeSendLetsEventsRunWithoutRunningTwice) {
    recipients.checked.clear();
    for (int i = 0; i < 300; ++i)
        recipients.checked << QString("N%1  +4477009%2").arg(i).arg(i, 5, 10, QChar('0'));
    int pumps = 0;
    clock.onWait([&](qint64) {
        ++pumps;
        EXPECT_TRUE(sender().sending() && !sent<QToolButton>("Picture5")->isEnabled());
        sender().sendClicked(); // the handler itself refuses to re-enter
    });
    sendText(QString(300, 'x'));
    clock.onWait(nullptr);
    EXPECT_GT(pumps, 2);
    ASSERT_EQ(list("outbox")->count(), 900);
    EXPECT_TRUE(list("outbox")->item(899)->text().startsWith("[956] "));
    EXPECT_EQ(message.cleared, 1) << "cleared before the entries go out";
    EXPECT_TRUE(!sender().sending() && sent<QToolButton>("Picture5")->isEnabled());
    EXPECT_EQ(inst.bytes(ExchangeFiles::kInbox).count("\r\n"), 901);
}

// The rules themselves are tabled in QueueModesTest; here the controls reach them.
TEST_F(OutboxPanelTest, TheSendBoxControlsReachTheQueueRules) {
    list("outbox")->addItem("[1] " + kStamp + " +441 one");
    delivery().setBlinking(true);
    blink.timeout();
    EXPECT_EQ(sent<QPushButton>("Command2")->text(), "&Send Queue");
    EXPECT_TRUE(sent<QPushButton>("Command2")->font().bold());
    blink.timeout();
    EXPECT_EQ(sent<QPushButton>("Command2")->text(), "");
    EXPECT_EQ(sent<QPushButton>("Command2")->shortcut(), QKeySequence(Qt::ALT | Qt::Key_S))
        << "blank, still Alt+S";
    sent<QPushButton>("Command2")->click();
    EXPECT_FALSE(delivery().blinking());
    EXPECT_EQ(sent<QPushButton>("Command2")->text(), "&Send Queue");
    EXPECT_FALSE(sent<QPushButton>("Command2")->font().bold());
    sent<QRadioButton>("Option1")->click();
    EXPECT_TRUE(sent<QRadioButton>("Option2")->isChecked() && poll.isActive());
    EXPECT_FALSE(sent<QPushButton>("Command2")->isEnabled() ||
                 sent<QPushButton>("cmdConfigure")->isEnabled());

    list("outbox")->clear();
    txttime()->setTime(QTime(9, 30));
    sent<QRadioButton>("Option2")->click();
    EXPECT_EQ(txttime()->time(), QTime(0, 0));
    poll.stop();
    list("schedulebox")->addItem("[5] 5/12/2026 17:00:00 +441 a 5/12/2026 17:00:00");
    blink.timeout();
    EXPECT_TRUE(poll.isActive());
    settings.connection = ConnectionType::Internet;
    child<QToolButton>(*send, "imgSchedule")->click();

    // Internet: Queue Messages only, no scheduling, and the poll's interval of 0 never runs.
    sent<QRadioButton>("Option2")->setChecked(true);
    send->applyConnectionLayout(settings.connection);
    EXPECT_TRUE(sent<QRadioButton>("Option1")->isChecked());
    for (QWidget* w : std::initializer_list<QWidget*>{
             child<QToolButton>(*send, "imgSchedule"),
             child<QToolButton>(*send, "imgScheduledMessageQ"),
             child<QToolButton>(*out, "Picture15"), sent<QDateEdit>("dtSchDate")})
        EXPECT_FALSE(w->isVisibleTo(&window) && w->isEnabled()) << w->objectName().toStdString();
    poll.stop();
    blink.timeout();
    EXPECT_FALSE(poll.isActive());
    send->applyConnectionLayout(ConnectionType::NotChosen);
    EXPECT_EQ(poll.interval(), 0) << "nothing chosen changes nothing";
    EXPECT_EQ(
        boxes.texts(),
        (QStringList{"The Outbox is not empty. Messages cannot be Queued        ",
                     "All New Messages in the Outbox will be Sent Immediately        ",
                     "The scheduling facility is only available in Modem connection option"}));
    // The window shows what Send Queue and the poll say.
    boxes.clear();
    sent<QPushButton>("Command2")->click();
    settings.connection = ConnectionType::Modem;
    inst.writeBytes(ExchangeFiles::kStateFile, "CRASH\r\n");
    delivery().supervisor().poll();
    ASSERT_EQ(boxes.texts().size(), 2);
    EXPECT_EQ(boxes.texts()[0], "The Outbox is empty. No messages to send        ");
    EXPECT_TRUE(boxes.texts()[1].startsWith("No modem detected on the selected port."));
}

// Load offers the saved entries (blank lines are none): No empties the file,
// Yes schedules them again as read, and the file then follows the list.
TEST_F(OutboxPanelTest, SavedEntriesAreOfferedAndTheFileFollowsTheList) {
    const QString past = "[5] 5/12/2026 16:00:00 +441 a 5/12/2026 16:00:00";
    const QString later = " [6] 8/12/2026 10:00:00 +441 b 8/12/2026 10:00:00";
    const QString saved = MessageLists::kScheduledFile;
    inst.writeBytes(saved, " \r\n\r\n");
    send->endLoad();
    EXPECT_EQ(inst.bytes(saved), QByteArray(" \r\n\r\n"));
    inst.writeBytes(saved, lines({past, "  ", later}));
    boxes.answerNext(MessageBox::Answer::No);
    send->endLoad();
    EXPECT_EQ(inst.bytes(saved), QByteArray());
    inst.writeBytes(saved, lines({past, "  ", later}));
    boxes.answerNext(MessageBox::Answer::Yes);
    send->endLoad();
    const QString question = "There are some Pending Queued messages. Do you want to send or "
                             "delete it?\r\n Choose Yes to send, No to delete.";
    ASSERT_EQ(boxes.texts(), (QStringList{question, question}));
    EXPECT_TRUE(boxes.lastIs("Quorvel Warning", MessageBox::Icon::None));
    EXPECT_EQ(boxes.last().buttons, MessageBox::Buttons::YesNo);
    EXPECT_EQ(items(list("schedulebox")), (QStringList{past, later}));
    EXPECT_EQ(sent<QDateEdit>("dtSchDate")->date(), QDate(2026, 12, 5));
    QCoreApplication::processEvents();
    EXPECT_EQ(inst.bytes(saved), lines({past, later}));
    // The past one goes out at the first poll, and the file follows the list.
    inst.writeBytes(ExchangeFiles::kStateFile, "INUSE\r\n");
    delivery().supervisor().poll();
    EXPECT_EQ(items(list("outbox")), QStringList{past});
    QCoreApplication::processEvents();
    EXPECT_EQ(inst.bytes(saved), lines({later}));
}

// Only a highlighted entry counts, not the current one without highlight.
TEST_F(OutboxPanelTest, TheOutboxButtonsAndDoubleClickActOnTheHighlightedEntry) {
    const QString a = "[1] " + kStamp + " +44123 a", b = "[2] " + kStamp + " +44123 b";
    const QString p = "Processing::[ 57 ] " + kStamp + " +33612345678 Hi ] + there  ";
    list("outbox")->addItems({a, p, b});
    QStringList shown;
    onModal<frmDisplaySelMsgDetls>([&](frmDisplaySelMsgDetls& w) {
        const auto text = [&w](const char* name) { return w.findChild<QLineEdit*>(name)->text(); };
        shown << w.windowTitle() << text("txtMessageId") << text("txtMessageDt")
              << w.findChild<QPlainTextEdit*>("txtMessage")->toPlainText() << text("txtMsgLen");
        child<QPushButton>(w, "Command1")->click();
    });
    list("outbox")->setCurrentRow(1);
    emit list("outbox")->itemDoubleClicked(list("outbox")->item(1));
    EXPECT_EQ(shown, (QStringList{"Selected Message Details", "57", kStamp, "Hi ] + there", "12"}));

    list("outbox")->setCurrentRow(2);
    boxes.answerNext(MessageBox::Answer::Yes);
    child<QToolButton>(*out, "Picture12")->click();
    EXPECT_EQ(items(list("outbox")), (QStringList{a, p}));
    EXPECT_EQ(list("outbox")->currentRow(), 1) << "the last entry is highlighted";
    EXPECT_TRUE(list("outbox")->currentItem()->isSelected());
    list("outbox")->setCurrentRow(0);
    list("outbox")->clearSelection();
    boxes.clear();
    child<QToolButton>(*out, "Picture12")->click();
    EXPECT_EQ(boxes.texts(), QStringList{"No message selected in outbox."});
    boxes.answerNext(MessageBox::Answer::Yes);
    child<QToolButton>(*out, "Picture1")->click();
    EXPECT_EQ(list("outbox")->count(), 0);
}

// The file views load in slices, letting window events run between them;
// Clear empties the file shown, Clear All of the failed view all three.
