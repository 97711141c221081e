// The restricted background and overlay give the very frame that the whole background copy and
// the whole masked overlay give, whatever is drawn between them.
#include "playertestkit.h"

#include "player/overlaycompositor.h"
#include "visual/blit.h"
#include "visual/skin.h"

#include <gtest/gtest.h>

namespace {

// Draws over the frame as the layers between background and overlay do: plain writes and
// writes that depend on what lies below.
void DrawLayers(QImage& frame, quint32 seed)
{
    quint32 x = seed;
    auto next = [&x] {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        return x;
    };
    for (int i = 0; i < 400; ++i) {
        const int px = static_cast<int>(next() % 300);
        const int py = static_cast<int>(next() % 150);
        const quint32 value = next();
        const QRgb below = frame.pixel(px, py);
        frame.setPixel(px, py, 0xFF000000u | ((i % 2 ? value : below ^ value) & 0xFFFFFFu));
    }
}

QImage ReferenceFrame(const QImage& background, const QImage& overlay, quint32 seed)
{
    QImage frame(300, 150, QImage::Format_RGB32);
    frame.fill(0xFF123456);
    CopyRect(frame, {0, 0}, background, QRect(0, 0, 300, 150));
    DrawLayers(frame, seed);
    MaskedCopy(frame, {0, 0}, overlay, {0, 125}, {0, 0}, {300, 125});
    return frame;
}

QImage FastFrame(const QImage& background, const QImage& overlay, quint32 seed)
{
    const OverlayCompositor compositor(background, overlay, 125);
    QImage frame(300, 150, QImage::Format_RGB32);
    frame.fill(0xFF654321);
    compositor.copyBackground(frame);
    DrawLayers(frame, seed);
    compositor.applyOverlay(frame);
    return frame;
}

// An overlay with opaque frames around see-through windows, mostly clear inside with a few
// noisy pixels.
QImage FramedOverlay()
{
    QImage overlay = NoiseSkin().Picture3;
    for (int y = 0; y < 125; ++y) {
        for (int x = 0; x < 300; ++x) {
            const bool window = (x > 90 && x < 210 && y > 20 && y < 80) || (y > 100 && y < 116);
            if (!window)
                overlay.setPixel(x, y + 125, 0xFF000000);
            else if (x % 7 != 0)
                overlay.setPixel(x, y + 125, 0xFFFFFFFF);
            // Mostly clear (white mask and image), with some inverting pixels among them.
            if (window && x % 7 != 0 && x % 5 != 0)
                overlay.setPixel(x, y, 0xFFFFFFFF);
        }
    }
    return overlay;
}

} // namespace

TEST(OverlayCompositor, MatchesTheFullMaskedCopyOverNoise)
{
    const SkinPictures skin = NoiseSkin();
    for (quint32 seed : {1u, 77u, 12345u})
        EXPECT_EQ(FastFrame(skin.Picture2, skin.Picture3, seed),
                  ReferenceFrame(skin.Picture2, skin.Picture3, seed));
}

TEST(OverlayCompositor, MatchesTheFullMaskedCopyWithOpaqueParts)
{
    const SkinPictures skin = NoiseSkin();
    const QImage overlay = FramedOverlay();
    for (quint32 seed : {3u, 99u})
        EXPECT_EQ(FastFrame(skin.Picture2, overlay, seed),
                  ReferenceFrame(skin.Picture2, overlay, seed));
}

TEST(OverlayCompositor, MatchesTheFullMaskedCopyWithTheShippedSkin)
{
    const Skin skin;
    ASSERT_TRUE(skin.isValid());
    EXPECT_EQ(FastFrame(skin.Picture2(), skin.Picture3(), 5),
              ReferenceFrame(skin.Picture2(), skin.Picture3(), 5));
}
