// The pointer's buttons straight from the X server: a window manager that moves a window keeps
// the button's release to itself.
#include "x11pointer.h"

#include <QGuiApplication>
#include <QScreen>
#include <qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace {

xcb_connection_t* Connection()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t Root(xcb_connection_t* c)
{
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    return screen ? screen->root : 0;
}

} // namespace

std::optional<QPoint> WindowPlaceOnScreen(const QWidget& window)
{
    xcb_connection_t* c = Connection();
    const WId id = window.internalWinId();
    if (!c || !id || !Root(c))
        return std::nullopt;
    std::unique_ptr<xcb_translate_coordinates_reply_t, decltype(&std::free)> reply(
        xcb_translate_coordinates_reply(
            c, xcb_translate_coordinates(c, static_cast<xcb_window_t>(id), Root(c), 0, 0), nullptr),
        &std::free);
    if (!reply)
        return std::nullopt;
    // The X server counts device pixels; Qt keeps a screen's corner where it is and divides the
    // rest by the screen's scale.
    const QPoint device(reply->dst_x, reply->dst_y);
    const QScreen* screen = window.screen();
    const qreal scale = window.devicePixelRatioF();
    if (!screen || !(scale > 0.0) || scale == 1.0)
        return device;
    const QPoint origin = screen->geometry().topLeft();
    return origin + (device - origin) / scale;
}

std::optional<bool> PointerButtonHeld()
{
    xcb_connection_t* c = Connection();
    if (!c || !Root(c))
        return std::nullopt;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    std::unique_ptr<xcb_query_pointer_reply_t, decltype(&std::free)> reply(
        xcb_query_pointer_reply(c, xcb_query_pointer(c, screen->root), nullptr), &std::free);
    if (!reply)
        return std::nullopt;
    constexpr uint16_t kButtons =
        XCB_KEY_BUT_MASK_BUTTON_1 | XCB_KEY_BUT_MASK_BUTTON_2 | XCB_KEY_BUT_MASK_BUTTON_3;
    return (reply->mask & kButtons) != 0;
}
