// Pixel-art and coverage helpers of the skin generator.
#include "pixelart.h"

#include <QPainter>

#include <cstring>

void DrawPixels(QImage& image, QPoint at, std::initializer_list<const char*> rows,
                const std::map<char, QColor>& colours)
{
    int y = at.y();
    for (const char* row : rows) {
        const int length = static_cast<int>(std::strlen(row));
        for (int i = 0; i < length; ++i) {
            const auto found = colours.find(row[i]);
            if (found != colours.end() && image.rect().contains(at.x() + i, y))
                image.setPixelColor(at.x() + i, y, found->second);
        }
        ++y;
    }
}

QImage FullCoverage(const QPainterPath& path, QSize size)
{
    QImage coverage(size, QImage::Format_Grayscale8);
    coverage.fill(0);
    QPainter painter(&coverage);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(path, Qt::white);
    return coverage;
}

void FillRect(QImage& image, const QRect& rect, QColor colour)
{
    const QRect inside = rect.intersected(image.rect());
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
