// Exact raster operations between 32-bit RGB pictures, as the frame composition uses them:
// plain copy (SRCCOPY), erase (SRCERASE: src AND NOT dst), invert (SRCINVERT: src XOR dst) and
// the masked copy built from the last two.
//
// Every operation copies only the part of the rectangle that lies inside both pictures, keeps
// the destination fully opaque and works on QImage::Format_RGB32 images only.
//
// A frame composed for a screen of twice the density has a device pixel ratio of 2, and so do
// the pictures it draws from: places and sizes stay in the 1x frame's pixels and cover twice as
// many pixels each way.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

// The pixels per frame pixel each way of an image: 2 for one made for twice the density, else 1.
inline int PixelScale(const QImage& image)
{
    return image.devicePixelRatio() > 1.5 ? 2 : 1;
}
// The image's rectangle in frame pixels.
inline QRect FrameRect(const QImage& image)
{
    const int s = PixelScale(image);
    return {0, 0, image.width() / s, image.height() / s};
}
// Sets the frame pixel (x, y): every pixel it covers.
inline void FillFramePixel(QImage& image, int x, int y, QRgb colour)
{
    const int s = PixelScale(image);
    for (int dy = 0; dy < s; ++dy) {
        QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y * s + dy)) + x * s;
        for (int dx = 0; dx < s; ++dx)
            row[dx] = colour;
    }
}

// dst(x, y) = src(x, y) over a size of srcRect.size(), placed at `to`.
void CopyRect(QImage& dst, QPoint to, const QImage& src, const QRect& srcRect);
// dst = src AND NOT dst.
void EraseRect(QImage& dst, QPoint to, const QImage& src, const QRect& srcRect);
// dst = src XOR dst.
void InvertRect(QImage& dst, QPoint to, const QImage& src, const QRect& srcRect);
// Sprite drawing: EraseRect with the mask at maskAt, then InvertRect with the image at imageAt,
// both of `size`. Masks are black where the sprite is opaque and white elsewhere; images are
// white where transparent.
void MaskedCopy(QImage& dst, QPoint to, const QImage& src, QPoint maskAt, QPoint imageAt,
                QSize size);
// The same with mask and image in two pictures (the lit buttons: image in Picture5).
void MaskedCopy(QImage& dst, QPoint to, const QImage& maskSrc, QPoint maskAt,
                const QImage& imageSrc, QPoint imageAt, QSize size);
