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

// Draws rows of characters at `at`: each character found in `colours` sets that pixel, any other
// character (usually '.') leaves it alone.
void DrawPixels(QImage& image, QPoint at, std::initializer_list<const char*> rows,
                const std::map<char, QColor>& colours);

// Pixels whose square lies entirely inside `path` (coverage 255 of an anti-aliased fill).
QImage FullCoverage(const QPainterPath& path, QSize size);

// Fills every pixel of `rect` with one colour.
void FillRect(QImage& image, const QRect& rect, QColor colour);

// Mixes two colours: t = 0 gives a, t = 1 gives b.
QColor Mix(QColor a, QColor b, double t);
