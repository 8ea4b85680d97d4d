#include "BrindleSimTest.h"
#include "nom/ui/BrindleWindow.h"
#include "support/AccessibilityWalk.h"

// Brindle's row of the walk over every window: named controls, Tab in reading
// order; its title bar cannot close it, so it is no dialog Escape could leave.
TEST_F(BrindleSimTest, WindowIsNamedAndWalkedInReadingOrder) {
    run.start();
    BrindleWindow window(*run.brindle);
    AccessibilityWalk::check(&window,
                             {"cbModemSpeed", "CbPortNumber", "DebugWin", "DebugScreen",
                              "MessageQueue", "SentQueue", "bExit"},
                             false);
}
