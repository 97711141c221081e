// Tiled list-view backgrounds: set, refused, cleared.
#include "shell/listbackground.h"

#include "support/fixtures.h"

#include <QDir>
#include <QImage>
#include <QStandardItemModel>
#include <QTreeView>

#include <gtest/gtest.h>

namespace {
class ListBackgroundTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        model.setColumnCount(1);
        view.setModel(&model);
        view.resize(200, 120);
        dir = QString::fromStdString(TestTempDir());
    }

    QString writePicture(const QString& name, const char* format)
    {
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(QColor(10, 20, 90));
        image.setPixelColor(0, 0, QColor(0, 200, 220));
        const QString path = dir + QLatin1Char('/') + name;
        EXPECT_TRUE(image.save(path, format));
        return path;
    }

    QStandardItemModel model;
    QTreeView view;
    QString dir;
};
} // namespace

TEST_F(ListBackgroundTest, APictureIsTiledBehindTheRows)
{
    const QString path = writePicture(QStringLiteral("tile.png"), "PNG");
    ASSERT_TRUE(SetListViewBackground(&view, path));
    EXPECT_EQ(ListViewBackgroundPath(&view), path);
    const QImage shot = view.viewport()->grab().toImage();
    // The marked corner pixel repeats every 8 pixels.
    EXPECT_EQ(shot.pixelColor(8, 8), QColor(0, 200, 220));
    EXPECT_EQ(shot.pixelColor(9, 8), QColor(10, 20, 90));
}

TEST_F(ListBackgroundTest, AnUnreadablePictureLeavesThePlainBackground)
{
    const QString plain = view.palette().color(QPalette::Base).name();
    const QString broken = dir + QStringLiteral("/broken.jpg");
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a picture");
    file.close();
    SetListViewBackground(&view, writePicture(QStringLiteral("ok.bmp"), "BMP"));
    EXPECT_FALSE(SetListViewBackground(&view, broken));
    EXPECT_TRUE(ListViewBackgroundPath(&view).isEmpty());
    EXPECT_TRUE(view.palette().brush(QPalette::Base).texture().isNull());
    EXPECT_EQ(view.palette().color(QPalette::Base).name(), plain);
    EXPECT_FALSE(SetListViewBackground(&view, QString()));
}

TEST_F(ListBackgroundTest, ClearingRemovesThePicture)
{
    ASSERT_TRUE(SetListViewBackground(&view, writePicture(QStringLiteral("b.jpg"), "JPG")));
    ClearListViewBackground(&view);
    EXPECT_TRUE(view.palette().brush(QPalette::Base).texture().isNull());
    EXPECT_TRUE(ListViewBackgroundPath(&view).isEmpty());
}
