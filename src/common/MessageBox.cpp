#include "common/MessageBox.h"

#include <QDebug>

namespace {
MessageBox::Presenter* g_presenter = nullptr;
}

MessageBox::Answer MessageBox::firstButton(Buttons buttons) {
    switch (buttons) {
    case Buttons::Ok:
    case Buttons::OkCancel:
        return Answer::Ok;
    case Buttons::YesNo:
    case Buttons::YesNoCancel:
        return Answer::Yes;
    case Buttons::RetryCancel:
        return Answer::Retry;
    }
    return Answer::Ok;
}

MessageBox::Answer MessageBox::show(const QString& text, const QString& title, Icon icon,
                                    Buttons buttons) {
    return show(Request{text, title, icon, buttons, firstButton(buttons)});
}

MessageBox::Answer MessageBox::show(const QString& text, const QString& title, Icon icon,
                                    Buttons buttons, Answer defaultButton) {
    return show(Request{text, title, icon, buttons, defaultButton});
}

MessageBox::Answer MessageBox::show(const Request& request) {
    if (g_presenter)
        return g_presenter->present(request);
    qWarning().noquote() << request.title << ":" << request.text;
    return request.defaultButton;
}

MessageBox::Presenter* MessageBox::install(Presenter* presenter) {
    Presenter* old = g_presenter;
    g_presenter = presenter;
    return old;
}

MessageBox::Presenter* MessageBox::installed() {
    return g_presenter;
}

namespace {

MessageBox::Icon iconFor(Notice::Mark mark) {
    switch (mark) {
    case Notice::Mark::None:
        break;
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

bool MessageBox::tell(const Notice& notice) {
    if (!notice.asks) {
        show(notice.text, notice.title, iconFor(notice.mark));
        return false;
    }
    return show(notice.text, notice.title, iconFor(notice.mark), Buttons::YesNo,
                notice.yesByDefault ? Answer::Yes : Answer::No) == Answer::Yes;
}

void MessageBox::tell(const std::optional<Notice>& notice) {
    if (notice)
        tell(*notice);
}
