// The pointer's buttons straight from the X server: a window manager that moves a window keeps
// the button's release to itself.
#include "x11pointer.h"

#include <QGuiApplication>
#include <qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

std::optional<bool> PointerButtonHeld()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return std::nullopt;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c)
        return std::nullopt;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    if (!screen)
        return std::nullopt;
    std::unique_ptr<xcb_query_pointer_reply_t, decltype(&std::free)> reply(
        xcb_query_pointer_reply(c, xcb_query_pointer(c, screen->root), nullptr), &std::free);
    if (!reply)
        return std::nullopt;
    constexpr uint16_t kButtons = XCB_KEY_BUT_MASK_BUTTON_1 | XCB_KEY_BUT_MASK_BUTTON_2 |
                                  XCB_KEY_BUT_MASK_BUTTON_3;
    return (reply->mask & kButtons) != 0;
}
