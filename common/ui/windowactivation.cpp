// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui/windowactivation.h"

#include "common/ui/logging.h"

#include <QGuiApplication>
#include <QWidget>

#if defined(QUINDARA_HAVE_XCB)
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#endif

namespace common {

namespace {

#if defined(QUINDARA_HAVE_XCB) && QT_CONFIG(xcb)
xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return result;
}

// X11 startup notification: the window carries the launcher's id (the window manager lets it take the
// focus by the time in it), and a "remove" message on the root window ends the launcher's feedback.
bool handOverStartupId(QWidget& window, const QString& id) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return false;
    xcb_connection_t* connection = x11->connection();
    const auto target = xcb_window_t(window.winId());
    const QByteArray value = id.toUtf8();
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, target, atom(connection, "_NET_STARTUP_ID"),
                        atom(connection, "UTF8_STRING"), 8, uint32_t(value.size()), value.constData());

    QByteArray quoted = value;
    quoted.replace('\\', "\\\\").replace('"', "\\\"");
    QByteArray message = "remove: ID=\"" + quoted + '"';
    message.append('\0');
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const xcb_atom_t begin = atom(connection, "_NET_STARTUP_INFO_BEGIN");
    const xcb_atom_t more = atom(connection, "_NET_STARTUP_INFO");
    // Sent in pieces of 20 bytes, the first marked as the beginning.
    for (qsizetype from = 0; from < message.size(); from += 20) {
        xcb_client_message_event_t event;
        std::memset(&event, 0, sizeof event);
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 8;
        event.window = target;
        event.type = from == 0 ? begin : more;
        std::memcpy(event.data.data8, message.constData() + from,
                    size_t(qMin<qsizetype>(20, message.size() - from)));
        xcb_send_event(connection, 0, root, XCB_EVENT_MASK_PROPERTY_CHANGE,
                       reinterpret_cast<const char*>(&event));
    }
    xcb_flush(connection);
    return true;
}
#else
bool handOverStartupId(QWidget&, const QString&) {
    return false;
}
#endif

} // namespace

void bringForward(QWidget& window, const LaunchToken& token) {
    const QString platform = QGuiApplication::platformName();
    if (token.kind == LaunchToken::Kind::WaylandActivation && platform == u"wayland") {
        // Qt activates the window with the token it finds here, once.
        qputenv("XDG_ACTIVATION_TOKEN", token.value.toUtf8());
    }
    if (window.isMinimized())
        window.showNormal();
    window.show();
    if (token.kind == LaunchToken::Kind::X11StartupId && platform == u"xcb" &&
        !handOverStartupId(window, token.value))
        qCWarning(lcStart) << "cannot hand the launcher's startup id to the window";
    window.raise();
    window.activateWindow();
    if (token.kind != LaunchToken::Kind::None)
        qCDebug(lcStart) << "brought forward with the launcher's"
                         << (token.kind == LaunchToken::Kind::X11StartupId ? "startup id"
                                                                           : "activation token")
                         << token.value;
}

} // namespace common
