// The drawing steps of the frame: digits, buttons, time, indicators, lamps, status line and
// position cursor, checked pixel by pixel against a noise sheet.
#include "playertestkit.h"

#include "player/framediff.h"
#include "player/statusline.h"
#include "visual/skinlayout.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <algorithm>

namespace {

constexpr QRgb kFill = 0xFF203040;

} // namespace

class MainFrameTest : public ::testing::Test {
protected:
    PlayerRig rig;
    QImage& canvas() { return rig.frame.canvas(); }
    const QImage& sheet() { return rig.skin.Picture1; }

    void SetUp() override { canvas().fill(kFill); }

    std::string smallDigitAt(int x, int d)
    {
        return CheckCopied(canvas(), {x, 16}, sheet(), {5 * d, 126}, {5, 7});
    }
    std::string largeDigitAt(int x, int d)
    {
        QImage clean(300, 150, QImage::Format_RGB32);
        clean.fill(kFill);
        return CheckMasked(canvas(), clean, {x, 46}, sheet(), {10 * d + 110, 111}, sheet(),
                           {10 * d, 111}, {10, 15});
    }
    std::string buttonAt(int i, const QImage& imageSheet, int row)
    {
        static const QPoint pos[6] = {{5, 76}, {30, 86}, {56, 93}, {222, 92}, {249, 85}, {274, 75}};
        QImage clean(300, 150, QImage::Format_RGB32);
        clean.fill(kFill);
        return CheckMasked(canvas(), clean, pos[i], sheet(), {22 * i, 44}, imageSheet,
                           {22 * i, row}, {22, 22});
    }
};

TEST_F(MainFrameTest, VolumeDigitsArePaddedToThree)
{
    rig.state.Volume = 5;
    rig.frame.drawDigits();
    EXPECT_EQ(smallDigitAt(195, 0), "");
    EXPECT_EQ(smallDigitAt(201, 0), "");
    EXPECT_EQ(smallDigitAt(207, 5), "");
    rig.state.Volume = 100;
    rig.frame.drawDigits();
    EXPECT_EQ(smallDigitAt(195, 1), "");
    EXPECT_EQ(smallDigitAt(201, 0), "");
    EXPECT_EQ(smallDigitAt(207, 0), "");
}

TEST_F(MainFrameTest, SampleRateAndBitRateDigits)
{
    rig.state.InputInfo.sampleRate = 44100;
    rig.state.InputInfo.bitRate = 128;
    rig.frame.drawDigits();
    const int rate[5] = {4, 4, 1, 0, 0};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(smallDigitAt(139 + 6 * i, rate[i]), "") << i;
    EXPECT_EQ(smallDigitAt(97, 1), "");
    EXPECT_EQ(smallDigitAt(103, 2), "");
    EXPECT_EQ(smallDigitAt(109, 8), "");
}

TEST_F(MainFrameTest, ARateAboveFiveDigitsShowsWholeKilohertzAfterBlankPlaces)
{
    rig.state.InputInfo.sampleRate = 192000;
    rig.frame.drawDigits();
    EXPECT_NE(smallDigitAt(139, 0), "");
    EXPECT_NE(smallDigitAt(145, 0), "");
    const int shown[3] = {1, 9, 2};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(smallDigitAt(151 + 6 * i, shown[i]), "") << i;
    rig.state.InputInfo.sampleRate = 8000;
    rig.frame.drawDigits();
    EXPECT_EQ(smallDigitAt(139, 0), "");
    EXPECT_EQ(smallDigitAt(145, 8), "");
}

TEST_F(MainFrameTest, LitButtonFollowsTheEngineState)
{
    rig.frame.drawButtons(1);
    EXPECT_EQ(buttonAt(0, rig.skin.Picture5, 66), "");
    EXPECT_EQ(buttonAt(1, sheet(), 0), "");
    EXPECT_EQ(buttonAt(2, sheet(), 0), "");
    canvas().fill(kFill);
    rig.frame.drawButtons(0);
    EXPECT_EQ(buttonAt(0, sheet(), 0), "");
    EXPECT_EQ(buttonAt(1, rig.skin.Picture5, 66), "");
    canvas().fill(kFill);
    rig.frame.drawButtons(2);
    EXPECT_EQ(buttonAt(2, rig.skin.Picture5, 66), "");
    EXPECT_EQ(buttonAt(5, sheet(), 0), "");
}

TEST_F(MainFrameTest, HeldButtonIsDrawnPressedEvenWhenLit)
{
    rig.window.ButtonDown[0] = true;
    rig.window.ButtonDown[4] = true;
    rig.frame.drawButtons(1);
    EXPECT_EQ(buttonAt(0, sheet(), 22), "");
    EXPECT_EQ(buttonAt(4, sheet(), 22), "");
    EXPECT_EQ(buttonAt(3, sheet(), 0), "");
}

TEST_F(MainFrameTest, SmallButtonsUseTheirOwnCells)
{
    rig.window.ButtonDown[7] = true;
    rig.frame.drawButtons(0);
    QImage clean(300, 150, QImage::Format_RGB32);
    clean.fill(kFill);
    EXPECT_EQ(CheckMasked(canvas(), clean, {268, 2}, sheet(), {0, 96}, sheet(), {0, 66}, {16, 15}),
              "");
    EXPECT_EQ(
        CheckMasked(canvas(), clean, {284, 2}, sheet(), {16, 96}, sheet(), {16, 81}, {16, 15}), "");
}

TEST_F(MainFrameTest, ElapsedTimeAndItsToolTip)
{
    rig.state.InputInfo.totalSec = 270;
    rig.frame.drawTime(125);
    EXPECT_EQ(largeDigitAt(20, 0), "");
    EXPECT_EQ(largeDigitAt(32, 2), "");
    EXPECT_EQ(largeDigitAt(48, 0), "");
    EXPECT_EQ(largeDigitAt(60, 5), "");
    EXPECT_EQ(rig.frame.timeToolTip(), QStringLiteral("2:05/4:30"));
    rig.frame.drawTime(185);
    EXPECT_EQ(rig.frame.timeToolTip(), QStringLiteral("3:05/4:30"));
}

TEST_F(MainFrameTest, DraggedCursorShowsTheTimeItPointsAt)
{
    rig.state.InputInfo.totalSec = 240;
    rig.window.Seeking = true;
    rig.window.SeekPos = 30;
    rig.frame.drawTime(7);
    EXPECT_EQ(largeDigitAt(20, 0), "");
    EXPECT_EQ(largeDigitAt(32, 2), "");
    EXPECT_EQ(largeDigitAt(48, 0), "");
    EXPECT_EQ(largeDigitAt(60, 0), "");
}

TEST_F(MainFrameTest, HundredMinutesShowFirstAndLastMinuteDigits)
{
    rig.frame.drawTime(6000);
    EXPECT_EQ(largeDigitAt(20, 1), "");
    EXPECT_EQ(largeDigitAt(32, 0), "");
    EXPECT_EQ(largeDigitAt(48, 0), "");
    EXPECT_EQ(largeDigitAt(60, 0), "");
}

TEST_F(MainFrameTest, IndicatorsShowModeFadeAndTopMost)
{
    QImage clean = canvas().copy();
    rig.state.PlayMode = 3;
    rig.frame.drawIndicators();
    EXPECT_EQ(CheckMasked(canvas(), clean, {53, 66}, sheet(), {72, 74}, sheet(), {72, 66}, {8, 8}),
              "");
    EXPECT_EQ(canvas().pixel(44, 66), kFill);
    EXPECT_EQ(canvas().pixel(62, 66), kFill);
    rig.state.FadeIn = true;
    rig.state.AlwaysTop = true;
    rig.state.PlayMode = 2;
    canvas().fill(kFill);
    rig.frame.drawIndicators();
    EXPECT_EQ(CheckMasked(canvas(), clean, {44, 66}, sheet(), {56, 74}, sheet(), {56, 66}, {8, 8}),
              "");
    EXPECT_EQ(CheckMasked(canvas(), clean, {62, 66}, sheet(), {64, 74}, sheet(), {64, 66}, {8, 8}),
              "");
    EXPECT_EQ(CheckMasked(canvas(), clean, {53, 66}, sheet(), {40, 74}, sheet(), {40, 66}, {8, 8}),
              "");
}

TEST_F(MainFrameTest, LampsForFileListAndPause)
{
    rig.state.FileOpened = true;
    rig.frame.drawLamps(2);
    EXPECT_EQ(CheckCopied(canvas(), {17, 6}, sheet(), {10, 133}, {6, 6}), "");
    EXPECT_EQ(CheckCopied(canvas(), {29, 6}, sheet(), {10, 133}, {6, 6}), "");
    EXPECT_EQ(canvas().pixel(5, 6), kFill);
    FillPlaylist(rig.playlist, 1);
    rig.state.FileOpened = false;
    canvas().fill(kFill);
    rig.frame.drawLamps(1);
    EXPECT_EQ(CheckCopied(canvas(), {5, 6}, sheet(), {10, 133}, {6, 6}), "");
    EXPECT_EQ(canvas().pixel(17, 6), kFill);
    EXPECT_EQ(canvas().pixel(29, 6), kFill);
}

TEST_F(MainFrameTest, PositionCursorFollowsThePlayAndStoresItsPoint)
{
    QImage clean = canvas().copy();
    rig.state.InputInfo.totalSec = 300;
    rig.engine.sec = 150;
    rig.frame.SetPositionCursor();
    EXPECT_EQ(rig.window.SeekPos, 30);
    EXPECT_EQ(CheckMasked(canvas(), clean, {79, 50}, sheet(), {5, 133}, sheet(), {0, 133}, {5, 5}),
              "");
}

TEST_F(MainFrameTest, PositionCursorWhileDraggingAndWithoutALength)
{
    QImage clean = canvas().copy();
    rig.state.InputInfo.totalSec = 300;
    rig.engine.sec = 150;
    rig.window.Seeking = true;
    rig.window.SeekPos = 55;
    rig.frame.SetPositionCursor();
    EXPECT_EQ(rig.window.SeekPos, 55);
    EXPECT_EQ(CheckMasked(canvas(), clean, {79, 25}, sheet(), {5, 133}, sheet(), {0, 133}, {5, 5}),
              "");
    rig.state.InputInfo.totalSec = 0;
    canvas().fill(kFill);
    rig.frame.SetPositionCursor();
    EXPECT_EQ(canvas(), clean);
}

TEST_F(MainFrameTest, PositionCursorStaysOnTheBarPastAnEstimatedLength)
{
    QImage clean = canvas().copy();
    rig.state.InputInfo.totalSec = 100;
    rig.engine.sec = 103;
    rig.frame.SetPositionCursor();
    EXPECT_EQ(rig.window.SeekPos, 60);
    EXPECT_EQ(CheckMasked(canvas(), clean, {79, 20}, sheet(), {5, 133}, sheet(), {0, 133}, {5, 5}),
              "");
}

TEST_F(MainFrameTest, StatusLineDrawsItsTextInTheMessageArea)
{
    rig.frame.WriteMessage();
    // "File Not Open" at x 115, y 45: some pixels of the row band change, none left of it.
    bool drawn = false;
    for (int y = 45; y < 60; ++y)
        for (int x = 115; x < 185; ++x)
            drawn = drawn || canvas().pixel(x, y) != kFill;
    EXPECT_TRUE(drawn);
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 113; ++x)
            ASSERT_EQ(canvas().pixel(x, y), kFill) << x << "," << y;
}

TEST(StatusMessage, OneTextAtATimeByPriority)
{
    AppState state;
    auto text = [&](int engineState, int sec, int rows) {
        const auto m = StatusMessage(state, engineState, sec, rows, 42);
        return m ? m->text : QStringLiteral("(none)");
    };
    EXPECT_EQ(text(0, 0, 0), QStringLiteral("File Not Open"));
    state.FileOpened = true;
    EXPECT_EQ(text(1, 10, 3), QStringLiteral("(none)"));
    EXPECT_EQ(text(1, 10, 0), QStringLiteral("Empty List"));
    // Paused with an empty list: "Pause" alone, never both over each other.
    EXPECT_EQ(text(2, 10, 0), QStringLiteral("Pause"));
    state.ShowInfo = true;
    state.ArtistLabel = QStringLiteral("歌手");
    EXPECT_EQ(text(2, 1, 3), QStringLiteral("Pause"));
    EXPECT_EQ(text(1, 1, 0), QStringLiteral("Empty List"));
    EXPECT_EQ(text(1, 3, 3), QStringLiteral("歌手"));
    EXPECT_TRUE(state.ShowInfo);
    state.Mute = true;
    EXPECT_EQ(text(2, 3, 0), QStringLiteral("Mute"));
    state.ConversionRunning = true;
    EXPECT_EQ(text(0, 3, 0), QStringLiteral("変換中 42%"));
    // The artist's seconds end whatever is shown.
    EXPECT_EQ(text(0, 4, 0), QStringLiteral("変換中 42%"));
    EXPECT_FALSE(state.ShowInfo);
}

TEST(StatusMessage, TextsStayInsideTheirBox)
{
    EXPECT_EQ(StatusLeft({QStringLiteral("File Not Open"), 115}, 70), 115);
    EXPECT_EQ(StatusLeft({QStringLiteral("歌手"), StatusText::kCentred, true}, 41), 130);
    // A fixed place that would spill over is given up for the centre.
    EXPECT_EQ(StatusLeft({QStringLiteral("Mute"), 140}, 80), 110);
    EXPECT_EQ(StatusLeft({QStringLiteral("long"), StatusText::kCentred}, 120), 90);
}

TEST_F(MainFrameTest, StatusLineShowsOneTextCutInsideItsBox)
{
    // Paused with an empty list draws exactly what "Pause" alone draws.
    rig.state.FileOpened = true;
    rig.engine.state = 2;
    rig.frame.WriteMessage();
    const QImage pausedEmpty = canvas().copy();
    canvas().fill(kFill);
    FillPlaylist(rig.playlist, 1);
    rig.frame.WriteMessage();
    EXPECT_EQ(canvas(), pausedEmpty);

    // A long artist is cut with "…" inside the box: nothing left of x 89 or right of x 210.
    canvas().fill(kFill);
    rig.engine.state = 1;
    rig.engine.sec = 1;
    rig.state.ShowInfo = true;
    rig.state.ArtistLabel = QStringLiteral("The Extraordinarily Long Named Orchestra and Choir");
    rig.frame.WriteMessage();
    int drawnRight = 0;
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 300; ++x)
            if (canvas().pixel(x, y) != kFill) {
                ASSERT_TRUE(x >= 89 && x <= 210) << x << "," << y;
                drawnRight = std::max(drawnRight, x);
            }
    EXPECT_GT(drawnRight, 195) << "the cut text should fill its box";
}

TEST(ComposedFrame, ShowsTheOverlayAndStopsDrawingOutsideTheDisplay)
{
    PlayerRig rig;
    rig.state.StarDust = false;
    rig.state.RelativityVol = 0;
    rig.engine.state = 0;
    rig.tick.run();
    const QImage& frame = rig.frame.frame();
    // Below the overlay (rows 125..149) only the background, the lyric line and nothing else:
    // the far corners there are plain background.
    EXPECT_EQ(frame.pixel(0, 149), rig.skin.Picture2.pixel(0, 149));
    EXPECT_EQ(frame.pixel(299, 149), rig.skin.Picture2.pixel(299, 149));
    // A pixel of the overlay band that nothing else touches: the masked overlay over background.
    EXPECT_EQ(frame.pixel(150, 5),
              MaskedPixel(rig.skin.Picture2.pixel(150, 5), rig.skin.Picture3.pixel(150, 130),
                          rig.skin.Picture3.pixel(150, 5)));
}

TEST_F(MainFrameTest, ConversionProgressReplacesTheStatusText)
{
    rig.frame.WriteMessage();
    const QImage idle = canvas().copy();
    canvas().fill(kFill);
    rig.state.Decoding = true;
    rig.state.ConversionRunning = true;
    rig.engine.progress = 42;
    rig.frame.WriteMessage();
    const QImage at42 = canvas().copy();
    EXPECT_NE(at42, idle);
    canvas().fill(kFill);
    rig.engine.progress = 43;
    rig.frame.WriteMessage();
    EXPECT_NE(canvas(), at42);
}

TEST(ComposedFrame, ClearingThePlaylistOfAStoppedTrackLeavesNoTraceOfIt)
{
    // The same frame as a program that never opened a track, but for the status line.
    auto frameOf = [](bool opened, bool cleared, int engineState) {
        PlayerRig rig;
        rig.state.StarDust = false;
        rig.state.RelativityVol = 0;
        rig.state.ExpressType = 2;
        FillPlaylist(rig.playlist, 2);
        if (opened) {
            rig.state.FileOpened = true;
            rig.state.InputInfo.sampleRate = 44100;
            rig.state.InputInfo.bitRate = 128;
            rig.state.InputInfo.totalSec = 200;
            rig.state.TitleLabel = QStringLiteral("Track 1");
            rig.engine.sec = engineState == 0 ? 0 : 30;
        }
        rig.engine.state = engineState;
        rig.tick.run();
        if (cleared)
            rig.playlist.clear();
        rig.tick.run();
        QImage frame = rig.frame.frame().copy();
        QPainter(&frame).fillRect(QRect(kStatusLeft - 2, kStatusY - 2, kStatusWidth + 4, 18),
                                  Qt::black);
        return frame;
    };
    const QImage never = frameOf(false, true, 0);
    ASSERT_NE(frameOf(true, false, 0), never) << "an open track should show";
    EXPECT_EQ(frameOf(true, true, 0), never);
    // A track still heard stays shown until it ends.
    EXPECT_NE(frameOf(true, true, 1), frameOf(false, true, 1));
}

// With nothing playing, a tick redraws only the display band (the stars move there) and leaves
// the rest as drawn; whatever changes outside the band is drawn at once, as a whole frame
// drawn from scratch shows it. The same at 2x, in the frame's pixels.
class MainFrameStillTest : public ::testing::TestWithParam<int> {};

TEST_P(MainFrameStillTest, AStillTickDrawsTheBandOnlyAndNeverLeavesAChangeUndrawn)
{
    const int scale = GetParam();
    PlayerRig rig;
    MainFrame whole{rig.state, rig.engine, rig.playlist, rig.skin, rig.window, rig.menu};
    ASSERT_EQ(rig.frame.setScale(scale), scale);
    ASSERT_EQ(whole.setScale(scale), scale);
    const QRect band = SkinLayout::kDisplayBand;
    const QRect all(QPoint(0, 0), SkinLayout::kFrameSize);
    const QRect bandPixels(band.topLeft() * scale, band.size() * scale);
    const QRect allPixels(QPoint(0, 0), SkinLayout::kFrameSize * scale);
    auto tick = [&](const char* what, const QRect& drawn) {
        SCOPED_TRACE(what);
        const QImage before = rig.frame.frame().copy();
        whole.forgetStill();
        whole.compose(rig.engine.state, rig.engine.sec);
        rig.frame.compose(rig.engine.state, rig.engine.sec);
        const auto& changed = rig.frame.changedRects();
        if (drawn == all) {
            EXPECT_EQ(changed, std::vector<QRect>{allPixels});
        } else if (drawn == band) {
            EXPECT_TRUE(changed.empty() || bandPixels.contains(BoundingRect(changed)));
        }
        EXPECT_TRUE(rig.frame.frame() == whole.frame());
        // The window sends only the changed rectangles: every changed pixel must be in one.
        const QImage& after = rig.frame.frame();
        for (int y = 0; y < allPixels.height(); ++y) {
            const auto* was = reinterpret_cast<const QRgb*>(before.constScanLine(y));
            const auto* now = reinterpret_cast<const QRgb*>(after.constScanLine(y));
            for (int x = 0; x < allPixels.width(); ++x) {
                if (was[x] == now[x])
                    continue;
                ASSERT_TRUE(std::any_of(changed.begin(), changed.end(),
                                        [&](const QRect& r) { return r.contains(x, y); }))
                    << x << "," << y;
            }
        }
    };
    // A tick after a change may draw the whole frame again while the lyric line or the title
    // settles.
    const QRect settling(1, 1, 1, 1);
    tick("first tick", all);
    tick("settling", settling);
    tick("idle", band);
    tick("idle again", band);
    rig.state.Mute = true;
    tick("mute on the status line", band);
    rig.state.StarDust = false;
    tick("star dust off", band);
    tick("no star dust", band);
    rig.state.StarDust = true;
    tick("star dust on", band);
    rig.state.ExpressType = 0;
    tick("oscilloscope", all);
    tick("oscilloscope again", band);
    rig.state.ExpressType = 1;
    rig.state.Mute = false;
    tick("spectrum, sound on", all);

    rig.state.Volume = 55;
    tick("volume", all);
    tick("after the volume", band);
    rig.window.ButtonDown[1] = true;
    tick("button held", all);
    rig.window.ButtonDown[1] = false;
    rig.menu.MenuHover[2] = true;
    tick("menu entry under the pointer", all);
    rig.state.PlayMode = 3;
    tick("play mode", all);
    FillPlaylist(rig.playlist, 2);
    tick("list lamp", all);

    rig.state.FileOpened = true;
    rig.state.TitleLabel = QStringLiteral("Track 1");
    rig.state.InputInfo.sampleRate = 44100;
    rig.state.InputInfo.bitRate = 128;
    rig.state.InputInfo.totalSec = 200;
    tick("a track opened", all);
    tick("the title settling", settling);
    tick("the title settled", band);
    rig.engine.sec = 7;
    rig.engine.state = 2;
    tick("paused at 0:07", all);
    tick("still paused", band);
    rig.engine.lyricsResult = 1;
    rig.engine.lyrics.lines[2] = "la la";
    tick("a lyric line", all);
    for (int i = 0; i < 40; ++i) {
        rig.frame.compose(rig.engine.state, rig.engine.sec);
        whole.compose(rig.engine.state, rig.engine.sec);
    }
    tick("the lyric line faded in", band);

    rig.engine.state = 1;
    tick("playing", all);
    tick("playing on", all);
}

INSTANTIATE_TEST_SUITE_P(Scales, MainFrameStillTest, ::testing::Values(1, 2));

// The frame for twice the density: every sprite at twice its place and size, read from the 2x
// pictures; the status text rendered anew rather than doubled; and at 1x the frame of before.
TEST(ComposedFrameAt2x, SpritesComeFromThe2xPicturesAndThe1xFrameStaysAsItWas)
{
    PlayerRig rig, plain;
    for (PlayerRig* r : {&rig, &plain}) {
        r->state.StarDust = false;
        r->state.RelativityVol = 0;
        r->state.Volume = 57;
        r->state.FileOpened = true;
        r->state.InputInfo = {};
        r->state.InputInfo.sampleRate = 44100;
        r->state.InputInfo.bitRate = 128;
        r->state.InputInfo.totalSec = 300;
        r->engine.state = 0;
        r->engine.sec = 150;
        r->window.ButtonDown[3] = true;
        FillPlaylist(r->playlist, 1);
        r->tick.run();
    }
    ASSERT_EQ(rig.frame.setScale(2), 2);
    QImage& canvas = rig.frame.canvas();
    ASSERT_EQ(canvas.size(), QSize(600, 300));
    const QImage& sheet = rig.skin.Picture1At2x;
    const QImage& lit = rig.skin.Picture5At2x;
    auto twice = [](QPoint p) { return p * 2; };
    const QSize button(44, 44);

    canvas.fill(kFill);
    const QImage clean = canvas.copy();
    rig.frame.drawDigits();
    rig.frame.drawButtons(2);
    rig.frame.drawTime(125);
    rig.frame.drawLamps(2);
    rig.frame.SetPositionCursor();
    const int volume[3] = {0, 5, 7};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(CheckCopied(canvas, twice({195 + 6 * i, 16}), sheet, twice({5 * volume[i], 126}),
                              {10, 14}),
                  "")
            << i;
    EXPECT_EQ(CheckCopied(canvas, twice({139, 16}), sheet, twice({20, 126}), {10, 14}), "");
    EXPECT_EQ(CheckCopied(canvas, twice({17, 6}), sheet, twice({10, 133}), {12, 12}), "");
    static const QPoint pos[6] = {{5, 76}, {30, 86}, {56, 93}, {222, 92}, {249, 85}, {274, 75}};
    EXPECT_EQ(CheckMasked(canvas, clean, twice(pos[0]), sheet, twice({0, 44}), sheet, twice({0, 0}),
                          button),
              "");
    EXPECT_EQ(CheckMasked(canvas, clean, twice(pos[2]), sheet, twice({44, 44}), lit,
                          twice({44, 66}), button),
              "")
        << "lit pause";
    EXPECT_EQ(CheckMasked(canvas, clean, twice(pos[3]), sheet, twice({66, 44}), sheet,
                          twice({66, 22}), button),
              "")
        << "held next";
    EXPECT_EQ(CheckMasked(canvas, clean, twice({284, 2}), sheet, twice({16, 96}), sheet,
                          twice({16, 66}), {32, 30}),
              "");
    // 2:05 in the large digits.
    const int minutes[4] = {0, 2, 0, 5};
    const int digitX[4] = {20, 32, 48, 60};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(CheckMasked(canvas, clean, twice({digitX[i], 46}), sheet,
                              twice({10 * minutes[i] + 110, 111}), sheet,
                              twice({10 * minutes[i], 111}), {20, 30}),
                  "")
            << i;
    EXPECT_EQ(CheckCopied(canvas, twice({29, 6}), sheet, twice({10, 133}), {12, 12}), "");
    EXPECT_EQ(CheckMasked(canvas, clean, twice({79, 50}), sheet, twice({5, 133}), sheet,
                          twice({0, 133}), {10, 10}),
              "");

    // The status line ("File Not Open"): drawn at twice the resolution, not the 1x text doubled.
    rig.state.FileOpened = false;
    canvas.fill(kFill);
    rig.frame.WriteMessage();
    const QImage text = canvas.copy();
    EXPECT_NE(text, clean) << "nothing drawn";
    ASSERT_EQ(rig.frame.setScale(1), 1);
    rig.frame.canvas().fill(kFill);
    rig.frame.WriteMessage();
    QImage doubled = rig.frame.canvas().scaled(600, 300);
    doubled.setDevicePixelRatio(2);
    EXPECT_NE(text, doubled);
    rig.state.FileOpened = true;

    // Back at 1x the whole frame is what a window never scaled draws.
    rig.tick.run();
    plain.tick.run();
    EXPECT_EQ(rig.frame.frame(), plain.frame.frame());
}
