// Background copy and masked overlay restricted to what the overlay lets through.
#include "overlaycompositor.h"

#include "visual/blit.h"
#include "visual/imagearena.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

constexpr uint32_t kColourBits = 0x00FFFFFFu;
constexpr uint32_t kOpaque = 0xFF000000u;

// An area of frame pixels as the pixels of frame it covers.
QRect Scaled(const QRect& area, const QImage& frame)
{
    const int s = PixelScale(frame);
    return {area.topLeft() * s, area.size() * s};
}

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
    m_coveredRows = width <= m_overlay.width()
                        ? std::min(m_height, static_cast<int>(m_overlay.height()) - m_height)
                        : 0;
    for (int row = 0; row < m_background.height(); ++row) {
        if (row >= m_coveredRows) {
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
    copyBackground(frame, FrameRect(frame));
}

void OverlayCompositor::applyOverlay(QImage& frame) const
{
    applyOverlay(frame, FrameRect(frame));
}

bool OverlayCompositor::clip(const Span& span, const QRect& area, int& left, int& end)
{
    left = std::max(span.left, area.left());
    end = std::min(span.left + span.width, area.right() + 1);
    return left < end;
}

void OverlayCompositor::copyBackground(QImage& frame, const QRect& area) const
{
    const QRect within = Scaled(area, frame) & frame.rect();
    // One detach for the whole frame; rows are then found by arithmetic.
    uchar* bits = frame.bits();
    const qsizetype stride = frame.bytesPerLine();
    const uchar* background = m_background.constBits();
    const qsizetype backgroundStride = m_background.bytesPerLine();
    // The spans run row by row.
    for (const Span& span : m_spans) {
        if (span.row > within.bottom())
            break;
        int left = 0, end = 0;
        if (span.kind == Kind::Opaque || span.row < within.top() || !clip(span, within, left, end))
            continue;
        const auto* in =
            reinterpret_cast<const uint32_t*>(background + span.row * backgroundStride);
        auto* out = reinterpret_cast<uint32_t*>(bits + span.row * stride);
        std::memcpy(out + left, in + left, sizeof(uint32_t) * (end - left));
    }
}

void OverlayCompositor::applyOverlay(QImage& frame, const QRect& area) const
{
    const QRect within = Scaled(area, frame) & frame.rect() & QRect(0, 0, frame.width(), m_height);
    uchar* bits = frame.bits();
    const qsizetype stride = frame.bytesPerLine();
    const uchar* overlay = m_overlay.constBits();
    const qsizetype overlayStride = m_overlay.bytesPerLine();
    for (const Span& span : m_spans) {
        if (span.row > within.bottom())
            break;
        int left = 0, end = 0;
        if (span.kind == Kind::Clear || span.row < within.top() || !clip(span, within, left, end))
            continue;
        const auto* image = reinterpret_cast<const uint32_t*>(overlay + span.row * overlayStride);
        auto* out = reinterpret_cast<uint32_t*>(bits + span.row * stride);
        if (span.kind == Kind::Opaque) {
            std::memcpy(out + left, image + left, sizeof(uint32_t) * (end - left));
            continue;
        }
        const auto* mask =
            reinterpret_cast<const uint32_t*>(overlay + (span.row + m_height) * overlayStride);
        // SRCERASE of the mask, then SRCINVERT of the image.
        for (int x = left; x < end; ++x)
            out[x] = ((image[x] ^ (mask[x] & ~out[x])) & kColourBits) | kOpaque;
    }
}

void OverlayCompositor::copyBackground(QImage& frame, const std::vector<RowRun>& runs) const
{
    uchar* bits = frame.bits();
    const qsizetype stride = frame.bytesPerLine();
    const uchar* background = m_background.constBits();
    const qsizetype backgroundStride = m_background.bytesPerLine();
    for (const RowRun& run : runs) {
        const auto* in = reinterpret_cast<const uint32_t*>(background + run.y * backgroundStride);
        auto* out = reinterpret_cast<uint32_t*>(bits + run.y * stride);
        std::memcpy(out + run.left, in + run.left, sizeof(uint32_t) * run.width);
    }
}

void OverlayCompositor::applyOverlay(QImage& frame, const std::vector<RowRun>& runs) const
{
    uchar* bits = frame.bits();
    const qsizetype stride = frame.bytesPerLine();
    const uchar* overlay = m_overlay.constBits();
    const qsizetype overlayStride = m_overlay.bytesPerLine();
    for (const RowRun& run : runs) {
        // Rows the overlay does not cover show what was drawn.
        if (run.y >= m_coveredRows)
            continue;
        const auto* image = reinterpret_cast<const uint32_t*>(overlay + run.y * overlayStride);
        const auto* mask =
            reinterpret_cast<const uint32_t*>(overlay + (run.y + m_height) * overlayStride);
        auto* out = reinterpret_cast<uint32_t*>(bits + run.y * stride);
        // The masked copy: exact for opaque and clear pixels too.
        for (int x = run.left; x < run.left + run.width; ++x)
            out[x] = ((image[x] ^ (mask[x] & ~out[x])) & kColourBits) | kOpaque;
    }
}
