// Exact raster operations between RGB32 pictures, done per pixel so that every bit is defined.
#include "blit.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr uint32_t kOpaque = 0xFF000000u;
constexpr uint32_t kColourBits = 0x00FFFFFFu;

// The part of a w x h copy from (sx, sy) to (dx, dy) that lies inside both pictures.
struct Span {
    int sx, sy, dx, dy, w, h;
};

bool clip(const QImage& dst, QPoint to, const QImage& src, QPoint from, QSize size, Span& s)
{
    const int scale = PixelScale(dst);
    s = {from.x() * scale, from.y() * scale,     to.x() * scale,
         to.y() * scale,   size.width() * scale, size.height() * scale};
    const int shiftX = std::max({0, -s.sx, -s.dx});
    const int shiftY = std::max({0, -s.sy, -s.dy});
    s.sx += shiftX;
    s.dx += shiftX;
    s.w -= shiftX;
    s.sy += shiftY;
    s.dy += shiftY;
    s.h -= shiftY;
    s.w = std::min({s.w, src.width() - s.sx, dst.width() - s.dx});
    s.h = std::min({s.h, src.height() - s.sy, dst.height() - s.dy});
    return s.w > 0 && s.h > 0;
}

template <typename Op>
void apply(QImage& dst, QPoint to, const QImage& src, QPoint from, QSize size, Op op)
{
    Span s;
    if (!clip(dst, to, src, from, size, s))
        return;
    // One detach check for the whole copy rather than one per row.
    const qsizetype outStride = dst.bytesPerLine(), inStride = src.bytesPerLine();
    uchar* out = dst.bits() + s.dy * outStride;
    const uchar* in = src.constBits() + s.sy * inStride;
    for (int row = 0; row < s.h; ++row) {
        auto* o = reinterpret_cast<uint32_t*>(out) + s.dx;
        const auto* i = reinterpret_cast<const uint32_t*>(in) + s.sx;
        for (int k = 0; k < s.w; ++k)
            o[k] = op(i[k], o[k]);
        out += outStride;
        in += inStride;
    }
}

} // namespace

void CopyRect(QImage& dst, QPoint to, const QImage& src, const QRect& srcRect)
{
    apply(dst, to, src, srcRect.topLeft(), srcRect.size(),
          [](uint32_t s, uint32_t) { return s | kOpaque; });
}

void EraseRect(QImage& dst, QPoint to, const QImage& src, const QRect& srcRect)
{
    apply(dst, to, src, srcRect.topLeft(), srcRect.size(),
          [](uint32_t s, uint32_t d) { return (s & ~d & kColourBits) | kOpaque; });
}

void InvertRect(QImage& dst, QPoint to, const QImage& src, const QRect& srcRect)
{
    apply(dst, to, src, srcRect.topLeft(), srcRect.size(),
          [](uint32_t s, uint32_t d) { return ((s ^ d) & kColourBits) | kOpaque; });
}

void MaskedCopy(QImage& dst, QPoint to, const QImage& src, QPoint maskAt, QPoint imageAt,
                QSize size)
{
    MaskedCopy(dst, to, src, maskAt, src, imageAt, size);
}

void MaskedCopy(QImage& dst, QPoint to, const QImage& maskSrc, QPoint maskAt,
                const QImage& imageSrc, QPoint imageAt, QSize size)
{
    Span mask, image;
    const bool maskSeen = clip(dst, to, maskSrc, maskAt, size, mask);
    const bool imageSeen = clip(dst, to, imageSrc, imageAt, size, image);
    if (!maskSeen || !imageSeen || mask.dx != image.dx || mask.dy != image.dy ||
        mask.w != image.w || mask.h != image.h) {
        // The two copies cover different pixels: do them one after the other.
        EraseRect(dst, to, maskSrc, QRect(maskAt, size));
        InvertRect(dst, to, imageSrc, QRect(imageAt, size));
        return;
    }
    // Both steps in one pass over each pixel: SRCERASE of the mask, then SRCINVERT of the image.
    const qsizetype outStride = dst.bytesPerLine();
    const qsizetype maskStride = maskSrc.bytesPerLine(), imageStride = imageSrc.bytesPerLine();
    uchar* out = dst.bits() + mask.dy * outStride;
    const uchar* m = maskSrc.constBits() + mask.sy * maskStride;
    const uchar* i = imageSrc.constBits() + image.sy * imageStride;
    for (int row = 0; row < mask.h; ++row) {
        auto* o = reinterpret_cast<uint32_t*>(out) + mask.dx;
        const auto* mk = reinterpret_cast<const uint32_t*>(m) + mask.sx;
        const auto* im = reinterpret_cast<const uint32_t*>(i) + image.sx;
        for (int k = 0; k < mask.w; ++k)
            o[k] = ((im[k] ^ (mk[k] & ~o[k])) & kColourBits) | kOpaque;
        out += outStride;
        m += maskStride;
        i += imageStride;
    }
}
