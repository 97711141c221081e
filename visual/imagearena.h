// The pictures a frame is drawn from and into, kept together in memory that the kernel may back
// with one huge page: a tick reads about a megabyte of them after sleeping 20 ms, and with
// ordinary pages much of its time goes to finding those pages again.
#pragma once

#include <QImage>

// A deep copy of image (as RGB32 when convert is true) in the shared arena; a plain heap copy
// when the arena is full or the platform offers no huge pages. The arena is never freed, so the
// copy (and every image sharing it) stays valid for the life of the program.
QImage ArenaCopy(const QImage& image, bool convert = true);
// A new image of that size and format in the arena, its bytes zero.
QImage ArenaImage(QSize size, QImage::Format format = QImage::Format_RGB32);
