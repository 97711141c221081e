// Hit tests of the main window's invisible hot areas and the edge snap after a window drag.
#include "player/hotareas.h"
#include "player/mainwindow.h"

#include <gtest/gtest.h>

TEST(HotAreas, TransportButtonsCoverTheirAreasOnly)
{
    EXPECT_EQ(ButtonAt({5, 76}), 0);
    EXPECT_EQ(ButtonAt({26.9, 97.9}), 0);
    EXPECT_EQ(ButtonAt({27, 97}), std::nullopt);
    EXPECT_EQ(ButtonAt({222, 92}), 3); // next sits left of previous
    EXPECT_EQ(ButtonAt({249, 85}), 4);
    EXPECT_EQ(ButtonAt({268, 0}), 6); // the hide button's area starts above its picture
    EXPECT_EQ(ButtonAt({299, 16}), 7);
    EXPECT_EQ(ButtonAt({150, 50}), std::nullopt);
}

TEST(HotAreas, MenuEntriesHaveTheirOwnWidths)
{
    EXPECT_EQ(MenuEntryAt({216, 24}), 0);
    EXPECT_EQ(MenuEntryAt({272, 30}), 0);
    EXPECT_EQ(MenuEntryAt({273, 30}), std::nullopt);
    EXPECT_EQ(MenuEntryAt({280, 36}), 1);
    EXPECT_EQ(MenuEntryAt({280, 71}), 3);
    EXPECT_EQ(MenuEntryAt({264, 83}), 4);
    EXPECT_EQ(MenuEntryAt({265, 83}), std::nullopt);
    EXPECT_EQ(MenuEntryAt({230, 84}), std::nullopt);
}

TEST(HotAreas, WindowAreasExcludeTheirBounds)
{
    EXPECT_FALSE(InVolumeArea({182, 20}));
    EXPECT_TRUE(InVolumeArea({183, 12}));
    EXPECT_FALSE(InVolumeArea({209, 27}));
    EXPECT_TRUE(InPositionBar({79, 84}));
    EXPECT_FALSE(InPositionBar({85, 50}));
    EXPECT_TRUE(OnLyricLine({100.5, 129}, 100, 50));
    EXPECT_FALSE(OnLyricLine({100, 129}, 100, 50));
    EXPECT_FALSE(OnLyricLine({150, 129}, 100, 50));
    EXPECT_FALSE(OnLyricLine({120, 140}, 100, 50));
}

TEST(WindowSnap, SnapsWithinTenPixelsOfEachEdge)
{
    const QRect screen(0, 0, 1024, 768);
    EXPECT_EQ(MainWindow::SnapToEdges({6, 300, 300, 150}, screen), QPoint(0, 300));
    EXPECT_EQ(MainWindow::SnapToEdges({11, 300, 300, 150}, screen), QPoint(11, 300));
    EXPECT_EQ(MainWindow::SnapToEdges({-40, 300, 300, 150}, screen), QPoint(0, 300));
    EXPECT_EQ(MainWindow::SnapToEdges({716, 300, 300, 150}, screen), QPoint(724, 300));
    EXPECT_EQ(MainWindow::SnapToEdges({713, 300, 300, 150}, screen), QPoint(713, 300));
    EXPECT_EQ(MainWindow::SnapToEdges({400, 9, 300, 150}, screen), QPoint(400, 0));
    EXPECT_EQ(MainWindow::SnapToEdges({400, 612, 300, 150}, screen), QPoint(400, 618));
}

TEST(WindowSnap, UsesTheScreenItIsOn)
{
    const QRect right(1024, 0, 1280, 1024);
    EXPECT_EQ(MainWindow::SnapToEdges({1030, 500, 300, 150}, right), QPoint(1024, 500));
    EXPECT_EQ(MainWindow::SnapToEdges({1999, 500, 300, 150}, right), QPoint(2004, 500));
}
