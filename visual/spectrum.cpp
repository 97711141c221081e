// Spectrum bars as rectangle copies of the sprite sheet's colour strips.
#include "spectrum.h"

#include <array>
#include <cstdint>

#include "blit.h"
#include "engine/engine.h"
#include "rounding.h"
#include "skinlayout.h"

namespace {

using namespace SkinLayout;

constexpr int kBands = 123;  // bands 0..122 in variants 0 and 1
constexpr int kBandX = 90;   // left edge of the band
constexpr int kLineStep = 8; // variant 2 reads every 8th band

int columnX(int band)
{
    return RoundEven(static_cast<double>(band) / 122.0 * 120.0 + kBandX);
}

// Height of a one-channel bar (or a summed one, halved first) in variants 0 and 1.
int halvedHeight(int value)
{
    const int h = RoundEven(value / 2.0);
    return RoundEven(h / 120.0 * 50.0);
}

// A positive value draws a bar `height` pixels high on rows bottom - height .. bottom - 1
// (nothing when the height is 0); any other value draws the silent band's mark on markRow.
void bar(QImage& frame, const QImage& sprites, int x, int bottom, int markRow, int value,
         int height, int stripColumn, int width)
{
    if (value > 0) {
        if (height > 0)
            CopyRect(frame, {x, bottom - height}, sprites,
                     QRect(stripColumn, kStripRows - height, width, height));
    } else {
        CopyRect(frame, {x, markRow}, sprites, QRect(stripColumn, kStripRows - 1, width, 1));
    }
}

} // namespace

void SpeAna(QImage& frame, const QImage& sprites, Engine& engine, int speAnaType)
{
    int32_t sec = 0;
    if (engine.getState(sec) != 1)
        return;
    std::array<int32_t, 256> left{}, right{};
    engine.getSpectrum(left.data(), right.data());

    switch (speAnaType) {
    case 0:
        for (int i = 0; i < kBands; ++i) {
            const int v = Clamp16(int64_t(left[i]) + right[i]);
            bar(frame, sprites, columnX(i), 70, 69, v, halvedHeight(v), kStripColumn, 1);
        }
        break;
    case 1:
        for (int i = 0; i < kBands; ++i) {
            const int x = columnX(i);
            const int r = Clamp16(right[i]);
            // The marks of silent bands lie one row below each graph's bars.
            bar(frame, sprites, x, 50, 50, r, halvedHeight(r), kStripColumn, 1);
            const int l = Clamp16(left[i]);
            bar(frame, sprites, x, 78, 78, l, halvedHeight(l), kStripColumn, 1);
        }
        break;
    case 2:
        for (int i = 0; i <= 240; i += kLineStep) {
            const int v = Clamp16(int64_t(left[i]) + right[i]);
            const int x = RoundEven(i * 4 / 8.0 + kBandX);
            bar(frame, sprites, x, 70, 69, v, RoundEven(v / 240.0 * 50.0), kWideStripColumn, 3);
        }
        break;
    default:
        break;
    }
}
