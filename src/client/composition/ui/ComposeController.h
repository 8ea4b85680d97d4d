#pragma once

#include "client/composition/MessageEditor.h"
#include "client/composition/SignatureFile.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

struct ClientSettings;
class CompositionPanel;
class Installation;
class LineBoxGuard;
class QWidget;

// The composition area of the main window: the subject and message boxes
// with their character rules, the three counters, the signature switch and
// dialog, the quick messages and the clear button.
class ComposeController : public QObject {
    Q_OBJECT
public:
    ComposeController(CompositionPanel& controls, ClientSettings& settings,
                      const Installation& installation, QObject* parent = nullptr);
    ~ComposeController() override;

    // Load: the counters from Config\Sign.cfg and the boxes; the quick
    // message drop-down from its file; its text back to "Quick Message".
    void InitCounters();
    void LoadQuickMessages();
    void ResetQuickMessageText();

    // For Send: the focus-loss replacement of line breaks by spaces (focus
    // may never have left the box).
    void normaliseLineBreaks();
    SignatureFile signature() const;
    // The rules behind the boxes; Send re-arms its split warning.
    MessageEditor& editor() { return m_editor; }

    // Handlers of the panel's controls, named after what the user did.
    void messageKeyDown();
    void subjectKeyDown();
    // false: the typed character is dropped.
    bool messageCharacterTyped(QChar c);
    void messageLeft();
    void subjectLeft();
    void messageEdited();
    void subjectEdited();
    void totalChanged();
    void colourTotal();
    void clearMessageClicked();
    void signatureSwitched();
    void changeSignatureClicked();
    void addQuickMessageClicked();
    void quickMessageChosen(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Change {
        int from = 0;
        int removed = 0;
        int added = 0;
    };

    void onFocusChanged(QWidget* old, QWidget* now);
    void onMessageContentsChange(int from, int removed, int added);
    void onMessageTextChanged();
    void trackLineBreaks(int from, int added);
    void guardMessageChange(const Change& change);
    // A change that brought a refused character is undone, the ASCII notice shown.
    void takeBackRefused(const Change& change, int end);
    // What the cleaning left of [from, end) takes its place, in the paste's undo step.
    void replaceWithCleaned(int from, int end, const QString& clean);
    void recount();
    void setTotal(long long total);
    // Lengths and positions in the message as it will be sent: a pasted CR LF
    // pair counts two though the box shows one break.
    qsizetype messageLength() const;
    QString messageRange(int from, int to) const;
    int messagePosition(int boxPosition) const;
    void fillQuickMessages(const QStringList& entries);

    CompositionPanel& m_c;
    ClientSettings& m_settings;
    const Installation& m_installation;
    std::unique_ptr<LineBoxGuard> m_subjectGuard;
    MessageEditor m_editor;
    std::optional<QList<int>> m_reinsertedBreaks;
    QString m_droppedText;
    std::optional<Change> m_change;
    bool m_editing = false;
    bool m_focusCheck = false;
};
