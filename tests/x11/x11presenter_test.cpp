// The direct X11 path: what reaches the window, after exposes and after the window is remade.
#include "shell/x11presenter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPaintEvent>
#include <QPainter>
#include <QWindow>
#include <qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

// Shows image the way the main window does: every Qt paint copies from it.
class ImageWindow : public QWidget {
public:
    ImageWindow() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
    {
        setFixedSize(300, 150);
        setAttribute(Qt::WA_OpaquePaintEvent);
        image = QImage(size(), QImage::Format_RGB32);
        image.fill(QColor(10, 20, 30));
    }
    QImage image;
    using QWidget::destroy;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        painter.drawImage(event->rect(), image, event->rect());
    }
};

xcb_connection_t* Connection()
{
    return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

void Settle(int ms = 150)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    free(xcb_get_input_focus_reply(Connection(), xcb_get_input_focus(Connection()), nullptr));
}

// What the X server shows in the window now, as RGB32.
QImage ReadWindow(QWidget& window)
{
    xcb_connection_t* c = Connection();
    // The window handle's id: the widget's can lag behind a remade native window.
    const auto id = static_cast<xcb_window_t>(window.windowHandle()->winId());
    std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> reply(
        xcb_get_image_reply(c,
                            xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, id, 0, 0,
                                          uint16_t(window.width()), uint16_t(window.height()),
                                          ~0u),
                            nullptr),
        &std::free);
    if (!reply)
        return {};
    QImage out(window.size(), QImage::Format_RGB32);
    const auto* data = xcb_get_image_data(reply.get());
    for (int y = 0; y < out.height(); ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data) + y * window.width();
        auto* target = reinterpret_cast<uint32_t*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            target[x] = row[x] | 0xFF000000u;
    }
    return out;
}

void ShowAndWait(QWidget& window)
{
    window.show();
    QElapsedTimer clock;
    clock.start();
    while (!(window.windowHandle() && window.windowHandle()->isExposed()) && clock.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    Settle();
}

// A frame with a pattern that differs in every pixel of the rectangle.
void Paint(QImage& image, const QRect& rect, int seed)
{
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x)
            image.setPixel(x, y, qRgb((x * 7 + seed) & 255, (y * 13 + seed) & 255, seed & 255));
    }
}

class X11PresenterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs the xcb platform (run under Xvfb)";
        ShowAndWait(window);
        ASSERT_TRUE(presenter->active());
    }

    ImageWindow window;
    X11Presenter* presenter = new X11Presenter(&window);
};

TEST_F(X11PresenterTest, SendsExactlyTheChangedRectangle)
{
    const QImage before = window.image;
    ASSERT_EQ(ReadWindow(window), before);
    // In one call: a rectangle that is not whole rows, so its rows are packed, and one that
    // spills over.
    const QRect inner(37, 11, 101, 53);
    Paint(window.image, inner, 90);
    const QRect spill(250, 120, 80, 60);
    Paint(window.image, spill & window.image.rect(), 170);
    ASSERT_TRUE(presenter->present(window.image, {inner, spill}));
    Settle();
    EXPECT_EQ(ReadWindow(window), window.image);

    // Only the named rectangle travels: a change outside it stays unseen.
    QImage hidden = window.image;
    window.image.setPixel(5, 5, qRgb(255, 0, 0));
    ASSERT_TRUE(presenter->present(window.image, {QRect(0, 100, 300, 10)}));
    Settle();
    EXPECT_EQ(ReadWindow(window).pixel(5, 5), hidden.pixel(5, 5));
}

TEST_F(X11PresenterTest, AnExposeShowsTheLatestFrameNotAStaleOne)
{
    Paint(window.image, window.image.rect(), 40);
    ASSERT_TRUE(presenter->present(window.image, {window.image.rect()}));
    Settle();
    // Cover the window with another and take it away: the server asks for a repaint.
    QWidget cover(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    cover.setGeometry(QRect(window.geometry().topLeft(), QSize(300, 150)));
    cover.setStyleSheet(QStringLiteral("background: yellow"));
    ShowAndWait(cover);
    ASSERT_NE(ReadWindow(window), window.image) << "the cover did not hide the window";
    cover.hide();
    Settle(300);
    EXPECT_EQ(ReadWindow(window), window.image);
}

TEST_F(X11PresenterTest, FollowsTheWindowWhenItIsRemade)
{
    const auto before = window.winId();
    window.hide();
    window.destroy();
    ShowAndWait(window);
    ASSERT_NE(window.winId(), before);
    ASSERT_TRUE(presenter->active());
    Paint(window.image, QRect(0, 0, 300, 150), 200);
    ASSERT_TRUE(presenter->present(window.image, {QRect(0, 0, 300, 150)}));
    Settle();
    EXPECT_EQ(ReadWindow(window), window.image);
}

TEST_F(X11PresenterTest, FollowsTheWindowWhenAlwaysOnTopRemakesIt)
{
    // Switching the flag remakes the native window while the widget still names the old one.
    for (bool onTop : {true, false}) {
        window.setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
        ShowAndWait(window);
        Paint(window.image, QRect(0, 0, 300, 150), onTop ? 60 : 120);
        ASSERT_TRUE(presenter->present(window.image, {QRect(0, 0, 300, 150)}));
        Settle();
        EXPECT_EQ(ReadWindow(window), window.image) << (onTop ? "on top" : "normal");
    }
}

TEST_F(X11PresenterTest, HandsBackToQtForFramesItCannotSend)
{
    QImage other(window.size(), QImage::Format_ARGB32);
    EXPECT_FALSE(presenter->present(other, {other.rect()}));
    QImage small(100, 50, QImage::Format_RGB32);
    EXPECT_FALSE(presenter->present(small, {small.rect()}));
    window.hide();
    EXPECT_FALSE(presenter->present(window.image, {window.image.rect()}));
}

} // namespace
