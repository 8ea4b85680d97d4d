#include "client/composition/ui/ComposeController.h"

#include "client/composition/CharacterRules.h"
#include "client/composition/Counters.h"
#include "client/composition/QuickMessageList.h"
#include "client/composition/ui/CompositionPanel.h"
#include "client/composition/ui/LineBoxGuard.h"
#include "client/composition/ui/QuickMessageDialog.h"
#include "client/composition/ui/SignatureDialog.h"
#include "client/composition/ui/TypedKey.h"
#include "client/settings/ClientSettings.h"
#include "common/Installation.h"
#include "common/MessageBox.h"
#include "ui/BackColour.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolButton>
#include <algorithm>

using namespace CharacterRules;

ComposeController::ComposeController(CompositionPanel& controls, ClientSettings& settings,
                                     const Installation& installation, QObject* parent)
    : QObject(parent), m_c(controls), m_settings(settings), m_installation(installation) {
    // As in a multi-line box of the platform the program came from, Tab moves on.
    m_c.txtMessage->setTabChangesFocus(true);
    m_c.txtMessage->installEventFilter(this);
    m_c.txtMessage->viewport()->installEventFilter(this);
    m_c.Combo1->installEventFilter(this);
    // Choosing replaces the message: a wheel turned while passing over the
    // closed box must neither choose nor give it the focus to choose with.
    m_c.Combo1->setFocusPolicy(Qt::StrongFocus);
    QTextDocument* doc = m_c.txtMessage->document();
    connect(doc, &QTextDocument::contentsChange, this, &ComposeController::onMessageContentsChange);
    connect(m_c.txtMessage, &QPlainTextEdit::textChanged, this,
            &ComposeController::onMessageTextChanged);

    m_subjectGuard = std::make_unique<LineBoxGuard>(m_c.txtSubject, kQuorvelWarning);
    m_subjectGuard->keyDown = [this] { txtSubject_KeyDown(); };
    m_subjectGuard->furtherKeyRule = [this](int code) {
        if (MessageEditor::subjectHasRoom(m_c.txtSubject->text().size(), code))
            return true;
        paintBase(m_c.Text4, kOrange);
        return false;
    };
    connect(m_subjectGuard.get(), &LineBoxGuard::changed, this, [this] { txtSubject_Change(); });

    connect(m_c.txtLenTotal, &QLineEdit::textChanged, this, [this] { txtLenTotal_Change(); });
    connect(m_c.Picture17, &QToolButton::clicked, this, [this] { Picture17_Click(); });
    connect(m_c.Check2, &QCheckBox::toggled, this, [this] { Check2_Click(); });
    connect(m_c.Picture10, &QToolButton::clicked, this, [this] { Picture10_Click(); });
    connect(m_c.picQuickMsg, &QToolButton::clicked, this, [this] { picQuickMsg_Click(); });
    connect(m_c.Combo1, &QComboBox::activated, this, [this](int i) { Combo1_Click(i); });
    connect(qApp, &QApplication::focusChanged, this, &ComposeController::onFocusChanged);
}

ComposeController::~ComposeController() = default;

// --- Load -------------------------------------------------------------------------------

void ComposeController::InitCounters() {
    Check2_Click();
}

void ComposeController::LoadQuickMessages() {
    fillQuickMessages(QuickMessageList::read(m_installation.folder()));
}

void ComposeController::ResetQuickMessageText() {
    m_c.Combo1->setCurrentIndex(-1);
}

void ComposeController::fillQuickMessages(const QStringList& entries) {
    m_c.Combo1->clear();
    m_c.Combo1->addItems(entries);
    m_c.Combo1->setCurrentIndex(-1);
}

// --- For Send ------------------------------------------------------------------------------

void ComposeController::normaliseLineBreaks() {
    QTextDocument* doc = m_c.txtMessage->document();
    // The box holds each line break as the boundary of a block.
    if (doc->blockCount() <= 1)
        return;
    QTextCursor user = m_c.txtMessage->textCursor();
    const int anchor = messagePosition(user.anchor());
    const int position = messagePosition(user.position());
    m_editing = true;
    QTextCursor all(doc);
    all.beginEditBlock();
    all.select(QTextCursor::Document);
    all.insertText(m_editor.breaks().spaced(all.selectedText()));
    all.endEditBlock();
    m_editing = false;
    // Each blank stands where its character stood, so the caret and the
    // selection keep their place in the text.
    user.setPosition(anchor);
    user.setPosition(position, QTextCursor::KeepAnchor);
    m_c.txtMessage->setTextCursor(user);
}

SignatureFile ComposeController::signature() const {
    return SignatureFile::read(m_installation.folder());
}

// --- Editor -----------------------------------------------------------------------------------

bool ComposeController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_c.Combo1 && event->type() == QEvent::Wheel)
        return !m_c.Combo1->hasFocus();
    if (watched == m_c.txtMessage->viewport() && event->type() == QEvent::Drop) {
        // What the drop brings, line breaks as they came.
        const QMimeData* mime = static_cast<QDropEvent*>(event)->mimeData();
        m_droppedText = mime && mime->hasText() ? mime->text() : QString();
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (watched == m_c.txtMessage) {
        txtMessage_KeyDown();
        if (const auto c = TypedKey::character(*key))
            return !txtMessage_KeyPress(*c);
    } else if (watched == m_c.Combo1) {
        // Pick-only: typed characters never reach it.
        if (TypedKey::character(*key))
            return true;
    }
    return QObject::eventFilter(watched, event);
}

void ComposeController::txtMessage_KeyDown() {
    const int position = m_c.txtMessage->textCursor().position();
    m_editor.messageKeyDown(position,
                            m_c.txtMessage->document()->findBlock(position).blockNumber());
}

void ComposeController::txtSubject_KeyDown() {
    m_editor.subjectKeyDown(m_c.txtSubject->cursorPosition());
}

bool ComposeController::txtMessage_KeyPress(QChar c) {
    return MessageEditor::messageKey(c);
}

void ComposeController::onMessageContentsChange(int from, int removed, int added) {
    trackLineBreaks(from, added);
    if (m_editing)
        return;
    m_change = Change{from, removed, added};
}

void ComposeController::onMessageTextChanged() {
    if (m_editing)
        return;
    m_droppedText.clear();
    if (m_change) {
        const Change change = *m_change;
        m_change.reset();
        guardMessageChange(change);
    }
    txtMessage_Change();
}

// The breaks before the change stand as they were; those of the changed
// range give way to the ones it holds now.
void ComposeController::trackLineBreaks(int from, int added) {
    QTextDocument* doc = m_c.txtMessage->document();
    const int last = doc->characterCount() - 1;
    const int first = doc->findBlock(std::clamp(from, 0, last)).blockNumber();
    const int end = doc->findBlock(std::clamp(from + added, 0, last)).blockNumber();
    const qsizetype inserted = end - first;
    QList<int> lengths;
    if (inserted > 0 && m_reinsertedBreaks && m_reinsertedBreaks->size() == inserted) {
        lengths = *m_reinsertedBreaks;
    } else if (inserted > 0) {
        // The box has lost what each inserted break was; the text it came
        // from still has it.
        QStringList sources{m_droppedText, QGuiApplication::clipboard()->text()};
        if (QGuiApplication::clipboard()->supportsSelection())
            sources << QGuiApplication::clipboard()->text(QClipboard::Selection);
        lengths =
            MessageEditor::insertedLengths(messageRange(from, from + added), inserted, sources);
    }
    m_editor.breaksChanged(first, inserted, doc->blockCount() - 1, lengths);
}

QString ComposeController::messageRange(int from, int to) const {
    QTextCursor range(m_c.txtMessage->document());
    range.setPosition(from);
    range.setPosition(std::min(to, m_c.txtMessage->document()->characterCount() - 1),
                      QTextCursor::KeepAnchor);
    return range.selectedText();
}

// Only the inserted range is looked at, so typing costs the same however
// long the message is.
void ComposeController::guardMessageChange(const Change& change) {
    QTextDocument* doc = m_c.txtMessage->document();
    const int last = doc->characterCount() - 1; // the final block end is not text
    const int end = std::min(change.from + change.added, last);
    if (change.added <= 0 || end <= change.from)
        return;
    QTextCursor range(doc);
    range.setPosition(change.from);
    range.setPosition(end, QTextCursor::KeepAnchor);
    const QString inserted = range.selectedText();
    const Pasted clean = cleanPasted(inserted, LineBreaks::Keep);
    QTextCursor user = m_c.txtMessage->textCursor();
    const PastedLineBreaks breaksBefore = m_editor.breaksBefore();

    if (clean.refused) {
        // Text the program set (it clears the undo steps) is left for the
        // focus-loss check to report.
        if (!doc->isUndoAvailable())
            return;
        MessageBox::show(kAsciiOnly, kQuorvelWarning, MessageBox::Icon::Information);
        const int before = doc->characterCount() - change.added + change.removed;
        m_editing = true;
        doc->undo();
        if (doc->characterCount() != before) {
            // The last step held more than this insertion: take out just the range.
            doc->redo();
            range.setPosition(change.from);
            range.setPosition(end, QTextCursor::KeepAnchor);
            range.removeSelectedText();
        }
        m_editing = false;
        if (doc->characterCount() == before)
            m_editor.restoreBreaks(breaksBefore); // the undo brings back breaks as they were
        const int restoredEnd =
            std::min(change.from + std::max(change.removed, 0), doc->characterCount() - 1);
        user.setPosition(std::min(change.from, doc->characterCount() - 1));
        if (restoredEnd > change.from && doc->characterCount() == before)
            user.setPosition(restoredEnd, QTextCursor::KeepAnchor);
        m_c.txtMessage->setTextCursor(user);
        return;
    }
    if (clean.text.size() == inserted.size())
        return;
    const bool caretAtEnd = !user.hasSelection() && user.position() == end;
    // The cleaning keeps every break; each keeps what it stood for.
    const int firstBreak = doc->findBlock(change.from).blockNumber();
    m_reinsertedBreaks =
        m_editor.breaks().mid(firstBreak, doc->findBlock(end).blockNumber() - firstBreak);
    m_editing = true;
    range.joinPreviousEditBlock(); // one undo step with the paste
    range.insertText(clean.text);
    range.endEditBlock();
    m_reinsertedBreaks.reset();
    m_editing = false;
    if (caretAtEnd) {
        user.setPosition(change.from + int(clean.text.size()));
        m_c.txtMessage->setTextCursor(user);
    }
}

qsizetype ComposeController::messageLength() const {
    return m_editor.messageLength(m_c.txtMessage->document()->characterCount() - 1);
}

int ComposeController::messagePosition(int boxPosition) const {
    return m_editor.messagePosition(
        boxPosition, m_c.txtMessage->document()->findBlock(boxPosition).blockNumber());
}

void ComposeController::txtMessage_LostFocus() {
    normaliseLineBreaks();
    if (!m_editor.messageLeft(m_c.txtMessage->toPlainText()))
        m_c.txtMessage->setFocus();
}

void ComposeController::txtSubject_LostFocus() {
    if (!m_editor.subjectLeft(m_c.txtSubject->text()))
        m_c.txtSubject->setFocus();
}

// A check that shows a box and takes the focus back would otherwise run again
// as the box takes the focus: only moves within the main window count.
// Nor does a move a check makes itself: with refused text in both boxes, each
// box's check would otherwise hand the focus to the other's for ever.
void ComposeController::onFocusChanged(QWidget* old, QWidget* now) {
    if (m_focusCheck || !old || !now || old->window() != now->window())
        return;
    m_focusCheck = true;
    if (old == m_c.txtMessage)
        txtMessage_LostFocus();
    else if (old == m_c.txtSubject)
        txtSubject_LostFocus();
    m_focusCheck = false;
}

// --- Counters ----------------------------------------------------------------------------------

void ComposeController::setTotal(long long total) {
    m_c.txtLenTotal->setText(QString::number(total));
}

void ComposeController::recount() {
    const auto v = m_editor.recount(m_c.txtSubject->text().size(),
                                    m_c.txtMessage->document()->characterCount() - 1,
                                    Counters::value(m_c.txtLenSignature->text()));
    m_c.Text4->setText(QString::number(v.message));
    setTotal(v.total);
}

void ComposeController::txtMessage_Change() {
    recount();
}

void ComposeController::txtSubject_Change() {
    recount();
    ApplyLengthColour();
}

void ComposeController::txtLenTotal_Change() {
    ApplyLengthColour();
}

void ComposeController::ApplyLengthColour() {
    m_editor.splitWarning().ApplyLengthColour(Counters::value(m_c.txtLenTotal->text()),
                                              SplitWarning::kMaxSmsLength,
                                              [this](Colour c) { paintBase(m_c.txtLenTotal, c); });
}

void ComposeController::Picture17_Click() {
    m_c.txtMessage->setPlainText(QString());
    m_c.txtSubject->setText(QString());
    ResetQuickMessageText();
    m_c.txtSubject->setFocus();
}

// --- Signature
// ------------------------------------------------------------------------------------

void ComposeController::Check2_Click() {
    const int sig = m_c.Check2->isChecked() ? signature().counterLength() : 0;
    m_c.txtLenSignature->setText(QString::number(sig));
    setTotal(Counters::plainTotal(m_c.txtSubject->text().size(), sig, messageLength()));
}

void ComposeController::Picture10_Click() {
    SignatureDialog dialog(m_settings, m_installation.folder(), m_c.window());
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (m_c.Check2->isChecked()) {
        const long long sig =
            Counters::signatureAfterAccept(dialog.pageInfo(), dialog.Text1->text());
        m_c.txtLenSignature->setText(QString::number(sig));
        setTotal(Counters::totalAfterSignatureAccept(m_c.Text4->text(), sig));
    } else {
        m_c.txtLenSignature->setText("0");
        m_c.txtLenTotal->setText(m_c.Text4->text());
    }
}

// --- Quick messages
// ---------------------------------------------------------------------------------

void ComposeController::picQuickMsg_Click() {
    QuickMessageDialog dialog(m_settings, m_installation.folder(), m_c.window());
    dialog.exec();
    fillQuickMessages(dialog.entries());
}

void ComposeController::Combo1_Click(int index) {
    if (index < 0 || index >= m_c.Combo1->count())
        return;
    // Barred characters go silently, as from any paste. A refused character
    // (only a hand-edited file holds one) stays: set by the program, it is
    // reported by the focus-loss check, like any text the program puts there.
    m_c.txtMessage->setPlainText(cleanPasted(m_c.Combo1->itemText(index), LineBreaks::Keep).text);
    paintBase(m_c.Text4, m_c.Text4->text() == "0" ? kOrange : kWhite);
}
