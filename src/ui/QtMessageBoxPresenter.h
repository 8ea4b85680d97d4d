#pragma once

#include "common/MessageBox.h"

#include <memory>

class QDialog;
class QWidget;

// Shows message boxes as real modal windows; the only place one is made.
class QtMessageBoxPresenter : public MessageBox::Presenter {
public:
    MessageBox::Answer present(const MessageBox::Request& request) override;

    // The box `present` shows, not yet shown.
    static std::unique_ptr<QDialog> build(const MessageBox::Request& request, QWidget* parent);
};
