// Puts a window's changed pixels straight onto its X11 window, without a trip through the
// widget's repaint and backing store: for a window redrawn fifty times a second that trip costs
// more than drawing the frame.
#pragma once

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <cstdint>
#include <vector>

class X11Presenter : public QObject {
public:
    // window: a top-level widget whose paintEvent shows the same image the caller presents.
    explicit X11Presenter(QWidget* window);
    ~X11Presenter() override;

    // Sends rects of frame (Format_RGB32, the window's size in device pixels, rects in its
    // pixels) to the window. False when the direct path is not available (another platform, a
    // frame of another size, a visual we cannot feed, the window not shown): the caller then
    // repaints the usual way.
    bool present(const QImage& frame, const std::vector<QRect>& rects);

    // Whether present() sends pixels itself; MORVANE_PRESENT=qt turns the direct path off.
    bool active();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool attach();
    void put(const QImage& frame, const QRect& area);

    QPointer<QWidget> m_window;
    void* m_connection = nullptr;
    uint32_t m_drawable = 0;
    uint32_t m_gc = 0;
    uint32_t m_maxRequestBytes = 0;
    uint8_t m_depth = 24;
    bool m_tried = false;
    bool m_disabled = false;
    std::vector<uint32_t> m_rows;
};
