#include "support/FakeSystemTray.h"

#include <QByteArray>
#include <cstdlib>
#include <xcb/xcb.h>

namespace {

constexpr std::uint32_t kRequestDock = 0; // SYSTEM_TRAY_REQUEST_DOCK

xcb_atom_t atom(xcb_connection_t* c, const QByteArray& name) {
    auto* reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, std::uint16_t(name.size()), name.constData()), nullptr);
    const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return a;
}

} // namespace

void xcbRoundTrip(xcb_connection_t* connection) {
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

FakeSystemTray::FakeSystemTray() {
    int screenNumber = 0;
    m_connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(m_connection))
        return;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    const xcb_screen_t* screen = it.data;

    // A strip at the top left of the screen, as a panel's notification area.
    m_window = xcb_generate_id(m_connection);
    const std::uint32_t values[] = {0xc0c0c0, 1}; // grey, no window manager in the way
    xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, screen->root, 0, 0, 160, 32, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                      XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
    xcb_map_window(m_connection, m_window);
    const xcb_atom_t selection =
        atom(m_connection, "_NET_SYSTEM_TRAY_S" + QByteArray::number(screenNumber));
    m_opcode = atom(m_connection, "_NET_SYSTEM_TRAY_OPCODE");
    xcb_set_selection_owner(m_connection, m_window, selection, XCB_CURRENT_TIME);
    auto* owner = xcb_get_selection_owner_reply(
        m_connection, xcb_get_selection_owner(m_connection, selection), nullptr);
    m_owned = owner && owner->owner == m_window;
    std::free(owner);
}

FakeSystemTray::~FakeSystemTray() {
    xcb_disconnect(m_connection); // gives up the selection with the window
}

QList<std::uint32_t> FakeSystemTray::dockRequests() {
    if (!m_owned)
        return {};
    // Events that reached us before the reply are queued once it is in.
    xcbRoundTrip(m_connection);
    while (xcb_generic_event_t* event = xcb_poll_for_queued_event(m_connection)) {
        if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
            const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
            if (message->type == m_opcode && message->data.data32[1] == kRequestDock) {
                // Embedded side by side, as a panel does (no XEmbed focus handling).
                const std::uint32_t icon = message->data.data32[2];
                xcb_reparent_window(m_connection, icon, m_window,
                                    std::int16_t(5 + 27 * m_docked.size()), 5);
                xcb_map_window(m_connection, icon);
                m_docked << icon;
            }
        }
        std::free(event);
    }
    xcbRoundTrip(m_connection);
    return m_docked;
}

bool FakeSystemTray::viewable(std::uint32_t window) {
    if (!m_owned || window == 0)
        return false;
    auto* reply = xcb_get_window_attributes_reply(
        m_connection, xcb_get_window_attributes(m_connection, window), nullptr);
    const bool seen = reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(reply);
    return seen;
}
