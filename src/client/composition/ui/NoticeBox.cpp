#include "client/composition/ui/NoticeBox.h"

namespace {

MessageBox::Icon icon(Notice::Icon i) {
    switch (i) {
    case Notice::Icon::Information:
        return MessageBox::Icon::Information;
    case Notice::Icon::Warning:
        return MessageBox::Icon::Warning;
    case Notice::Icon::None:
        break;
    }
    return MessageBox::Icon::None;
}

} // namespace

MessageBox::Answer showNotice(const Notice& notice) {
    if (notice.question)
        return MessageBox::show(notice.text, notice.title, icon(notice.icon),
                                MessageBox::Buttons::YesNo, MessageBox::Answer::No);
    return MessageBox::show(notice.text, notice.title, icon(notice.icon));
}
