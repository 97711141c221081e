// Frame text: the Japanese font is found through the Windows font name, widths are the
// label widths, and stamping blends only inside the frame.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>

#include "visual/framefont.h"
#include "visual/textstamp.h"
#include "visualtest.h"

namespace {

TEST(FrameFont, ResolvesToTheProportionalJapaneseGothic)
{
    const QFontInfo info(FrameFont());
    EXPECT_EQ(info.family(), QStringLiteral("IPAPGothic"));
    EXPECT_EQ(info.pixelSize(), 12);
    EXPECT_EQ(QFontInfo(QFont(QStringLiteral("MS PGothic"))).family(),
              QStringLiteral("IPAPGothic"));
}

TEST(TextStamp, WidthIsTheTextAdvance)
{
    TextStamp stamp;
    EXPECT_EQ(stamp.width(), 0);
    const QString text = QStringLiteral("夜空に光る星 Morvane");
    stamp.setText(text);
    EXPECT_EQ(stamp.width(), QFontMetrics(FrameFont()).horizontalAdvance(text));
    EXPECT_GT(stamp.width(), 100);
    stamp.setText(QString());
    EXPECT_EQ(stamp.width(), 0);
}

TEST(TextStamp, DrawsInTheExactColourWhereGlyphsAreSolid)
{
    TextStamp stamp;
    stamp.setText(QStringLiteral("■"));
    QImage frame = PlainFrame();
    stamp.draw(frame, 10, 10, qRgb(255, 255, 0));
    const int solid = CountPixels(frame, [](int, int, QRgb c) { return c == qRgb(255, 255, 0); });
    EXPECT_GT(solid, 40);
    // Everything drawn lies in the text's line box.
    EXPECT_EQ(CountPixels(frame,
                          [&](int x, int y, QRgb c) {
                              return c != kPlain && !(x >= 8 && x < 12 + stamp.width() && y >= 10 &&
                                                      y < 10 + stamp.height());
                          }),
              0);
}

TEST(TextStamp, ClipsAtEveryEdgeOfTheFrame)
{
    TextStamp stamp;
    stamp.setText(QString(60, QChar(0x25A0))); // far wider than the frame
    for (QPoint at : {QPoint(-400, 5), QPoint(-20, -6), QPoint(250, 140), QPoint(299, 149),
                      QPoint(-2000, -2000), QPoint(5000, 10)}) {
        QImage frame = PlainFrame();
        stamp.draw(frame, at.x(), at.y(), qRgb(255, 255, 255));
        EXPECT_EQ(frame.size(), QSize(300, 150));
    }
    QImage frame = PlainFrame();
    stamp.draw(frame, -20, 140, qRgb(255, 255, 255));
    EXPECT_GT(ChangedPixels(frame), 100);
}

} // namespace
