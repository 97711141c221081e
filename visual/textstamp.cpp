// Renders a line of text once into a grey coverage mask and blends it into frames in any colour.
#include "textstamp.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cstdint>

#include "blit.h"
#include "framefont.h"

namespace {

// Room for glyphs that reach left of the origin or right of the advance (italic overhangs).
constexpr int kPad = 2;

// The coverage of the text moved one pixel in each of the eight directions, combined as eight
// blends of one colour would be (each lets through 255 - a of what is under it): one pixel
// larger than the mask on every side.
QImage Halo(const QImage& coverage)
{
    const int w = coverage.width(), h = coverage.height();
    QImage halo(w + 2, h + 2, QImage::Format_Grayscale8);
    for (int y = 0; y < h + 2; ++y) {
        uchar* out = halo.scanLine(y);
        for (int x = 0; x < w + 2; ++x) {
            uint32_t through = 255;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    // Halo (x, y) is mask (x - 1 - dx, y - 1 - dy) drawn at offset (dx, dy).
                    const int mx = x - 1 - dx, my = y - 1 - dy;
                    if ((dx == 0 && dy == 0) || mx < 0 || my < 0 || mx >= w || my >= h)
                        continue;
                    const uint32_t a = coverage.constScanLine(my)[mx];
                    through = (through * (255 - a) + 127) / 255;
                }
            }
            out[x] = static_cast<uchar>(255 - through);
        }
    }
    return halo;
}

// Blends colour into an RGB32 frame through a grey mask whose top-left pixel lands on
// (left, top), clipped to the frame and to clip.
void Blend(QImage& frame, const QImage& mask, int left, int top, QRgb colour, const QRect& clip)
{
    const QRect area = clip & frame.rect();
    const int x0 = std::max(0, area.left() - left);
    const int x1 = std::min(mask.width(), area.right() + 1 - left);
    const int y0 = std::max(0, area.top() - top);
    const int y1 = std::min(mask.height(), area.bottom() + 1 - top);
    const uint32_t cr = qRed(colour), cg = qGreen(colour), cb = qBlue(colour);
    for (int row = y0; row < y1; ++row) {
        const uchar* cov = mask.constScanLine(row);
        auto* out = reinterpret_cast<QRgb*>(frame.scanLine(top + row)) + left;
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
    m_coverageAt2x = QImage();
    m_haloAt2x = QImage();
    const QFontMetrics metrics(m_font);
    m_width = metrics.horizontalAdvance(m_text);
    m_height = metrics.height();
    m_padLeft = kPad;
    if (m_text.isEmpty()) {
        m_coverage = QImage();
        m_halo = QImage();
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
    m_halo = Halo(m_coverage);
}

void TextStamp::renderAt2x() const
{
    if (!m_coverageAt2x.isNull() || m_coverage.isNull())
        return;
    // The same text in the same font at twice the pixel size, placed on the doubled grid.
    QFont font = m_font;
    if (font.pixelSize() > 0)
        font.setPixelSize(font.pixelSize() * 2);
    else
        font.setPointSizeF(font.pointSizeF() * 2);
    const QFontMetrics metrics(font);
    const int width = std::max(2 * m_width, metrics.horizontalAdvance(m_text));
    QImage canvas(width + 4 * kPad, std::max(2 * m_height, metrics.height()), QImage::Format_RGB32);
    canvas.fill(Qt::black);
    {
        QPainter painter(&canvas);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QPointF(2 * kPad, metrics.ascent()), m_text);
    }
    m_coverageAt2x = canvas.convertToFormat(QImage::Format_Grayscale8);
    // The outline is a frame pixel wide: two pixels here.
    m_haloAt2x = Halo(Halo(m_coverageAt2x));
}

void TextStamp::draw(QImage& frame, int x, int y, QRgb colour) const
{
    if (m_coverage.isNull())
        return;
    if (PixelScale(frame) == 2) {
        renderAt2x();
        Blend(frame, m_coverageAt2x, 2 * (x - m_padLeft), 2 * y, colour, frame.rect());
        return;
    }
    Blend(frame, m_coverage, x - m_padLeft, y, colour, frame.rect());
}

void TextStamp::drawOutlined(QImage& frame, int x, int y, QRgb colour, QRgb outline) const
{
    drawOutlined(frame, x, y, colour, outline, FrameRect(frame));
}

void TextStamp::drawOutlined(QImage& frame, int x, int y, QRgb colour, QRgb outline,
                             const QRect& clip) const
{
    if (m_coverage.isNull())
        return;
    if (PixelScale(frame) == 2) {
        renderAt2x();
        const QRect area(clip.topLeft() * 2, clip.size() * 2);
        const int left = 2 * (x - m_padLeft), top = 2 * y;
        Blend(frame, m_haloAt2x, left - 2, top - 2, outline, area);
        Blend(frame, m_coverageAt2x, left, top, colour, area);
        return;
    }
    // The eight outline stamps in one pass: the status line is drawn every tick.
    Blend(frame, m_halo, x - m_padLeft - 1, y - 1, outline, clip);
    Blend(frame, m_coverage, x - m_padLeft, y, colour, clip);
}
