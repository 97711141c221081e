// Whole frames composed from the skin: the overlay hides what is drawn outside the display
// window, and the composed picture can be written out for a look (MORVANE_PREVIEW_DIR).
#include <QDir>

#include <gtest/gtest.h>

#include <cmath>

#include "composeframe.h"
#include "support/fakeengine.h"

namespace {

class ComposedFrame : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(skin.isValid());
        engine.state = 1;
        engine.sec = 83;
        for (int i = 0; i < 256; ++i) {
            // A falling spectrum with a little ripple, like music.
            const double level = 105 * std::exp(-i / 55.0) + 12 * (1 + std::sin(i * 0.7));
            engine.spectrumLeft[i] = int(level);
            engine.spectrumRight[i] = int(level * (0.8 + 0.2 * std::cos(i * 0.3)));
            engine.waveLeft[i] = int(60 * std::sin(i * 0.21));
            engine.waveRight[i] = int(70 * std::sin(i * 0.17 + 1));
        }
        engine.lyricsResult = 1;
        engine.lyrics.lines[2] = "夜空に光る星のように";
        app.TitleLabel = QStringLiteral("デモ - 星のワルツ");
        app.TitleInterval = 2;
        app.SpeAnaType = 1;
        app.FadeIn = true;
    }

    Skin skin;
    FakeEngine engine;
    AppState app;
};

TEST_F(ComposedFrame, OverlayShowsItsImageWhereOpaqueAndKeepsTheFrameElsewhere)
{
    using namespace SkinLayout;
    const QImage& overlay = skin.Picture3();
    QImage frame(kFrameSize, QImage::Format_RGB32);
    frame.fill(qRgb(200, 30, 40)); // anything the visualisations might have drawn
    EraseRect(frame, {0, 0}, overlay, QRect(0, kOverlayMaskRow, 300, kOverlayHeight));
    InvertRect(frame, {0, 0}, overlay, QRect(0, 0, 300, kOverlayHeight));
    int seeThrough = 0;
    for (int y = 0; y < kOverlayHeight; ++y)
        for (int x = 0; x < 300; ++x) {
            if (overlay.pixel(x, kOverlayMaskRow + y) == qRgb(0, 0, 0)) {
                ASSERT_EQ(frame.pixel(x, y), overlay.pixel(x, y)) << x << "," << y;
            } else {
                ASSERT_EQ(overlay.pixel(x, kOverlayMaskRow + y), qRgb(255, 255, 255));
                ASSERT_EQ(frame.pixel(x, y), qRgb(200, 30, 40)) << x << "," << y;
                ++seeThrough;
            }
        }
    EXPECT_GT(seeThrough, 10000);
    // The display band, the menu panel and the title window are see-through; the frame's rim,
    // the lamp plate and the small buttons' corner are not.
    auto open = [&](int x, int y) {
        return overlay.pixel(x, kOverlayMaskRow + y) != qRgb(0, 0, 0);
    };
    for (QPoint p : {QPoint(150, 50), QPoint(90, 69), QPoint(210, 40), QPoint(250, 50),
                     QPoint(285, 40), QPoint(89, 108), QPoint(207, 108), QPoint(30, 40)})
        EXPECT_TRUE(open(p.x(), p.y())) << p.x() << "," << p.y();
    for (QPoint p : {QPoint(0, 0), QPoint(299, 60), QPoint(10, 8), QPoint(80, 50), QPoint(250, 108),
                     QPoint(50, 108), QPoint(295, 50)})
        EXPECT_FALSE(open(p.x(), p.y())) << p.x() << "," << p.y();
}

TEST_F(ComposedFrame, TitleOutsideItsWindowIsHidden)
{
    using namespace SkinLayout;
    QImage frame = skin.Picture2().copy();
    TitleScroller scroller;
    app.TitleLabel = QStringLiteral("■■■■■■■■■■■■■■■■■■■■■■■■■■■■■■");
    app.TitlePos = -60; // text from x 28 to far right of the window
    TitleMove(frame, engine, app, scroller);
    ASSERT_GT(scroller.Label2.width(), 250);
    EraseRect(frame, {0, 0}, skin.Picture3(), QRect(0, kOverlayMaskRow, 300, kOverlayHeight));
    InvertRect(frame, {0, 0}, skin.Picture3(), QRect(0, 0, 300, kOverlayHeight));
    int white = 0;
    for (int y = 100; y < 120; ++y)
        for (int x = 0; x < 300; ++x) {
            if (frame.pixel(x, y) != qRgb(255, 255, 255))
                continue;
            EXPECT_TRUE(kTitleWindow.contains(x, y)) << x << "," << y;
            ++white;
        }
    EXPECT_GT(white, 200);
}

TEST_F(ComposedFrame, WritesPreviewWhenAsked)
{
    const QByteArray dir = qgetenv("MORVANE_PREVIEW_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "MORVANE_PREVIEW_DIR not set";
    struct Variant {
        const char* name;
        int express, type, playMode;
    };
    for (const Variant v :
         {Variant{"spectrum1", 1, 1, 1}, Variant{"spectrum0", 1, 0, 2},
          Variant{"spectrum2", 1, 2, 0}, Variant{"scope1", 0, 1, 3}, Variant{"scope0", 0, 0, 1}}) {
        SampleFrame s;
        s.hoverEntry = 2;
        app.ExpressType = v.express;
        app.PlayMode = v.playMode;
        if (v.express == 1)
            app.SpeAnaType = v.type;
        else
            app.OsiroType = v.type;
        app.TitleReset = false;
        for (int t = 0; t < 60; ++t)
            ComposeSampleFrame(s, skin, engine, app);
        const QString path =
            QDir(QString::fromLocal8Bit(dir)).filePath(QString::fromLatin1(v.name));
        ASSERT_TRUE(s.frame.save(path + ".png"));
        ASSERT_TRUE(s.frame.scaled(900, 450).save(path + "-x3.png"));
    }
}

} // namespace
