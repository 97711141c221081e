// The spectrum analyser against its rules: columns, heights, baselines, variants and limits.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "support/fakeengine.h"
#include "visual/skin.h"
#include "visual/spectrum.h"
#include "visualtest.h"

namespace {

constexpr QRgb kBaseline = 0xFF001073; // strip row 49
constexpr QRgb kTop = 0xFF00F7EF;      // strip row 0

class Spectrum : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(skin.isValid());
        engine.state = 1;
    }
    QRgb strip(int row) const { return skin.Picture1().pixel(132, row); }
    void draw(int type) { SpeAna(frame, skin.Picture1(), engine, type); }

    Skin skin;
    FakeEngine engine;
    QImage frame = PlainFrame();
};

TEST_F(Spectrum, SilentCombinedDrawsTheBaselineRowAcrossTheBand)
{
    draw(0);
    std::set<int> xs;
    for (int i = 0; i <= 122; ++i)
        xs.insert(int(std::lrint(i / 122.0 * 120 + 90)));
    EXPECT_EQ(*xs.begin(), 90);
    EXPECT_EQ(*xs.rbegin(), 210);
    EXPECT_LT(xs.size(), 123u);
    for (int x : xs)
        EXPECT_EQ(frame.pixel(x, 69), kBaseline) << x;
    EXPECT_EQ(ChangedPixels(frame), int(xs.size()));
}

TEST_F(Spectrum, SmallValuesFollowTheHalfToEvenRule)
{
    // v = 1: h = 0 (0.5 to even) -> nothing; v = 2: h = 1, height 0 -> nothing;
    // v = 3: h = 2, height 1 -> one pixel on row 69; bands 0, 61, 122 are at x 90, 150, 210.
    for (auto& v : engine.spectrumLeft)
        v = -5; // the rest draw baseline marks, which this test ignores
    engine.spectrumLeft[0] = 1;
    engine.spectrumLeft[61] = 2;
    engine.spectrumLeft[122] = 3;
    draw(0);
    EXPECT_EQ(frame.pixel(90, 69), kPlain);
    EXPECT_EQ(frame.pixel(150, 69), kPlain);
    EXPECT_EQ(frame.pixel(210, 69), kBaseline);
    EXPECT_EQ(frame.pixel(210, 68), kPlain);
}

TEST_F(Spectrum, FullScaleCombinedBarReachesRowTwenty)
{
    engine.spectrumLeft[61] = 120;
    engine.spectrumRight[61] = 120;
    draw(0);
    for (int y = 20; y <= 69; ++y)
        EXPECT_EQ(frame.pixel(150, y), strip(y - 20)) << y;
    EXPECT_EQ(frame.pixel(150, 19), kPlain);
    EXPECT_EQ(frame.pixel(150, 20), kTop);
}

TEST_F(Spectrum, HeightsRoundHalvesToEven)
{
    // v = 150: h = 75, height 31.25 -> 31. v = 7: h = 3.5 -> 4, height 1.67 -> 2.
    engine.spectrumLeft[0] = 150;
    engine.spectrumLeft[122] = 7;
    draw(0);
    EXPECT_EQ(frame.pixel(90, 70 - 31), strip(50 - 31));
    EXPECT_EQ(frame.pixel(90, 70 - 32), kPlain);
    EXPECT_EQ(frame.pixel(210, 68), strip(48));
    EXPECT_EQ(frame.pixel(210, 67), kPlain);
}

TEST_F(Spectrum, ChannelsDrawTwoGraphsRightAbove)
{
    engine.spectrumRight[61] = 240;
    engine.spectrumLeft[122] = 48; // h = 24, height 10
    draw(1);
    for (int y = 0; y <= 49; ++y)
        EXPECT_EQ(frame.pixel(150, y), strip(y)) << y;
    EXPECT_EQ(frame.pixel(150, 78), kBaseline); // silent left of band 61
    EXPECT_EQ(frame.pixel(210, 50), kBaseline); // silent right of band 122
    for (int y = 68; y <= 77; ++y)
        EXPECT_EQ(frame.pixel(210, y), strip(y - 28)) << y;
    EXPECT_EQ(frame.pixel(210, 67), kPlain);
    EXPECT_EQ(frame.pixel(210, 78), kPlain);
}

TEST_F(Spectrum, LowerGraphWinsWhereTheGraphsOverlap)
{
    engine.spectrumRight[0] = 240; // rows 0..49
    engine.spectrumLeft[0] = 240;  // rows 28..77
    draw(1);
    for (int y = 28; y <= 49; ++y)
        EXPECT_EQ(frame.pixel(90, y), strip(y - 28)) << y;
}

TEST_F(Spectrum, LineVariantReadsEveryEighthBandAsThreePixelBars)
{
    engine.spectrumLeft[4] = 500; // not read
    engine.spectrumLeft[8] = 120;
    engine.spectrumRight[8] = 120; // v 240 -> 50 pixels
    engine.spectrumLeft[240] = 36; // 7.5 -> 8 pixels
    draw(2);
    const QImage& sheet = skin.Picture1();
    for (int y = 20; y <= 69; ++y)
        for (int dx = 0; dx < 3; ++dx)
            EXPECT_EQ(frame.pixel(94 + dx, y), sheet.pixel(253 + dx, y - 20));
    for (int dx = 0; dx < 3; ++dx) {
        EXPECT_EQ(frame.pixel(210 + dx, 62), sheet.pixel(253 + dx, 42));
        EXPECT_EQ(frame.pixel(210 + dx, 61), kPlain);
        EXPECT_EQ(frame.pixel(90 + dx, 69), kBaseline); // band 0 silent
        EXPECT_EQ(frame.pixel(90 + dx, 68), kPlain);    // band 4 invisible
    }
    // 29 silent bands (3 pixels each) plus the two bars.
    EXPECT_EQ(ChangedPixels(frame), 29 * 3 + 50 * 3 + 8 * 3);
}

TEST_F(Spectrum, NotPlayingDrawsNothingAndReadsNoSpectrum)
{
    for (int state : {0, 2}) {
        engine.state = state;
        engine.clearCalls();
        for (int type = 0; type < 3; ++type)
            draw(type);
        EXPECT_EQ(ChangedPixels(frame), 0);
        EXPECT_EQ(engine.count("getSpectrum"), 0);
        EXPECT_EQ(engine.count("getState"), 3);
    }
}

TEST_F(Spectrum, AsksStateThenSpectrumOnce)
{
    draw(1);
    ASSERT_EQ(engine.calls.size(), 2u);
    EXPECT_EQ(engine.calls[0], "getState");
    EXPECT_EQ(engine.calls[1], "getSpectrum");
}

TEST_F(Spectrum, UnknownVariantDrawsNothing)
{
    engine.spectrumLeft.fill(100);
    draw(3);
    draw(-1);
    EXPECT_EQ(ChangedPixels(frame), 0);
}

TEST_F(Spectrum, OversizedValuesStayInsideTheStripAndFrame)
{
    engine.spectrumLeft.fill(2'000'000'000);
    engine.spectrumRight.fill(2'000'000'000);
    for (int type = 0; type < 3; ++type) {
        QImage f = PlainFrame();
        SpeAna(f, skin.Picture1(), engine, type);
        // Bars are clipped to the 50 strip rows: nothing above row 20 (variants 0, 2) or 0.
        const int top = type == 1 ? 0 : 20;
        EXPECT_EQ(f.pixel(150, top), kTop) << type;
        if (top > 0) {
            EXPECT_EQ(f.pixel(150, top - 1), kPlain) << type;
        }
    }
    engine.spectrumLeft.fill(-2'000'000'000);
    engine.spectrumRight.fill(-2'000'000'000);
    draw(0);
    EXPECT_EQ(frame.pixel(150, 69), kBaseline);
}

} // namespace
