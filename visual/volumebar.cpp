// Level-meter wedges laid from the sprite sheet with the masked copy.
#include "volumebar.h"

#include <array>
#include <cstdint>
#include <cstdlib>

#include "blit.h"
#include "engine/engine.h"
#include "rounding.h"
#include "skinlayout.h"

namespace {

using namespace SkinLayout;

constexpr int kFullScalePeak = 80;

int widthFor(int64_t peak)
{
    const int64_t limited = peak < 1 ? 1 : (peak > kFullScalePeak ? kFullScalePeak : peak);
    return RoundEven(double(limited) * kMeterMaxWidth / kFullScalePeak);
}

int64_t peakOf(const int* samples, int count)
{
    int64_t peak = 0;
    for (int i = 0; i < count; ++i)
        peak = std::max<int64_t>(peak, std::llabs(int64_t(samples[i])));
    return peak;
}

} // namespace

MeterWidths MeterWidthsFor(const int* left, const int* right, int count)
{
    return {widthFor(peakOf(left, count)), widthFor(peakOf(right, count))};
}

void VolumeBar(QImage& frame, const QImage& sprites, Engine& engine, int relativityVol)
{
    if (relativityVol == 0)
        return;
    int32_t sec = 0;
    if (engine.getState(sec) != 1)
        return;
    std::array<int32_t, 256> left{}, right{};
    engine.getWave(left.data(), right.data());
    const MeterWidths w = MeterWidthsFor(left.data(), right.data(), 256);

    if (w.left > 0) {
        const int column = kMeterLeftInner + 1 - w.left;
        MaskedCopy(frame, {kMeterLeftEnd.x() - w.left, kMeterLeftEnd.y()}, sprites,
                   {column, kMeterMaskRow}, {column, kMeterImageRow}, {w.left, kMeterRows});
    }
    if (w.right > 0) {
        MaskedCopy(frame, kMeterRightStart, sprites, {kMeterRightInner, kMeterMaskRow},
                   {kMeterRightInner, kMeterImageRow}, {w.right, kMeterRows});
    }
}
