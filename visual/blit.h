// Exact raster operations between 32-bit RGB pictures, as the frame composition uses them:
// plain copy (SRCCOPY), erase (SRCERASE: src AND NOT dst), invert (SRCINVERT: src XOR dst) and
// the masked copy built from the last two.
//
// Every operation copies only the part of the rectangle that lies inside both pictures, keeps
// the destination fully opaque and works on QImage::Format_RGB32 images only.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

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
