#pragma once

#include "common/Colour.h"

#include <QDialog>
#include <optional>

class Installation;
class QLabel;
class QListWidget;
class QPushButton;

// The shared view of accepted, failed and scheduled messages ("frmAcceptMsg").
// File views load in slices, letting window events run between them, so a
// long file never freezes the window.
class MessageListWindow : public QDialog {
    Q_OBJECT
public:
    // `tag` is the file to show (relative to the installation) or "Q" for the
    // scheduled list held in `schedulebox`.
    MessageListWindow(const Installation& installation, const QString& caption, const QString& tag,
                      QListWidget* schedulebox, std::optional<Colour> backColour,
                      QWidget* parent = nullptr);

    // Runs once when the window first shows; tests call it directly.
    void activate();
    bool loaded() const { return m_loaded; }

    // A click on an entry of the scheduled list: asks, and deletes it on Yes.
    void offerToDeleteEntry(int row);

    // Lines added between two pauses for window events.
    static constexpr int kSlice = 500;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void closeClicked();
    void clearListClicked();
    void clearAllListsClicked();
    void loadFile();
    // The counter always shows how many entries the list holds.
    void showCount();

    const Installation& m_installation;
    QString m_tag;
    QListWidget* m_schedulebox;
    QLabel* m_loading = nullptr;
    QLabel* m_wait = nullptr;
    bool m_activated = false;
    bool m_loaded = false;
    bool m_closing = false;
    QListWidget* List1 = nullptr;
    QLabel* Label2 = nullptr;        // the counter
    QPushButton* Command2 = nullptr; // Cancel
    QPushButton* Command3 = nullptr; // Clear
    QPushButton* cmdClearAll = nullptr;
};
