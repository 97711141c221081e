// The lyric line against its rules: which line, fade colours, centring, shadow and text.
#include <gtest/gtest.h>

#include "support/fakeengine.h"
#include "visual/framefont.h"
#include "visual/lyricline.h"
#include "visualtest.h"

namespace {

class Lyrics : public ::testing::Test {
protected:
    void SetUp() override { engine.lyricsResult = 1; }
    void line(const std::string& text) { engine.lyrics.lines[2] = text; }
    void show(int fade = 1, bool hover = false) { ShowLyrics(frame, engine, fade, hover, lyric); }
    // The frame as the two drawings of `text` with the given colours must leave it.
    QImage expected(const QString& text, QRgb shadow, QRgb ink) const
    {
        QImage e = PlainFrame();
        TextStamp stamp;
        stamp.setText(text);
        const int left = CentredLeft(stamp.width());
        stamp.draw(e, left, 132, shadow);
        stamp.draw(e, left - 1, 131, ink);
        return e;
    }

    FakeEngine engine;
    LyricLine lyric;
    QImage frame = PlainFrame();
};

TEST(LyricColours, ShadowFadesFromBlueToBlack)
{
    EXPECT_EQ(LyricShadowColour(1, 1), qRgb(31, 111, 231));
    EXPECT_EQ(LyricShadowColour(2, 1), qRgb(30, 107, 223));
    EXPECT_EQ(LyricShadowColour(21, 1), qRgb(1, 31, 71));
    EXPECT_EQ(LyricShadowColour(22, 1), qRgb(0, 27, 63));
    EXPECT_EQ(LyricShadowColour(30, 1), qRgb(0, 0, 0));
    EXPECT_EQ(LyricShadowColour(1, 0), qRgb(0, 0, 0));
}

TEST(LyricColours, TextFadesFromBlueGreyToWhiteAndHoverIsYellow)
{
    EXPECT_EQ(LyricTextColour(2, 1, false), qRgb(53, 125, 241));
    EXPECT_EQ(LyricTextColour(3, 1, false), qRgb(63, 130, 242));
    EXPECT_EQ(LyricTextColour(28, 1, false), qRgb(255, 255, 255));
    EXPECT_EQ(LyricTextColour(17, 1, false), qRgb(203, 200, 255));
    EXPECT_EQ(LyricTextColour(5, 0, false), qRgb(255, 255, 255));
    EXPECT_EQ(LyricTextColour(5, 1, true), qRgb(255, 255, 0));
    EXPECT_EQ(LyricTextColour(30, 0, true), qRgb(255, 255, 0));
}

TEST(LyricCentring, HalvesGoToEven)
{
    EXPECT_EQ(CentredLeft(101), 100); // 99.5
    EXPECT_EQ(CentredLeft(103), 98);  // 98.5
    EXPECT_EQ(CentredLeft(100), 100);
    EXPECT_EQ(CentredLeft(300), 0);
    EXPECT_EQ(CentredLeft(301), 0); // -0.5
    EXPECT_EQ(CentredLeft(340), -20);
}

TEST_F(Lyrics, ANewLineFadesInOverTheFollowingTicks)
{
    line("星のように");
    show();
    EXPECT_EQ(lyric.LyricFadeStep, 2);
    EXPECT_EQ(frame,
              expected(QStringLiteral("星のように"), qRgb(31, 111, 231), qRgb(53, 125, 241)));
    frame = PlainFrame();
    show();
    EXPECT_EQ(lyric.LyricFadeStep, 3);
    EXPECT_EQ(frame,
              expected(QStringLiteral("星のように"), qRgb(30, 107, 223), qRgb(63, 130, 242)));
    for (int i = 0; i < 40; ++i)
        show();
    EXPECT_EQ(lyric.LyricFadeStep, 30);
}

TEST_F(Lyrics, TheSameLineDoesNotRestartTheFade)
{
    line("abc");
    for (int i = 0; i < 10; ++i)
        show();
    EXPECT_EQ(lyric.LyricFadeStep, 11);
    line("abC"); // the comparison is case-sensitive
    show();
    EXPECT_EQ(lyric.LyricFadeStep, 2);
}

TEST_F(Lyrics, NoLineShowsNotFindLyricsAtOnceAndKeepsThePreviousLine)
{
    line("first");
    show();
    engine.lyricsResult = 0;
    frame = PlainFrame();
    show();
    EXPECT_EQ(lyric.LyricFadeStep, 30);
    EXPECT_EQ(lyric.Label3.text(), QStringLiteral("Not Find Lyrics"));
    EXPECT_EQ(lyric.Label5, QStringLiteral("first"));
    EXPECT_EQ(frame,
              expected(QStringLiteral("Not Find Lyrics"), qRgb(0, 0, 0), qRgb(255, 255, 255)));
    // The same line coming back does not fade again; another one does.
    engine.lyricsResult = 1;
    show();
    EXPECT_EQ(lyric.LyricFadeStep, 30);
    line("second");
    show();
    EXPECT_EQ(lyric.LyricFadeStep, 2);
}

TEST_F(Lyrics, HoverDrawsYellowAndFadeOffIsWhiteOnBlack)
{
    line("x");
    show(0, true);
    EXPECT_EQ(frame, expected(QStringLiteral("x"), qRgb(0, 0, 0), qRgb(255, 255, 0)));
    frame = PlainFrame();
    show(0, false);
    EXPECT_EQ(frame, expected(QStringLiteral("x"), qRgb(0, 0, 0), qRgb(255, 255, 255)));
}

TEST_F(Lyrics, LineIsCentredAndItsLeftEdgeKept)
{
    line("夜空に光る星のように");
    show();
    EXPECT_GT(lyric.Label3.width(), 60);
    EXPECT_EQ(lyric.LyricLeft, CentredLeft(lyric.Label3.width()));
    // Full-coverage text pixels exist in both colours.
    EXPECT_GT(CountPixels(frame, [](int, int, QRgb c) { return c == qRgb(53, 125, 241); }), 10);
}

TEST_F(Lyrics, TextEndsAtTheFirstNul)
{
    line(std::string("ab\0cd", 5));
    show();
    EXPECT_EQ(lyric.Label3.text(), QStringLiteral("ab"));
}

TEST_F(Lyrics, ALongLineKeepsItsBeginning)
{
    // A little too wide: a smaller font fits it inside the lyric bar.
    line("遠い街の灯りが滲んで見えるのは君のせいじゃないんだよ今夜も");
    show();
    EXPECT_LE(lyric.Label3.width(), kLyricBarWidth);
    EXPECT_GE(lyric.LyricLeft, kLyricBarLeft);
    EXPECT_LT(lyric.Label3.font().pixelSize(), FrameFont().pixelSize());
    // Far too wide even at the floor size: it starts at the bar's left end, cut at the right.
    line(std::string(120, 'W'));
    show();
    EXPECT_EQ(lyric.Label3.font().pixelSize(), kLyricFloorPixels);
    EXPECT_EQ(lyric.LyricLeft, kLyricBarLeft);
    EXPECT_EQ(CountPixels(frame, [](int x, int, QRgb c) { return x < kLyricBarLeft - 3 && c != kPlain; }), 0);
    // A short line afterwards is back in the frame's own size.
    line("星");
    show();
    EXPECT_EQ(lyric.Label3.font().pixelSize(), FrameFont().pixelSize());
}

TEST_F(Lyrics, ZeroesTheRecordBeforeAsking)
{
    // An engine that leaves the record alone must not show a stale line.
    class Untouching : public FakeEngine {
    public:
        int getLyrics(LyricsRecord&) override { return 1; }
    } quiet;
    ShowLyrics(frame, quiet, 1, false, lyric);
    EXPECT_EQ(lyric.Label3.text(), QString());
}

} // namespace
