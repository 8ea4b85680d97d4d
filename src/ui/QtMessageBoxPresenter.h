#pragma once

#include "common/MessageBox.h"

// Shows message boxes as real modal windows; the only place one is made.
class QtMessageBoxPresenter : public MessageBox::Presenter {
public:
    MessageBox::Answer present(const MessageBox::Request& request) override;
};
