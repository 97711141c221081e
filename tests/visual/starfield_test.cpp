// The star field and the title scroller against their rules.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "state/appstate.h"
#include "support/fakeengine.h"
#include "visual/starfield.h"
#include "visual/titlescroller.h"
#include "visualtest.h"

namespace {

// A field whose stars all start at the centre except star 0, set as given.
StarField oneStar(double angle, int age)
{
    StarField field;
    field.StarAge.fill(0);
    field.StarAngle.fill(0);
    field.StarAngle[0] = angle;
    field.StarAge[0] = static_cast<int16_t>(age);
    return field;
}

TEST(StarInit, TakesAngleThenAgeFromEachPairOfRandomValues)
{
    std::vector<double> values;
    for (int i = 0; i < 2 * kStarCount; ++i)
        values.push_back((i % 7) / 7.0);
    size_t next = 0;
    const StarField field = InitStarField([&] { return values[next++]; });
    EXPECT_EQ(next, values.size());
    for (int i = 0; i < kStarCount; ++i) {
        EXPECT_DOUBLE_EQ(field.StarAngle[i], values[2 * i] * 2 * 3.1415) << i;
        EXPECT_EQ(field.StarAge[i], std::lrint(values[2 * i + 1] * 150)) << i;
    }
}

TEST(StarInit, DefaultSourceRepeatsAndStaysInRange)
{
    const StarField a = InitStarField(), b = InitStarField();
    EXPECT_EQ(a.StarAge, b.StarAge);
    for (int i = 0; i < kStarCount; ++i) {
        EXPECT_GE(a.StarAngle[i], 0);
        EXPECT_LT(a.StarAngle[i], 2 * 3.1415);
        EXPECT_GE(a.StarAge[i], 0);
        EXPECT_LE(a.StarAge[i], 150);
    }
}

TEST(DrawStar, AgeFiftyEightDrawsGreyThirtyFourSeventeenPixelsOut)
{
    StarField field = oneStar(0, 57);
    QImage frame = PlainFrame();
    DrawStar(frame, field);
    EXPECT_EQ(field.StarAge[0], 58);
    // r = 16.82 -> 17, at (167, 50); radius-1 dot: centre and four neighbours.
    const QRgb grey = StarLight(kPlain, 34);
    for (QPoint p :
         {QPoint(167, 50), QPoint(166, 50), QPoint(168, 50), QPoint(167, 49), QPoint(167, 51)})
        EXPECT_EQ(frame.pixel(p), grey) << p.x() << "," << p.y();
    EXPECT_EQ(frame.pixel(166, 49), kPlain);
}

TEST(DrawStar, AgeHundredIsGreyHundredAtFifty)
{
    StarField field = oneStar(3.1415 / 2, 99);
    QImage frame = PlainFrame();
    DrawStar(frame, field);
    // r = 50; sin(3.1415 / 2) is just below 1, so y = 50 + 49.99.. rounds to 100.
    EXPECT_EQ(frame.pixel(150, 100), StarLight(kPlain, 100));
    EXPECT_EQ(field.StarAge[0], 0); // y 100 > 90: back to the centre next call
}

TEST(DrawStar, GreyIsLimitedTo255)
{
    StarField field = oneStar(0, 140); // age 141: r = 99.4 -> 99, grey 198
    QImage frame = PlainFrame();
    DrawStar(frame, field);
    EXPECT_EQ(frame.pixel(249, 50), StarLight(kPlain, 198));
    field = oneStar(0, 167); // age 168: r = 141, x = 291, g = 255
    DrawStar(frame, field);
    EXPECT_EQ(frame.pixel(290, 50), qRgb(255, 255, 255));
}

TEST(DrawStar, StarsGrowOutOfTheBackgroundAndStayInTheirArea)
{
    // A new star is the background's own colour, a bright one nearly white; none darkens.
    EXPECT_EQ(StarLight(qRgb(11, 22, 38), 0), qRgb(11, 22, 38));
    EXPECT_EQ(StarLight(qRgb(11, 22, 38), 255), qRgb(255, 255, 255));
    const QRgb dim = StarLight(qRgb(11, 22, 38), 4);
    EXPECT_TRUE(qRed(dim) >= 11 && qGreen(dim) >= 22 && qBlue(dim) >= 38);
    // Age 58 at angle 0 is a dot at (167, 50): an area ending at x 167 keeps only its left half.
    StarField field = oneStar(0, 57);
    QImage frame = PlainFrame();
    DrawStar(frame, field, QRect(100, 0, 68, 150));
    EXPECT_NE(frame.pixel(167, 50), kPlain);
    EXPECT_NE(frame.pixel(166, 50), kPlain);
    EXPECT_EQ(frame.pixel(168, 50), kPlain);
    EXPECT_EQ(ChangedPixels(frame), 4);
}

TEST(DrawStar, StarsLeaveAtTheFieldEdges)
{
    // Angle 0: x > 290 first at r = 141, age 168.
    StarField field = oneStar(0, 166);
    QImage frame = PlainFrame();
    DrawStar(frame, field);
    EXPECT_EQ(field.StarAge[0], 167);
    DrawStar(frame, field);
    EXPECT_EQ(field.StarAge[0], 0);
    // Angle pi/2: y > 90 first at r = 41, age 91.
    field = oneStar(3.14159265358979 / 2, 89);
    DrawStar(frame, field);
    EXPECT_EQ(field.StarAge[0], 90);
    DrawStar(frame, field);
    EXPECT_EQ(field.StarAge[0], 0);
}

TEST(DrawStar, EveryStarAgesEachCall)
{
    StarField field = InitStarField();
    const StarField before = field;
    QImage frame = PlainFrame();
    DrawStar(frame, field);
    for (int i = 0; i < kStarCount; ++i)
        EXPECT_TRUE(field.StarAge[i] == before.StarAge[i] + 1 || field.StarAge[i] == 0) << i;
}

// ---------------------------------------------------------------------------------------------

class TitleScroll : public ::testing::Test {
protected:
    void SetUp() override
    {
        engine.state = 1;
        app.TitleLabel = QStringLiteral("Morvane デモ");
        app.TitleInterval = 5;
    }
    // Calls until the next scroll step has happened (the title moves on every fourth call).
    void step()
    {
        for (int i = 0; i < 4; ++i)
            TitleMove(frame, engine, app, scroller);
    }

    FakeEngine engine;
    AppState app;
    TitleScroller scroller;
    QImage frame = PlainFrame();
};

TEST_F(TitleScroll, MovesEveryFourthCallAndAsksTheEngineOnlyThen)
{
    for (int i = 0; i < 3; ++i)
        TitleMove(frame, engine, app, scroller);
    EXPECT_EQ(app.TitlePos, 0);
    EXPECT_EQ(engine.count("getState"), 0);
    TitleMove(frame, engine, app, scroller);
    EXPECT_EQ(app.TitlePos, -5);
    EXPECT_EQ(engine.count("getState"), 1);
    EXPECT_EQ(scroller.TitleTick, 0);
}

TEST_F(TitleScroll, WrapsToTheRightOnceTheTextIsTenPixelsPastTheLeft)
{
    const int width = scroller.Label2.width() > 0 ? scroller.Label2.width() : [&] {
        TitleMove(frame, engine, app, scroller);
        scroller.TitleTick = 0;
        app.TitlePos = 0;
        return scroller.Label2.width();
    }();
    ASSERT_GT(width, 20);
    int expected = 0;
    for (int n = 0; n < 200; ++n) {
        step();
        expected -= 5;
        if (-width - 10 > expected)
            expected = 120;
        ASSERT_EQ(app.TitlePos, expected) << n;
    }
}

TEST_F(TitleScroll, StandsStillWithoutIntervalOrWhenNotPlaying)
{
    app.TitleInterval = 0;
    app.TitlePos = -30;
    step();
    EXPECT_EQ(app.TitlePos, 0);
    app.TitleInterval = 5;
    engine.state = 2;
    app.TitlePos = -30;
    step();
    EXPECT_EQ(app.TitlePos, 0);
}

TEST_F(TitleScroll, HoldsAtHomeForFiftyOneCallsAfterATrackOpens)
{
    app.TitleReset = true;
    app.TitleStep = 0;
    for (int call = 1; call <= 51; ++call) {
        TitleMove(frame, engine, app, scroller);
        ASSERT_EQ(app.TitlePos, 0) << call;
        ASSERT_EQ(app.TitleReset, call < 51) << call;
    }
    EXPECT_EQ(app.TitleStep, 0);
    step();
    EXPECT_EQ(app.TitlePos, -5);
}

TEST_F(TitleScroll, DrawsTheTitleInWhiteAtItsPosition)
{
    app.TitlePos = -20;
    app.TitleInterval = 0;
    TitleMove(frame, engine, app, scroller); // not a scroll call: position kept
    QImage expected = PlainFrame();
    TextStamp text;
    text.setText(app.TitleLabel);
    text.draw(expected, 68, 102, qRgb(255, 255, 255));
    EXPECT_EQ(frame, expected);
    EXPECT_GT(CountPixels(frame, [](int, int, QRgb c) { return c == qRgb(255, 255, 255); }), 20);
}

} // namespace
