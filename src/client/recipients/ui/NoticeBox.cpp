#include "client/recipients/ui/NoticeBox.h"

#include "common/MessageBox.h"

namespace NoticeBox {

namespace {

MessageBox::Icon icon(Notice::Mark mark) {
    switch (mark) {
    case Notice::Mark::None:
        return MessageBox::Icon::None;
    case Notice::Mark::Information:
        return MessageBox::Icon::Information;
    case Notice::Mark::Warning:
        return MessageBox::Icon::Warning;
    case Notice::Mark::Stop:
        return MessageBox::Icon::Critical;
    case Notice::Mark::Question:
        return MessageBox::Icon::Question;
    }
    return MessageBox::Icon::None;
}

} // namespace

bool show(const Notice& notice) {
    if (!notice.asks) {
        MessageBox::show(notice.text, notice.title, icon(notice.mark));
        return false;
    }
    return MessageBox::show(notice.text, notice.title, icon(notice.mark),
                            MessageBox::Buttons::YesNo,
                            MessageBox::Answer::No) == MessageBox::Answer::Yes;
}

void show(const std::optional<Notice>& notice) {
    if (notice)
        show(*notice);
}

} // namespace NoticeBox
