#pragma once

#include <QList>
#include <cstdint>

struct xcb_connection_t;

// A notification area as far as an X client can tell: it owns the
// "_NET_SYSTEM_TRAY_S<screen>" selection of the display in $DISPLAY and shows
// the icons that ask to dock in a strip at the top left of the screen. It
// talks to the X server on a connection of its own and takes requests only
// when asked, so it runs in the test's process without a thread. Made before
// the program looks for a notification area, it announces itself to no one.
class FakeSystemTray {
public:
    FakeSystemTray();
    ~FakeSystemTray();
    FakeSystemTray(const FakeSystemTray&) = delete;
    FakeSystemTray& operator=(const FakeSystemTray&) = delete;

    // True once the selection is ours.
    bool owned() const { return m_owned; }

    // Docks the icons that have asked since the last call and returns every
    // icon docked so far, in order. Requests the caller's own connection sent
    // before a round trip on it are all here.
    QList<std::uint32_t> dockRequests();
    // True when `window` is mapped and all its ancestors are (it can be seen).
    bool viewable(std::uint32_t window);

private:
    xcb_connection_t* m_connection = nullptr;
    std::uint32_t m_window = 0;
    std::uint32_t m_opcode = 0;
    bool m_owned = false;
    QList<std::uint32_t> m_docked;
};

// A round trip on `connection`: every request sent on it before has been
// carried out by the X server when this returns.
void xcbRoundTrip(xcb_connection_t* connection);
