#include "ui/common/skip_taskbar.h"

#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace varnex {

namespace {

struct FreeReply {
    void operator()(void *reply) const { std::free(reply); }
};
template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, FreeReply>;

xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    const ReplyPtr<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, false, uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

} // namespace

void skipTaskbar(QWidget &window)
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return;
    const auto id = xcb_window_t(window.winId());
    const xcb_atom_t state = atom(connection, "_NET_WM_STATE");
    const xcb_atom_t skip = atom(connection, "_NET_WM_STATE_SKIP_TASKBAR");
    if (state == XCB_ATOM_NONE || skip == XCB_ATOM_NONE)
        return;

    // Qt keeps the states it finds on an unmapped window and adds its own when it maps it.
    const ReplyPtr<xcb_get_property_reply_t> current(xcb_get_property_reply(
        connection, xcb_get_property(connection, false, id, state, XCB_ATOM_ATOM, 0, 1024), nullptr));
    if (current && current->format == 32 && current->type == XCB_ATOM_ATOM) {
        const auto *atoms = static_cast<const xcb_atom_t *>(xcb_get_property_value(current.get()));
        for (uint32_t i = 0; i < current->value_len; ++i) {
            if (atoms[i] == skip)
                return;
        }
    }
    xcb_change_property(connection, XCB_PROP_MODE_APPEND, id, state, XCB_ATOM_ATOM, 32, 1, &skip);
    xcb_flush(connection);
}

} // namespace varnex
