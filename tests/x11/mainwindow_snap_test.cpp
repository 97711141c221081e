// The main window dragged by a real window manager (openbox under this test's X server): it
// snaps to the screen's edges when the button is released, not at the next click, and lands
// where it should on a scaled screen too (QT_SCALE_FACTOR set by the test's runner).
#include "player/mainwindow.h"
#include "player/playertestkit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QWindow>
#include <qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

xcb_connection_t* Connection()
{
    return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

void Settle(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
}

xcb_window_t Root()
{
    return xcb_setup_roots_iterator(xcb_get_setup(Connection())).data->root;
}

// Whether a window manager has announced itself on the root window.
bool WindowManagerRuns()
{
    xcb_connection_t* c = Connection();
    const char name[] = "_NET_SUPPORTING_WM_CHECK";
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof name - 1, name), nullptr),
        &std::free);
    if (!atom)
        return false;
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> property(
        xcb_get_property_reply(c, xcb_get_property(c, 0, Root(), atom->atom, XCB_ATOM_WINDOW, 0, 1),
                               nullptr),
        &std::free);
    return property && xcb_get_property_value_length(property.get()) == 4;
}

// Where the X server has the window now, in screen coordinates.
QPoint PlaceOnScreen(QWidget& window)
{
    xcb_connection_t* c = Connection();
    std::unique_ptr<xcb_translate_coordinates_reply_t, decltype(&std::free)> reply(
        xcb_translate_coordinates_reply(
            c,
            xcb_translate_coordinates(c, static_cast<xcb_window_t>(window.winId()), Root(), 0, 0),
            nullptr),
        &std::free);
    return reply ? QPoint(reply->dst_x, reply->dst_y) : QPoint(-1, -1);
}

void Xdotool(const QStringList& args)
{
    ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), args), 0)
        << args.join(' ').toStdString();
}

class MainWindowSnapTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs the xcb platform (run under Xvfb)";
        for (const char* tool : {"openbox", "xdotool"}) {
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                GTEST_SKIP() << tool << " is not installed";
        }
        wm.setProgram(QStringLiteral("openbox"));
        wm.setArguments({QStringLiteral("--sm-disable")});
        wm.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        wm.start();
        ASSERT_TRUE(wm.waitForStarted());
        QElapsedTimer clock;
        clock.start();
        while (!WindowManagerRuns() && clock.elapsed() < 10000)
            Settle(50);
        ASSERT_TRUE(WindowManagerRuns());
        state.StarDust = false;
        window = std::make_unique<MainWindow>(state, engine, ops, actions, NoiseSkin());
        window->move(100, 100);
        window->show();
        clock.restart();
        while (!window->windowHandle()->isExposed() && clock.elapsed() < 5000)
            Settle(20);
        Settle(300);
    }

    void TearDown() override
    {
        window.reset();
        if (wm.state() != QProcess::NotRunning) {
            wm.terminate();
            wm.waitForFinished(3000);
        }
    }

    // Device pixels per window pixel.
    qreal scale() const { return window->devicePixelRatioF(); }
    int device(int logical) const { return qRound(logical * scale()); }

    // Presses the left button over the display, moves the window's top-left corner to the
    // device pixel corner, rests there and lets the button go.
    void dragTo(QPoint corner)
    {
        const QPoint start = PlaceOnScreen(*window);
        const QPoint grip = start + QPoint(150, 60);
        const QPoint shift = corner - start;
        Xdotool({"mousemove", "--sync", QString::number(grip.x()), QString::number(grip.y())});
        Settle(100);
        Xdotool({"mousedown", "1"});
        Settle(200);
        for (int step = 1; step <= 4; ++step) {
            const QPoint at = grip + shift * step / 4;
            Xdotool({"mousemove", QString::number(at.x()), QString::number(at.y())});
            Settle(100);
        }
        // The pointer rests before the release, longer than any wait for a resting window.
        Settle(400);
        Xdotool({"mouseup", "1"});
        Settle(400);
    }

    QProcess wm;
    AppState state;
    FakeEngine engine;
    PlaylistModel playlist;
    TrackOps ops{state, engine, playlist};
    RecordingActions actions;
    std::unique_ptr<MainWindow> window;
};

TEST_F(MainWindowSnapTest, SnapsToTheEdgeWhenTheButtonIsReleased)
{
    // Distances are the window's pixels: device pixels on a scaled screen.
    const int top = device(100);
    dragTo({device(11), top});
    EXPECT_EQ(PlaceOnScreen(*window), QPoint(device(11), top))
        << "11 pixels from the edge is out of reach";
    dragTo({device(6), top});
    EXPECT_EQ(PlaceOnScreen(*window), QPoint(0, top));
    EXPECT_EQ(window->frameGeometry().topLeft(), QPoint(0, 100));

    // Near the right and bottom edges it touches them, and a window away from every edge stays.
    const QRect screen = window->screen()->geometry();
    const QSize deviceScreen(device(screen.width()), device(screen.height()));
    const QSize deviceWindow(device(300), device(150));
    dragTo({deviceScreen.width() - deviceWindow.width() - device(6),
            deviceScreen.height() - deviceWindow.height() - device(6)});
    EXPECT_EQ(PlaceOnScreen(*window), QPoint(deviceScreen.width() - deviceWindow.width(),
                                             deviceScreen.height() - deviceWindow.height()));
    EXPECT_EQ(window->frameGeometry().topLeft(),
              QPoint(screen.width() - 300, screen.height() - 150));
    dragTo({device(40), device(50)});
    EXPECT_EQ(PlaceOnScreen(*window), QPoint(device(40), device(50)));
    EXPECT_EQ(window->frameGeometry().topLeft(), QPoint(40, 50));
}

} // namespace
