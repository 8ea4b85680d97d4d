#pragma once

#include "common/Notice.h"

#include <QString>
#include <optional>

// The one way any part of either program shows a message box. The programs
// install a window-backed presenter; tests install a scripted one that reads
// back every box shown and answers as told.
class MessageBox {
public:
    enum class Icon { None, Information, Warning, Critical, Question };
    enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
    enum class Answer { Ok, Cancel, Yes, No, Retry };

    struct Request {
        QString text;
        QString title;
        Icon icon = Icon::None;
        Buttons buttons = Buttons::Ok;
        Answer defaultButton = Answer::Ok;
    };

    class Presenter {
    public:
        virtual ~Presenter() = default;
        virtual Answer present(const Request& request) = 0;
    };

    static Answer show(const QString& text, const QString& title, Icon icon = Icon::None,
                       Buttons buttons = Buttons::Ok);
    static Answer show(const QString& text, const QString& title, Icon icon, Buttons buttons,
                       Answer defaultButton);
    static Answer show(const Request& request);
    // Shows what a rule said; true when its question was answered Yes.
    static bool tell(const Notice& notice);
    static void tell(const std::optional<Notice>& notice);

    // Returns the presenter it replaces. Without one, boxes are written to the
    // log and answered with their default button.
    static Presenter* install(Presenter* presenter);
    static Presenter* installed();

    // The first button of a set, which is the default when none is named.
    static Answer firstButton(Buttons buttons);
};

// The title of nearly every refusal of the client.
inline const QString kQuorvelWarning = QStringLiteral("Quorvel Warning");
