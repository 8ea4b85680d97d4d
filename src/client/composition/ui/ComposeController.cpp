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
    m_c.m_message->setTabChangesFocus(true);
    m_c.m_message->installEventFilter(this);
    m_c.m_message->viewport()->installEventFilter(this);
    m_c.m_quickMessages->installEventFilter(this);
    // Choosing replaces the message: a wheel turned while passing over the
    // closed box must neither choose nor give it the focus to choose with.
    m_c.m_quickMessages->setFocusPolicy(Qt::StrongFocus);
    QTextDocument* doc = m_c.m_message->document();
    connect(doc, &QTextDocument::contentsChange, this, &ComposeController::onMessageContentsChange);
    connect(m_c.m_message, &QPlainTextEdit::textChanged, this,
            &ComposeController::onMessageTextChanged);

    m_subjectGuard = std::make_unique<LineBoxGuard>(m_c.m_subject, kQuorvelWarning);
    m_subjectGuard->keyDown = [this] { subjectKeyDown(); };
    m_subjectGuard->furtherKeyRule = [this](int code) {
        const auto full = MessageEditor::subjectFull(m_c.m_subject->text().size(), code);
        if (!full)
            return true;
        MessageBox::tell(*full);
        paintBase(m_c.m_messageCount, kOrange);
        return false;
    };
    connect(m_subjectGuard.get(), &LineBoxGuard::changed, this, [this] { subjectEdited(); });

    connect(m_c.m_totalCount, &QLineEdit::textChanged, this, [this] { totalChanged(); });
    connect(m_c.m_clearMessage, &QToolButton::clicked, this, [this] { clearMessageClicked(); });
    connect(m_c.m_signatureOn, &QCheckBox::toggled, this, [this] { signatureSwitched(); });
    connect(m_c.m_changeSignature, &QToolButton::clicked, this,
            [this] { changeSignatureClicked(); });
    connect(m_c.m_addQuickMessage, &QToolButton::clicked, this,
            [this] { addQuickMessageClicked(); });
    connect(m_c.m_quickMessages, &QComboBox::activated, this,
            [this](int i) { quickMessageChosen(i); });
    connect(qApp, &QApplication::focusChanged, this, &ComposeController::onFocusChanged);
}

ComposeController::~ComposeController() = default;

// --- Load -------------------------------------------------------------------------------

void ComposeController::InitCounters() {
    signatureSwitched();
}

void ComposeController::LoadQuickMessages() {
    fillQuickMessages(QuickMessageList::read(m_installation.folder()));
}

void ComposeController::ResetQuickMessageText() {
    m_c.m_quickMessages->setCurrentIndex(-1);
}

void ComposeController::fillQuickMessages(const QStringList& entries) {
    m_c.m_quickMessages->clear();
    m_c.m_quickMessages->addItems(entries);
    m_c.m_quickMessages->setCurrentIndex(-1);
}

// --- For Send ------------------------------------------------------------------------------

void ComposeController::normaliseLineBreaks() {
    QTextDocument* doc = m_c.m_message->document();
    // The box holds each line break as the boundary of a block.
    if (doc->blockCount() <= 1)
        return;
    QTextCursor user = m_c.m_message->textCursor();
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
    m_c.m_message->setTextCursor(user);
}

SignatureFile ComposeController::signature() const {
    return SignatureFile::read(m_installation.folder());
}

// --- Editor -----------------------------------------------------------------------------------

bool ComposeController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_c.m_quickMessages && event->type() == QEvent::Wheel)
        return !m_c.m_quickMessages->hasFocus();
    if (watched == m_c.m_message->viewport() && event->type() == QEvent::Drop) {
        // What the drop brings, line breaks as they came.
        const QMimeData* mime = static_cast<QDropEvent*>(event)->mimeData();
        m_droppedText = mime && mime->hasText() ? mime->text() : QString();
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (watched == m_c.m_message) {
        messageKeyDown();
        if (const auto c = TypedKey::character(*key))
            return !messageCharacterTyped(*c);
    } else if (watched == m_c.m_quickMessages) {
        // Pick-only: typed characters never reach it.
        if (TypedKey::character(*key))
            return true;
    }
    return QObject::eventFilter(watched, event);
}

void ComposeController::messageKeyDown() {
    const int position = m_c.m_message->textCursor().position();
    m_editor.messageKeyDown(position, m_c.m_message->document()->findBlock(position).blockNumber());
}

void ComposeController::subjectKeyDown() {
    m_editor.subjectKeyDown(m_c.m_subject->cursorPosition());
}

bool ComposeController::messageCharacterTyped(QChar c) {
    const auto key = MessageEditor::messageKey(c);
    if (key.notice)
        MessageBox::tell(*key.notice);
    return key.accepted;
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
    messageEdited();
}

// The breaks before the change stand as they were; those of the changed
// range give way to the ones it holds now.
void ComposeController::trackLineBreaks(int from, int added) {
    QTextDocument* doc = m_c.m_message->document();
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
    QTextCursor range(m_c.m_message->document());
    range.setPosition(from);
    range.setPosition(std::min(to, m_c.m_message->document()->characterCount() - 1),
                      QTextCursor::KeepAnchor);
    return range.selectedText();
}

// Only the inserted range is looked at, so typing costs the same however
// long the message is.
void ComposeController::guardMessageChange(const Change& change) {
    // The final block end is not text.
    const int last = m_c.m_message->document()->characterCount() - 1;
    const int end = std::min(change.from + change.added, last);
    if (change.added <= 0 || end <= change.from)
        return;
    const QString inserted = messageRange(change.from, end);
    const Pasted clean = cleanPasted(inserted, LineBreaks::Keep);
    if (clean.refused)
        takeBackRefused(change, end);
    else if (clean.text.size() != inserted.size())
        replaceWithCleaned(change.from, end, clean.text);
}

void ComposeController::takeBackRefused(const Change& change, int end) {
    QTextDocument* doc = m_c.m_message->document();
    // Text the program set (it clears the undo steps) is left for the
    // focus-loss check to report.
    if (!doc->isUndoAvailable())
        return;
    QTextCursor user = m_c.m_message->textCursor();
    const PastedLineBreaks breaksBefore = m_editor.breaksBefore();
    MessageBox::tell(MessageEditor::asciiOnly());
    const int before = doc->characterCount() - change.added + change.removed;
    m_editing = true;
    doc->undo();
    if (doc->characterCount() != before) {
        // The last step held more than this insertion: take out just the range.
        doc->redo();
        QTextCursor range(doc);
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
    m_c.m_message->setTextCursor(user);
}

void ComposeController::replaceWithCleaned(int from, int end, const QString& clean) {
    QTextDocument* doc = m_c.m_message->document();
    QTextCursor user = m_c.m_message->textCursor();
    const bool caretAtEnd = !user.hasSelection() && user.position() == end;
    // The cleaning keeps every break; each keeps what it stood for.
    const int firstBreak = doc->findBlock(from).blockNumber();
    m_reinsertedBreaks =
        m_editor.breaks().mid(firstBreak, doc->findBlock(end).blockNumber() - firstBreak);
    QTextCursor range(doc);
    range.setPosition(from);
    range.setPosition(end, QTextCursor::KeepAnchor);
    m_editing = true;
    range.joinPreviousEditBlock(); // one undo step with the paste
    range.insertText(clean);
    range.endEditBlock();
    m_reinsertedBreaks.reset();
    m_editing = false;
    if (caretAtEnd) {
        user.setPosition(from + int(clean.size()));
        m_c.m_message->setTextCursor(user);
    }
}

qsizetype ComposeController::messageLength() const {
    return m_editor.messageLength(m_c.m_message->document()->characterCount() - 1);
}

int ComposeController::messagePosition(int boxPosition) const {
    return m_editor.messagePosition(
        boxPosition, m_c.m_message->document()->findBlock(boxPosition).blockNumber());
}

void ComposeController::messageLeft() {
    normaliseLineBreaks();
    if (const auto refusal = m_editor.messageLeft(m_c.m_message->toPlainText())) {
        MessageBox::tell(*refusal);
        m_c.m_message->setFocus();
    }
}

void ComposeController::subjectLeft() {
    if (const auto refusal = m_editor.subjectLeft(m_c.m_subject->text())) {
        MessageBox::tell(*refusal);
        m_c.m_subject->setFocus();
    }
}

// A check that shows a box and takes the focus back would otherwise run again
// as the box takes the focus: only moves within the main window count.
// Nor does a move a check makes itself: with refused text in both boxes, each
// box's check would otherwise hand the focus to the other's for ever.
void ComposeController::onFocusChanged(QWidget* old, QWidget* now) {
    if (m_focusCheck || !old || !now || old->window() != now->window())
        return;
    m_focusCheck = true;
    if (old == m_c.m_message)
        messageLeft();
    else if (old == m_c.m_subject)
        subjectLeft();
    m_focusCheck = false;
}

// --- Counters ----------------------------------------------------------------------------------

void ComposeController::setTotal(long long total) {
    m_c.m_totalCount->setText(QString::number(total));
}

void ComposeController::recount() {
    const auto v = m_editor.recount(m_c.m_subject->text().size(),
                                    m_c.m_message->document()->characterCount() - 1,
                                    Counters::value(m_c.m_signatureCount->text()));
    m_c.m_messageCount->setText(QString::number(v.message));
    setTotal(v.total);
}

void ComposeController::messageEdited() {
    recount();
}

void ComposeController::subjectEdited() {
    recount();
    colourTotal();
}

void ComposeController::totalChanged() {
    colourTotal();
}

void ComposeController::colourTotal() {
    const auto check = m_editor.splitWarning().check(Counters::value(m_c.m_totalCount->text()),
                                                     SplitWarning::kMaxSmsLength);
    // The orange total stands behind the warning.
    paintBase(m_c.m_totalCount, check.colour);
    if (check.warning)
        MessageBox::tell(*check.warning);
}

void ComposeController::clearMessageClicked() {
    m_c.m_message->setPlainText(QString());
    m_c.m_subject->setText(QString());
    ResetQuickMessageText();
    m_c.m_subject->setFocus();
}

// --- Signature
// ------------------------------------------------------------------------------------

void ComposeController::signatureSwitched() {
    const int sig = m_c.m_signatureOn->isChecked() ? signature().counterLength() : 0;
    m_c.m_signatureCount->setText(QString::number(sig));
    setTotal(Counters::plainTotal(m_c.m_subject->text().size(), sig, messageLength()));
}

void ComposeController::changeSignatureClicked() {
    SignatureDialog dialog(m_settings, m_installation.folder(), m_c.window());
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (m_c.m_signatureOn->isChecked()) {
        const long long sig = Counters::signatureAfterAccept(dialog.pageInfo(), dialog.text());
        m_c.m_signatureCount->setText(QString::number(sig));
        setTotal(Counters::totalAfterSignatureAccept(m_c.m_messageCount->text(), sig));
    } else {
        m_c.m_signatureCount->setText("0");
        m_c.m_totalCount->setText(m_c.m_messageCount->text());
    }
}

// --- Quick messages
// ---------------------------------------------------------------------------------

void ComposeController::addQuickMessageClicked() {
    QuickMessageDialog dialog(m_settings, m_installation.folder(), m_c.window());
    dialog.exec();
    fillQuickMessages(dialog.entries());
}

void ComposeController::quickMessageChosen(int index) {
    if (index < 0 || index >= m_c.m_quickMessages->count())
        return;
    // Barred characters go silently, as from any paste. A refused character
    // (only a hand-edited file holds one) stays: set by the program, it is
    // reported by the focus-loss check, like any text the program puts there.
    m_c.m_message->setPlainText(
        cleanPasted(m_c.m_quickMessages->itemText(index), LineBreaks::Keep).text);
    paintBase(m_c.m_messageCount, m_c.m_messageCount->text() == "0" ? kOrange : kWhite);
}
