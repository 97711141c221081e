// Renders a line of text once into a grey coverage mask and blends it into frames in any colour.
#include "textstamp.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cstdint>

#include "framefont.h"

namespace {

// Room for glyphs that reach left of the origin or right of the advance (italic overhangs).
constexpr int kPad = 2;

} // namespace

TextStamp::TextStamp() : TextStamp(FrameFont()) {}

TextStamp::TextStamp(const QFont& font) : m_font(font)
{
    m_height = QFontMetrics(m_font).height();
}

void TextStamp::setText(const QString& text)
{
    if (text == m_text && (!m_coverage.isNull() || text.isEmpty()))
        return;
    m_text = text;
    render();
}

void TextStamp::render()
{
    const QFontMetrics metrics(m_font);
    m_width = metrics.horizontalAdvance(m_text);
    m_height = metrics.height();
    m_padLeft = kPad;
    if (m_text.isEmpty()) {
        m_coverage = QImage();
        return;
    }
    QImage canvas(m_width + 2 * kPad, m_height, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    {
        QPainter painter(&canvas);
        painter.setFont(m_font);
        painter.setPen(Qt::white);
        painter.drawText(QPointF(kPad, metrics.ascent()), m_text);
    }
    m_coverage = canvas.convertToFormat(QImage::Format_Grayscale8);
}

void TextStamp::draw(QImage& frame, int x, int y, QRgb colour) const
{
    if (m_coverage.isNull())
        return;
    const int left = x - m_padLeft;
    const int x0 = std::max(0, -left);
    const int x1 = std::min(m_coverage.width(), frame.width() - left);
    const int y0 = std::max(0, -y);
    const int y1 = std::min(m_coverage.height(), frame.height() - y);
    const uint32_t cr = qRed(colour), cg = qGreen(colour), cb = qBlue(colour);
    for (int row = y0; row < y1; ++row) {
        const uchar* cov = m_coverage.constScanLine(row);
        auto* out = reinterpret_cast<QRgb*>(frame.scanLine(y + row)) + left;
        for (int i = x0; i < x1; ++i) {
            const uint32_t a = cov[i];
            if (a == 0)
                continue;
            if (a == 255) {
                out[i] = colour | 0xFF000000u;
                continue;
            }
            const QRgb d = out[i];
            const uint32_t r = (cr * a + qRed(d) * (255 - a) + 127) / 255;
            const uint32_t g = (cg * a + qGreen(d) * (255 - a) + 127) / 255;
            const uint32_t b = (cb * a + qBlue(d) * (255 - a) + 127) / 255;
            out[i] = qRgb(int(r), int(g), int(b));
        }
    }
}

void TextStamp::drawOutlined(QImage& frame, int x, int y, QRgb colour, QRgb outline) const
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (dx != 0 || dy != 0)
                draw(frame, x + dx, y + dy, outline);
    draw(frame, x, y, colour);
}
