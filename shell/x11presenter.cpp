// Direct X11 presentation of a window's frame: one PutImage of the changed rectangle per tick.
#include "x11presenter.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWindow>
#include <qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

xcb_connection_t* Connection(void* connection)
{
    return static_cast<xcb_connection_t*>(connection);
}

// The visual the window was created with takes our pixels as they are: 32 bits per pixel,
// least significant byte first, 8 bits each of red, green and blue at 0xRRGGBB.
bool FitsRgb32(xcb_connection_t* c, xcb_window_t window, uint8_t& depth)
{
    std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr),
        &std::free);
    std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> geometry(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr), &std::free);
    if (!attributes || !geometry)
        return false;
    depth = geometry->depth;
    if (depth != 24 && depth != 32)
        return false;
    const xcb_setup_t* setup = xcb_get_setup(c);
    if (setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST)
        return false;
    bool formatFits = false;
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f)) {
        if (f.data->depth == depth)
            formatFits = f.data->bits_per_pixel == 32 && f.data->scanline_pad == 32;
    }
    if (!formatFits)
        return false;
    for (auto s = xcb_setup_roots_iterator(setup); s.rem; xcb_screen_next(&s)) {
        for (auto d = xcb_screen_allowed_depths_iterator(s.data); d.rem; xcb_depth_next(&d)) {
            for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v)) {
                if (v.data->visual_id != attributes->visual)
                    continue;
                return v.data->red_mask == 0xFF0000u && v.data->green_mask == 0xFF00u &&
                       v.data->blue_mask == 0xFFu &&
                       (v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR ||
                        v.data->_class == XCB_VISUAL_CLASS_DIRECT_COLOR);
            }
        }
    }
    return false;
}

} // namespace

X11Presenter::X11Presenter(QWidget* window) : QObject(window), m_window(window)
{
    m_disabled = qgetenv("MORVANE_PRESENT") == "qt" ||
                 QGuiApplication::platformName() != QLatin1String("xcb");
}

X11Presenter::~X11Presenter()
{
    if (m_connection && m_gc)
        xcb_free_gc(Connection(m_connection), m_gc);
}

bool X11Presenter::active()
{
    if (m_disabled || !m_window || !m_window->isVisible())
        return false;
    const QWindow* handle = m_window->windowHandle();
    if (!handle)
        return false;
    // The platform makes a new native window when the window's flags change (always on top).
    // The widget's own id can still name the destroyed one then: the window handle's is current.
    if (!m_drawable || handle->winId() != m_drawable)
        return attach();
    return true;
}

bool X11Presenter::attach()
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    QWindow* handle = m_window->windowHandle();
    if (!x11 || !x11->connection() || !handle) {
        m_disabled = true;
        return false;
    }
    xcb_connection_t* c = x11->connection();
    if (m_connection && m_gc)
        xcb_free_gc(c, m_gc);
    m_gc = 0;
    m_drawable = 0;
    m_connection = c;
    const auto window = static_cast<xcb_window_t>(handle->winId());
    uint8_t depth = 0;
    if (!FitsRgb32(c, window, depth)) {
        m_disabled = true;
        return false;
    }
    m_gc = xcb_generate_id(c);
    xcb_create_gc(c, m_gc, window, 0, nullptr);
    m_drawable = window;
    m_depth = depth;
    m_maxRequestBytes = xcb_get_maximum_request_length(c) * 4;
    // An expose makes Qt flush its backing store, which the direct path left behind: have the
    // widget repaint it from the frame first.
    handle->removeEventFilter(this);
    handle->installEventFilter(this);
    return true;
}

bool X11Presenter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Expose && m_window)
        m_window->update();
    return QObject::eventFilter(watched, event);
}

bool X11Presenter::present(const QImage& frame, const std::vector<QRect>& rects)
{
    // The frame fills the native window pixel for pixel: the window's size times its ratio.
    const QSize pixels = (QSizeF(m_window->size()) * m_window->devicePixelRatioF()).toSize();
    if (!active() || frame.format() != QImage::Format_RGB32 || frame.size() != pixels)
        return false;
    if (!m_window->windowHandle()->isExposed())
        return true; // unmapped or minimised: the expose that shows it again repaints it all
    for (const QRect& rect : rects)
        put(frame, rect & frame.rect());
    xcb_flush(Connection(m_connection));
    return true;
}

void X11Presenter::put(const QImage& frame, const QRect& area)
{
    if (area.isEmpty())
        return;
    xcb_connection_t* c = Connection(m_connection);
    const int width = area.width();
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    // Stay under the server's request size (the request header needs a few bytes).
    const int rowsPerRequest =
        std::max<int>(1, static_cast<int>((m_maxRequestBytes - 64) / rowBytes));
    const bool wholeRows =
        area.left() == 0 && width == frame.width() && frame.bytesPerLine() == qsizetype(rowBytes);
    for (int top = area.top(); top <= area.bottom(); top += rowsPerRequest) {
        const int rows = std::min(rowsPerRequest, area.bottom() - top + 1);
        const uint8_t* data = frame.constScanLine(top);
        if (!wholeRows) {
            m_rows.resize(static_cast<size_t>(width) * rows);
            for (int y = 0; y < rows; ++y) {
                std::memcpy(m_rows.data() + static_cast<size_t>(width) * y,
                            frame.constScanLine(top + y) + area.left() * 4, rowBytes);
            }
            data = reinterpret_cast<const uint8_t*>(m_rows.data());
        }
        xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, m_drawable, m_gc, static_cast<uint16_t>(width),
                      static_cast<uint16_t>(rows), static_cast<int16_t>(area.left()),
                      static_cast<int16_t>(top), 0, m_depth, static_cast<uint32_t>(rowBytes * rows),
                      data);
    }
}
