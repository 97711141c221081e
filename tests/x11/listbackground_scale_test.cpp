// The playlist's tiled background on a screen of twice the density (QT_SCALE_FACTOR=2 given by
// the test's runner): the tile drawn for that density, not the plain one enlarged.
#include "shell/listbackground.h"

#include <QImage>
#include <QListView>
#include <QPixmap>

#include <gtest/gtest.h>

TEST(HighDensityListBackground, TilesThePictureDrawnForTwiceTheDensity)
{
    QListView view;
    view.resize(300, 200);
    if (view.devicePixelRatioF() != 2.0)
        GTEST_SKIP() << "needs a screen scaled by 2";
    const QString dir = QStringLiteral(MORVANE_SOURCE_DIR "/data/files/");
    ASSERT_TRUE(SetListViewBackground(&view, dir + QStringLiteral("bg1.gif")));
    view.show();
    const QImage shown = view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage twice =
        QImage(dir + QStringLiteral("bg1@2x.gif")).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(twice.size(), QSize(128, 128));
    ASSERT_GE(shown.width(), 256);
    ASSERT_GE(shown.height(), 256);
    // Every device pixel of the first tiles is the dense tile's.
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x)
            ASSERT_EQ(shown.pixel(x, y), twice.pixel(x % 128, y % 128)) << x << "," << y;
    }
}
