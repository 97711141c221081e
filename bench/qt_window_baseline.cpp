// For scale in the whole-program CPU figures: a bare Qt window of the main window's size that
// repaints all of itself from an image every 20 ms, as any Qt program animating such a window
// does. The CPU scripts measure it on the same machine, beside the program. On a scaled screen
// (QT_SCALE_FACTOR) the image has the window's device pixels, so it is drawn without scaling.
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
        setFixedSize(kSize);
        setAttribute(Qt::WA_OpaquePaintEvent);
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(20);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const qreal ratio = devicePixelRatioF();
            if (m_image.isNull() || m_image.devicePixelRatio() != ratio) {
                m_image = QImage((QSizeF(kSize) * ratio).toSize(), QImage::Format_RGB32);
                m_image.setDevicePixelRatio(ratio);
            }
            m_image.fill(QColor::fromRgb(0, 0, m_step++ & 0xFF));
            update();
        });
        m_timer.start();
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        if (m_image.isNull()) {
            painter.fillRect(event->rect(), Qt::black);
            return;
        }
        const qreal ratio = m_image.devicePixelRatio();
        const QRectF rect = event->rect();
        painter.drawImage(rect, m_image, QRectF(rect.topLeft() * ratio, rect.size() * ratio));
    }

private:
    static constexpr QSize kSize{300, 150};
    QImage m_image;
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
