// Small helpers for drawing hand-made pixel art and anti-aliased shapes into skin pictures.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QPoint>
#include <QRect>
#include <QString>

#include <initializer_list>
#include <map>

// The scale the pictures are drawn at: every coordinate the drawing code names is a pixel of
// the 1x picture, covering Scale() x Scale() pixels of the picture being drawn.
int Scale();
void SetScale(int scale);
// An image of `size` 1x pixels at the current scale.
QImage ScaledImage(QSize size, QImage::Format format);
// Sets the 1x pixel (x, y): a square of Scale() x Scale() pixels.
void PutPixel(QImage& image, int x, int y, QColor colour);
// The colour of the 1x pixel (x, y) (its top-left pixel).
QColor PixelAt(const QImage& image, int x, int y);

// Draws rows of characters at `at`: each character found in `colours` sets that pixel, any other
// character (usually '.') leaves it alone.
void DrawPixels(QImage& image, QPoint at, std::initializer_list<const char*> rows,
                const std::map<char, QColor>& colours);

// Pixels whose square lies entirely inside `path` (coverage 255 of an anti-aliased fill); path
// and size in 1x pixels, the coverage at the current scale.
QImage FullCoverage(const QPainterPath& path, QSize size);

// Fills every pixel of `rect` (1x pixels) with one colour.
void FillRect(QImage& image, const QRect& rect, QColor colour);

// Mixes two colours: t = 0 gives a, t = 1 gives b.
QColor Mix(QColor a, QColor b, double t);
