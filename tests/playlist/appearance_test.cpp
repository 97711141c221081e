// The playlist window's look: start size, size rule, background and colour settings, snapping.
#include "windowkit_fixture.h"

#include "playlist/playlistappearance.h"
#include "shell/apppaths.h"
#include "shell/listbackground.h"

#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QScreen>
#include <QSet>

namespace {
class AppearanceTest : public WindowKitFixture {
protected:
    PlaylistAppearance& look() { return kit->appearance(); }
    QColor textColour() const { return view()->palette().color(QPalette::Text); }
    QString writePicture(const QString& name, const char* format)
    {
        QImage image(16, 16, QImage::Format_RGB32);
        image.fill(QColor(12, 22, 70));
        const QString full = path(name);
        EXPECT_TRUE(image.save(full, format));
        return full;
    }
};
} // namespace

TEST_F(AppearanceTest, FontcolorWithALeadingBlankIsReadAndChecked)
{
    WriteIni(QStringLiteral("PlayList"), QStringLiteral("Fontcolor"), QStringLiteral(" 7"),
             iniPath);
    openWindow();
    EXPECT_EQ(textColour(), QColor(21, 255, 27));
    EXPECT_EQ(look().checkedColour(), 7);
    EXPECT_EQ(look().colourAction(7)->text(), QStringLiteral("黄緑(&S)"));
}

TEST_F(AppearanceTest, AnUnreadableFontcolorKeepsTheListsColourAndChecksNothing)
{
    WriteIni(QStringLiteral("PlayList"), QStringLiteral("Fontcolor"), QStringLiteral("12"),
             iniPath);
    openWindow();
    PlaylistView plain;
    EXPECT_EQ(textColour(), plain.palette().color(QPalette::Text));
    EXPECT_EQ(look().checkedColour(), -1);
    EXPECT_EQ(ParseFontcolor(QStringLiteral("a")), -1);
    EXPECT_EQ(ParseFontcolor(QString()), -1);
    EXPECT_EQ(ParseFontcolor(QStringLiteral("0")), 0);
}

TEST_F(AppearanceTest, ChoosingAColourChecksItSetsItAndWritesItBlankPrefixed)
{
    openWindow();
    look().colourAction(3)->trigger();
    EXPECT_EQ(textColour(), QColor(255, 0, 0));
    EXPECT_EQ(look().checkedColour(), 3);
    QFile file(iniPath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("Fontcolor= 3")) << iniPath.toStdString();
    look().colourAction(9)->trigger();
    EXPECT_EQ(textColour(), QColor(255, 209, 211));
    EXPECT_EQ(look().checkedColour(), 9);
    EXPECT_FALSE(look().colourAction(3)->isChecked());
}

TEST_F(AppearanceTest, TheWindowStartsAt490By350AndSmallSidesSpringBackTo250)
{
    openWindow();
    EXPECT_EQ(window->size(), QSize(490, 350));
    window->show();
    window->resize(150, 400);
    EXPECT_EQ(window->size(), QSize(250, 400));
    window->resize(300, 120);
    EXPECT_EQ(window->size(), QSize(300, 250));
    window->resize(200, 200);
    EXPECT_EQ(window->size(), QSize(200, 200));
    // The list fills the window below the toolbar.
    EXPECT_EQ(view()->width(), 200);
    window->hide();
}

TEST_F(AppearanceTest, BundledPicturesAndNoneAreWrittenAsWallPath)
{
    openWindow();
    look().backgroundAction(4)->trigger();
    EXPECT_EQ(ini("PlayList", "WallPath"), DataDir() + QStringLiteral("/bg3.gif"));
    EXPECT_EQ(look().backgroundAction(4)->text(), QStringLiteral("画像３(&C)"));
    look().backgroundAction(0)->trigger();
    EXPECT_TRUE(ini("PlayList", "WallPath").isEmpty());
    QFile file(iniPath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("WallPath="));
    EXPECT_TRUE(ListViewBackgroundPath(view()).isEmpty());
}

TEST_F(AppearanceTest, LoadingAJpegNamedPictureDoesNothing)
{
    openWindow();
    DialogScript::pushAnswer(writePicture(QStringLiteral("photo.jpeg"), "JPG"));
    look().backgroundAction(6)->trigger();
    EXPECT_FALSE(QFile::exists(iniPath));
    EXPECT_TRUE(ListViewBackgroundPath(view()).isEmpty());
    EXPECT_EQ(DialogScript::askedFilters(),
              QStringList{"JPEG(*.jpg)|GIF(*.gif)|BMP(*.bmp)|全てのﾌｧｲﾙ(*.*)"});
    DialogScript::pushAnswer(QString());
    look().backgroundAction(6)->trigger();
    EXPECT_FALSE(QFile::exists(iniPath));
}

TEST_F(AppearanceTest, ALoadedPictureIsShownWrittenAndShownAgainAtTheNextStart)
{
    openWindow();
    const QString picture = writePicture(QStringLiteral("Wall.BMP"), "BMP");
    DialogScript::pushAnswer(picture);
    look().backgroundAction(6)->trigger();
    EXPECT_EQ(ini("PlayList", "WallPath"), picture);
    EXPECT_EQ(ListViewBackgroundPath(view()), picture);

    kit.reset();
    window.reset();
    openWindow();
    EXPECT_EQ(ListViewBackgroundPath(view()), picture);
}

TEST_F(AppearanceTest, SnapRectKeepsAColumnAboveTheTaskbarAndBesideSidePanels)
{
    const QRect screen(0, 0, 1024, 768);
    EXPECT_EQ(TaskbarHeight(screen, QRect(0, 0, 1024, 738)), 30);
    EXPECT_EQ(SnapRect(screen, QRect(0, 0, 1024, 738), SnapSide::Right), QRect(764, 0, 260, 738));
    EXPECT_EQ(SnapRect(screen, QRect(0, 0, 1024, 738), SnapSide::Left), QRect(0, 0, 260, 738));
    // A panel at the left edge: the whole height is free, the column starts beside the panel.
    EXPECT_EQ(TaskbarHeight(screen, QRect(48, 0, 976, 768)), 0);
    EXPECT_EQ(SnapRect(screen, QRect(48, 0, 976, 768), SnapSide::Left), QRect(48, 0, 260, 768));
    // A panel at the top.
    EXPECT_EQ(SnapRect(screen, QRect(0, 28, 1024, 740), SnapSide::Right), QRect(764, 28, 260, 740));
}

TEST_F(AppearanceTest, SnappingMovesTheWindowToTheScreenEdge)
{
    openWindow();
    window->show();
    QScreen* screen = window->screen();
    ASSERT_NE(screen, nullptr);
    look().snapAction(SnapSide::Right)->trigger();
    const QRect expected =
        SnapRect(screen->geometry(), screen->availableGeometry(), SnapSide::Right);
    EXPECT_EQ(window->frameGeometry(), expected);
    // Every toolbar button stays in reach in the narrow column.
    EXPECT_TRUE(kit->toolbar().isCompact());
    QCoreApplication::processEvents();
    const QToolButton* hide = kit->toolbar().button(12);
    EXPECT_TRUE(hide->isVisible());
    EXPECT_LE(hide->geometry().right(), kit->toolbar().width());
    look().snapAction(SnapSide::Left)->trigger();
    EXPECT_EQ(window->frameGeometry().topLeft(), screen->availableGeometry().topLeft());
    window->resize(kPlaylistStartSize);
    EXPECT_FALSE(kit->toolbar().isCompact());
    window->hide();
}

TEST_F(AppearanceTest, ThePropertyMenuHoldsBackgroundColourAndSnap)
{
    openWindow();
    QStringList captions;
    for (QAction* action : look().propertyMenu()->actions())
        captions << action->text();
    EXPECT_EQ(captions,
              (QStringList{"リストビュー背景(&P)", "リストビュー文字色(&C)", "スナップ(&S)"}));
    EXPECT_TRUE(look().backgroundAction(1)->isSeparator());
    kit->toolbar().button(6)->click();
    EXPECT_TRUE(look().propertyMenu()->isVisible());
    look().propertyMenu()->close();
}

TEST_F(AppearanceTest, TheListShowsTheBundledPictureBehindColouredText)
{
    const QImage tile(DataDir() + QStringLiteral("/bg3.gif"));
    if (tile.isNull())
        GTEST_SKIP() << "bg3.gif is not in " << DataDir().toStdString();
    openWindow();
    addTracks(4);
    look().backgroundAction(4)->trigger();
    look().colourAction(6)->trigger();
    window->show();
    const QImage shot = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QString shotDir = qEnvironmentVariable("MORVANE_SHOT_DIR");
    if (!shotDir.isEmpty())
        shot.save(shotDir + QStringLiteral("/playlist-window.png"));

    QSet<QRgb> tileColours;
    const QImage tileRgb = tile.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < tileRgb.height(); ++y)
        for (int x = 0; x < tileRgb.width(); ++x)
            tileColours.insert(tileRgb.pixel(x, y));
    // Below the rows the list shows nothing but the picture.
    const QImage list = view()->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int pictureMisses = 0;
    for (int x = 0; x < list.width(); ++x)
        pictureMisses += !tileColours.contains(list.pixel(x, list.height() - 2));
    EXPECT_EQ(pictureMisses, 0);
    // The row texts are drawn in the chosen light blue.
    int textPixels = 0;
    for (int y = 0; y < list.height() / 3; ++y)
        for (int x = 0; x < list.width(); ++x)
            textPixels += list.pixel(x, y) == qRgb(0, 255, 255);
    EXPECT_GT(textPixels, 20);
    window->hide();
}
