#pragma once

#include "client/modem_setup/OutsideLine.h"
#include "client/settings/ClientSettings.h"
#include "common/Notice.h"

#include <QString>
#include <functional>
#include <optional>

class MainWindowLink;
class ModemTester;

// The settings side of the connection dialog: how messages leave (Internet
// or Modem), the outside-line prefix and the port, what OK checks and what
// it stores for Brindle. MODEM_CONN is stored the moment a type is picked;
// OUT_DIAL, OUT_DIAL_OPTION and Config\Port.cfg only by OK and the unload.
class ConnectionSettings {
public:
    // How OK ended.
    enum class Ok { Closing, NoConnectionType, PrefixMissing };
    // Shows a notice at once, before the step that follows it.
    using Tell = std::function<void(const Notice&)>;

    // `outside` holds the stored prefix (OUT_DIAL) and option
    // (OUT_DIAL_OPTION) as the client loaded them; OK updates them.
    ConnectionSettings(QString appPath, ModemTester& tester, OutsideLine& outside,
                       MainWindowLink& mainWindow);

    // Internet chosen in the dialog is InternetChosenNow.
    ConnectionType connection = ConnectionType::NotChosen;
    // The modem route has no usable port; the main window reads it after
    // the dialog has closed.
    bool noPort = false;
    // The port the search offered on showing found; 0 for none.
    int firstStartResult = 0;
    // The user's own mobile number and e-mail address for the service, as
    // typed; loaded from USER_MOBILE and USER_EMAIL.
    QString userMobile;
    QString userEmail;

    // Selects the stored type (the dialog's own choice, so no notice and no
    // second activation) and the stored port.
    void Load();
    // The dialog is shown: fills the prefix and, in Modem mode without a
    // port, returns the question that offers the search (Yes its default
    // button); its answer goes to searchAnswered.
    std::optional<Notice> Activate();
    // No leaves the route without a port; Yes runs the search.
    void searchAnswered(bool yes);
    // By hand, the choice activates the dialog again: Activate's question.
    std::optional<Notice> modemChosen(bool byHand);
    // The Internet notice (and running OK after its Yes) is the window's.
    void internetChosen();
    void outsideLineToggled(bool ticked);
    // OK in Internet mode stores the user's details trimmed, for the sign-on
    // that follows at once; false (nothing stored) in any other mode.
    bool confirmInternet();
    // The checks in order, then the saves. PrefixMissing asks the window to
    // put the cursor into the prefix box; on Closing the window closes.
    WithNotice<Ok> okClicked();
    // The dialog closes: the port again, the send button, and the port is
    // let go so Brindle can open it. A Modem route without a port, or a port
    // file that cannot be written in Modem mode, is told as it is found and
    // leaves sending off.
    void Unload(const Tell& tell);

    // The number on the first line of Config\Port.cfg; 0 for none.
    static int storedPort(const QString& appPath);
    // The port with a blank either side, or an empty line for none; false
    // when the file could not be written.
    static bool writePortFile(const QString& appPath, int port);

private:
    bool isModem() const { return connection == ConnectionType::Modem; }
    bool isInternet() const {
        return connection == ConnectionType::Internet ||
               connection == ConnectionType::InternetChosenNow;
    }
    void chooseType(ConnectionType type);

    QString m_appPath;
    ModemTester& m_tester;
    OutsideLine& m_outside;
    MainWindowLink& m_mainWindow;
};
