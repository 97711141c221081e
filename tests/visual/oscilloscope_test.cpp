// The oscilloscope and the level meter against their rules: positions, limits, colours, widths.
#include <gtest/gtest.h>

#include "support/fakeengine.h"
#include "visual/oscilloscope.h"
#include "visual/skin.h"
#include "visual/skinlayout.h"
#include "visual/volumebar.h"
#include "visualtest.h"

namespace {

class Oscilloscope : public ::testing::Test {
protected:
    void draw(int type) { OsiroScope(frame, engine, type); }
    int count(QRgb colour) const
    {
        return CountPixels(frame, [colour](int, int, QRgb c) { return c == colour; });
    }

    FakeEngine engine;
    QImage frame = PlainFrame();
};

TEST_F(Oscilloscope, SilenceIsAFlatGreenLineAtFifty)
{
    draw(0);
    for (int x = 90; x <= 210; ++x)
        EXPECT_EQ(frame.pixel(x, 50), kCombinedTraceColour) << x;
    EXPECT_EQ(frame.pixel(89, 50), kPlain);
    EXPECT_EQ(frame.pixel(211, 50), kPlain);
    EXPECT_EQ(ChangedPixels(frame), 121);
}

TEST_F(Oscilloscope, SilenceInChannelsIsRedAtFortyAndBlueAtSixty)
{
    draw(1);
    for (int x = 90; x <= 208; ++x) {
        EXPECT_EQ(frame.pixel(x, 40), kRightTraceColour) << x;
        EXPECT_EQ(frame.pixel(x, 60), kLeftTraceColour) << x;
    }
    EXPECT_EQ(ChangedPixels(frame), count(kRightTraceColour) + count(kLeftTraceColour));
}

TEST_F(Oscilloscope, CombinedValueIsQuarterOfTheSumRoundedToEven)
{
    // (6 + 4) / 4 = 2.5 -> 2, so y = 48; (7 + 7) / 4 = 3.5 -> 4, so y = 46.
    engine.waveLeft[0] = 6;
    engine.waveRight[0] = 4;
    engine.waveLeft[254] = 7;
    engine.waveRight[254] = 7;
    draw(0);
    EXPECT_EQ(frame.pixel(90, 48), kCombinedTraceColour);
    EXPECT_EQ(frame.pixel(210, 46), kCombinedTraceColour);
}

TEST_F(Oscilloscope, LeftChannelIsLimitedAtNinetyFive)
{
    engine.waveLeft.fill(-200);
    draw(3);
    for (int x = 90; x <= 210; ++x)
        EXPECT_EQ(frame.pixel(x, 95), kLeftTraceColour) << x;
    EXPECT_EQ(count(kLeftTraceColour), ChangedPixels(frame));
    EXPECT_EQ(ChangedPixels(frame), 121);
}

TEST_F(Oscilloscope, RightChannelAloneIsRedAndLimited)
{
    engine.waveRight.fill(-200);
    engine.waveRight[2] = 20; // y = 40
    draw(2);
    EXPECT_EQ(frame.pixel(90, 95), kRightTraceColour);
    EXPECT_EQ(frame.pixel(91, 40), kRightTraceColour); // x = 90.94
    EXPECT_EQ(count(kRightTraceColour), ChangedPixels(frame));
}

TEST_F(Oscilloscope, ChannelsLimitOnlyTheLeftTrace)
{
    engine.waveRight.fill(-200); // y = 140, no limit
    engine.waveLeft.fill(-200);  // limited to -35: y = 95
    draw(1);
    EXPECT_EQ(frame.pixel(90, 140), kRightTraceColour);
    EXPECT_EQ(frame.pixel(150, 140), kRightTraceColour);
    EXPECT_EQ(frame.pixel(150, 95), kLeftTraceColour);
    EXPECT_EQ(frame.pixel(150, 96), kPlain);
}

TEST_F(Oscilloscope, PointsOffTheFrameAreClipped)
{
    engine.waveLeft.fill(30000); // y far above the frame
    engine.waveRight.fill(30000);
    engine.waveLeft[100] = 0; // one dip back to y = 50
    engine.waveRight[100] = 0;
    draw(0);
    EXPECT_EQ(frame.pixel(137, 50), kCombinedTraceColour); // x = 137.06
    EXPECT_EQ(frame.pixel(137, 0), kCombinedTraceColour);  // the line down from above
    EXPECT_EQ(frame.pixel(100, 10), kPlain);
}

TEST_F(Oscilloscope, EveryVariantStaysInsideItsBox)
{
    // Loud both ways: the traces run to the box's top and bottom and are cut there.
    for (int i = 0; i < 256; ++i) {
        engine.waveLeft[i] = i % 8 < 4 ? 30000 : -30000;
        engine.waveRight[i] = -engine.waveLeft[i];
    }
    using SkinLayout::kDisplayBand;
    for (int type = 0; type < 4; ++type) {
        frame = PlainFrame();
        OsiroScope(frame, engine, type, kDisplayBand);
        EXPECT_GT(ChangedPixels(frame), 100) << type;
        EXPECT_EQ(CountPixels(frame, [](int x, int y, QRgb c) {
                      return c != kPlain && !kDisplayBand.contains(x, y);
                  }),
                  0)
            << type;
    }
}

TEST_F(Oscilloscope, AlwaysReadsTheWaveButUnknownTypesDrawNothing)
{
    engine.state = 0;
    draw(4);
    draw(-1);
    EXPECT_EQ(engine.count("getWave"), 2);
    EXPECT_EQ(engine.count("getState"), 0);
    EXPECT_EQ(ChangedPixels(frame), 0);
    draw(0); // stopped: still drawn from whatever the engine returns
    EXPECT_EQ(frame.pixel(150, 50), kCombinedTraceColour);
}

TEST(DrawLine, IncludesBothEndsAndIsContinuous)
{
    QImage frame = PlainFrame();
    DrawLine(frame, 10, 10, 20, 14, 0xFFFFFFFF);
    EXPECT_EQ(frame.pixel(10, 10), 0xFFFFFFFFu);
    EXPECT_EQ(frame.pixel(20, 14), 0xFFFFFFFFu);
    EXPECT_EQ(ChangedPixels(frame), 11);             // one pixel per column of the major axis
    DrawLine(frame, -50, -50, -10, 400, 0xFFFFFFFF); // wholly left of the frame
    EXPECT_EQ(ChangedPixels(frame), 11);
}

// ---------------------------------------------------------------------------------------------

class LevelMeter : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(skin.isValid());
        engine.state = 1;
    }
    void draw(int relativityVol = 1) { VolumeBar(frame, skin.Picture1(), engine, relativityVol); }
    // What the masked copy must give for one frame pixel from sheet pixel (sx, image row).
    QRgb expected(int sx, int imageRow) const
    {
        const QImage& s = skin.Picture1();
        return s.pixel(sx, SkinLayout::kMeterMaskRow + imageRow) == qRgb(0, 0, 0)
                   ? s.pixel(sx, SkinLayout::kMeterImageRow + imageRow)
                   : kPlain;
    }

    Skin skin;
    FakeEngine engine;
    QImage frame = PlainFrame();
};

TEST_F(LevelMeter, WidthsFollowThePeakRoundedToEven)
{
    auto width = [](int peak) {
        std::array<int, 256> l{}, r{};
        l[17] = peak;
        r[200] = peak;
        const MeterWidths w = MeterWidthsFor(l.data(), r.data(), 256);
        EXPECT_EQ(w.left, w.right);
        return w.left;
    };
    EXPECT_EQ(width(0), 0);
    EXPECT_EQ(width(1), 0);
    EXPECT_EQ(width(2), 0);   // 0.475
    EXPECT_EQ(width(3), 1);   // 0.7125
    EXPECT_EQ(width(40), 10); // 9.5 -> 10
    EXPECT_EQ(width(42), 10); // 9.975
    EXPECT_EQ(width(80), 19);
    EXPECT_EQ(width(5000), 19);
    EXPECT_EQ(width(std::numeric_limits<int>::min()), 19);
    // Peaks are magnitudes: negative samples count as much as positive ones.
    std::array<int, 256> l{}, r{};
    l[5] = -40;
    r[9] = -3;
    const MeterWidths w = MeterWidthsFor(l.data(), r.data(), 256);
    EXPECT_EQ(w.left, 10);
    EXPECT_EQ(w.right, 1);
}

TEST_F(LevelMeter, FullLeftWedgeCoversEightToTwentySix)
{
    engine.waveLeft[3] = 80;
    draw();
    for (int y = 107; y <= 114; ++y)
        for (int x = 8; x <= 26; ++x)
            EXPECT_EQ(frame.pixel(x, y), expected(x + 23, y - 107)) << x << "," << y;
    EXPECT_GT(ChangedPixels(frame), 40);
    // Nothing outside the wedge's rectangle.
    EXPECT_EQ(CountPixels(frame,
                          [](int x, int y, QRgb c) {
                              return c != kPlain && !(x >= 8 && x <= 26 && y >= 107 && y <= 114);
                          }),
              0);
}

TEST_F(LevelMeter, RightWedgeGrowsRightwardFromTheCentreColumns)
{
    engine.waveRight[9] = -40; // width 10: sheet columns 51..60 at frame 275..284, rows 106..113
    draw();
    for (int y = 106; y <= 113; ++y)
        for (int x = 275; x <= 284; ++x)
            EXPECT_EQ(frame.pixel(x, y), expected(x - 224, y - 106)) << x << "," << y;
    EXPECT_EQ(CountPixels(frame,
                          [](int x, int y, QRgb c) {
                              return c != kPlain && !(x >= 275 && x <= 284 && y >= 106 && y <= 113);
                          }),
              0);
}

TEST_F(LevelMeter, QuietOffOrStoppedDrawsNothing)
{
    draw(); // all samples 0: peak 1, width 0
    EXPECT_EQ(ChangedPixels(frame), 0);
    engine.waveLeft.fill(100);
    engine.clearCalls();
    draw(0);
    EXPECT_TRUE(engine.calls.empty());
    engine.state = 2;
    draw();
    EXPECT_EQ(engine.count("getWave"), 0);
    EXPECT_EQ(ChangedPixels(frame), 0);
}

} // namespace
