// For scale in the whole-program CPU figures: a bare Qt window of the main window's size that
// repaints all of itself from an image every 20 ms, as any Qt program animating such a window
// does. The CPU scripts measure it on the same machine, beside the program.
#include <QApplication>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QWidget>

namespace {

class BareWindow : public QWidget {
public:
    BareWindow() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
    {
        setFixedSize(m_image.size());
        setAttribute(Qt::WA_OpaquePaintEvent);
        m_image.fill(Qt::black);
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(20);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            m_image.fill(QColor::fromRgb(0, 0, m_step++ & 0xFF));
            update();
        });
        m_timer.start();
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        painter.drawImage(event->rect(), m_image, event->rect());
    }

private:
    QImage m_image{300, 150, QImage::Format_RGB32};
    QTimer m_timer;
    int m_step = 0;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    BareWindow window;
    window.show();
    return app.exec();
}
