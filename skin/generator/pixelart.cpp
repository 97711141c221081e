// Pixel-art and coverage helpers of the skin generator.
#include "pixelart.h"

#include <QPainter>

#include <cstring>

namespace {
int gScale = 1;
} // namespace

int Scale()
{
    return gScale;
}

void SetScale(int scale)
{
    gScale = scale;
}

QImage ScaledImage(QSize size, QImage::Format format)
{
    return QImage(size * gScale, format);
}

void PutPixel(QImage& image, int x, int y, QColor colour)
{
    FillRect(image, QRect(x, y, 1, 1), colour);
}

QColor PixelAt(const QImage& image, int x, int y)
{
    return image.pixelColor(x * gScale, y * gScale);
}

void DrawPixels(QImage& image, QPoint at, std::initializer_list<const char*> rows,
                const std::map<char, QColor>& colours)
{
    int y = at.y();
    for (const char* row : rows) {
        const int length = static_cast<int>(std::strlen(row));
        for (int i = 0; i < length; ++i) {
            const auto found = colours.find(row[i]);
            if (found != colours.end())
                PutPixel(image, at.x() + i, y, found->second);
        }
        ++y;
    }
}

QImage FullCoverage(const QPainterPath& path, QSize size)
{
    QImage coverage = ScaledImage(size, QImage::Format_Grayscale8);
    coverage.fill(0);
    QPainter painter(&coverage);
    painter.scale(gScale, gScale);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(path, Qt::white);
    return coverage;
}

void FillRect(QImage& image, const QRect& rect, QColor colour)
{
    const QRect inside =
        QRect(rect.topLeft() * gScale, rect.size() * gScale).intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            image.setPixelColor(x, y, colour);
}

QColor Mix(QColor a, QColor b, double t)
{
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t,
                            a.greenF() + (b.greenF() - a.greenF()) * t,
                            a.blueF() + (b.blueF() - a.blueF()) * t);
}
