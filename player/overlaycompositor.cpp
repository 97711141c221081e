// Background copy and masked overlay restricted to what the overlay lets through.
#include "overlaycompositor.h"

#include "visual/imagearena.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

constexpr uint32_t kColourBits = 0x00FFFFFFu;
constexpr uint32_t kOpaque = 0xFF000000u;

} // namespace

OverlayCompositor::OverlayCompositor(const QImage& background, const QImage& overlay, int height)
    : m_background(ArenaCopy(background)), m_overlay(ArenaCopy(overlay)), m_height(height)
{
    // Opaque once here, so that the copies of every tick are plain copies.
    for (QImage* image : {&m_background, &m_overlay}) {
        for (int y = 0; y < image->height(); ++y) {
            auto* row = reinterpret_cast<uint32_t*>(image->scanLine(y));
            for (int x = 0; x < image->width(); ++x)
                row[x] |= kOpaque;
        }
    }
    // Rows the overlay does not reach, or whose mask is missing, show the background only.
    const int width = m_background.width();
    for (int row = 0; row < m_background.height(); ++row) {
        const bool covered =
            row < m_height && row + m_height < m_overlay.height() && width <= m_overlay.width();
        if (!covered) {
            m_spans.push_back({row, 0, width, Kind::Clear});
            continue;
        }
        const auto* image = reinterpret_cast<const uint32_t*>(m_overlay.constScanLine(row));
        const auto* mask =
            reinterpret_cast<const uint32_t*>(m_overlay.constScanLine(row + m_height));
        auto kindAt = [&](int x) {
            const uint32_t m = mask[x] & kColourBits;
            if (m == 0)
                return Kind::Opaque;
            if (m == kColourBits && (image[x] & kColourBits) == kColourBits)
                return Kind::Clear;
            return Kind::Mixed;
        };
        int x = 0;
        while (x < width) {
            const Kind kind = kindAt(x);
            int end = x + 1;
            while (end < width && kindAt(end) == kind)
                ++end;
            m_spans.push_back({row, x, end - x, kind});
            x = end;
        }
    }
}

void OverlayCompositor::copyBackground(QImage& frame) const
{
    // One detach for the whole frame; rows are then found by arithmetic.
    uchar* bits = frame.bits();
    const qsizetype stride = frame.bytesPerLine();
    const uchar* background = m_background.constBits();
    const qsizetype backgroundStride = m_background.bytesPerLine();
    for (const Span& span : m_spans) {
        if (span.kind == Kind::Opaque || span.row >= frame.height())
            continue;
        const int end = std::min(span.left + span.width, frame.width());
        if (end <= span.left)
            continue;
        const auto* in =
            reinterpret_cast<const uint32_t*>(background + span.row * backgroundStride);
        auto* out = reinterpret_cast<uint32_t*>(bits + span.row * stride);
        std::memcpy(out + span.left, in + span.left, sizeof(uint32_t) * (end - span.left));
    }
}

void OverlayCompositor::applyOverlay(QImage& frame) const
{
    uchar* bits = frame.bits();
    const qsizetype stride = frame.bytesPerLine();
    const uchar* overlay = m_overlay.constBits();
    const qsizetype overlayStride = m_overlay.bytesPerLine();
    for (const Span& span : m_spans) {
        if (span.kind == Kind::Clear || span.row >= m_height || span.row >= frame.height())
            continue;
        const int end = std::min(span.left + span.width, frame.width());
        const auto* image = reinterpret_cast<const uint32_t*>(overlay + span.row * overlayStride);
        auto* out = reinterpret_cast<uint32_t*>(bits + span.row * stride);
        if (span.kind == Kind::Opaque) {
            if (end > span.left)
                std::memcpy(out + span.left, image + span.left,
                            sizeof(uint32_t) * (end - span.left));
            continue;
        }
        const auto* mask =
            reinterpret_cast<const uint32_t*>(overlay + (span.row + m_height) * overlayStride);
        // SRCERASE of the mask, then SRCINVERT of the image.
        for (int x = span.left; x < end; ++x)
            out[x] = ((image[x] ^ (mask[x] & ~out[x])) & kColourBits) | kOpaque;
    }
}
