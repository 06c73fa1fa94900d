#include "common/sticky.h"

#include <QGuiApplication>
#include <QWindow>
#include <array>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace {

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* r =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(r);
    return a;
}

// A request to the window manager about a mapped window.
void ask(xcb_connection_t* c, xcb_window_t root, xcb_window_t window, xcb_atom_t type, std::array<quint32, 5> data) {
    xcb_client_message_event_t e{};
    e.response_type = XCB_CLIENT_MESSAGE;
    e.format = 32;
    e.window = window;
    e.type = type;
    std::memcpy(e.data.data32, data.data(), sizeof(e.data.data32));
    xcb_send_event(c, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&e));
}

} // namespace

void pinToDesktop(QWindow& window) {
    // The offscreen platform answers as X11 too, without a connection.
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c)
        return;
    const auto id = xcb_window_t(window.winId());
    const xcb_atom_t desktop = atom(c, "_NET_WM_DESKTOP");
    const xcb_atom_t state = atom(c, "_NET_WM_STATE");
    const std::array<xcb_atom_t, 3> states{atom(c, "_NET_WM_STATE_STICKY"), atom(c, "_NET_WM_STATE_SKIP_TASKBAR"),
                                           atom(c, "_NET_WM_STATE_SKIP_PAGER")};
    const quint32 allDesktops = 0xFFFFFFFF;
    // Read when the window is mapped; Qt adds its own states to the list then.
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, desktop, XCB_ATOM_CARDINAL, 32, 1, &allDesktops);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, state, XCB_ATOM_ATOM, 32, uint32_t(states.size()), states.data());
    // Asked of the window manager while the window is mapped.
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    constexpr quint32 add = 1;
    constexpr quint32 fromApplication = 1;
    ask(c, root, id, desktop, {allDesktops, fromApplication, 0, 0, 0});
    ask(c, root, id, state, {add, states[0], states[1], fromApplication, 0});
    ask(c, root, id, state, {add, states[2], 0, fromApplication, 0});
    xcb_flush(c);
}

void activateFromTray(QWindow& window) {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c) {
        window.requestActivate();
        return;
    }
    // Asked as a pager asks: the user's click on the tray icon is what brings the window, and window managers
    // would refuse an application's own request made without a click of its own.
    constexpr quint32 fromPager = 2;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    ask(c, root, xcb_window_t(window.winId()), atom(c, "_NET_ACTIVE_WINDOW"), {fromPager, XCB_CURRENT_TIME, 0, 0, 0});
    xcb_flush(c);
}
