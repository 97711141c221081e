// Start-up placement.
#include "app/startup.h"

#include <gtest/gtest.h>

namespace {

TEST(StartPositionTest, PlacesTheWindowByStartType)
{
    const QSize w(300, 150);
    const QRect screen(0, 0, 1920, 1080);
    EXPECT_EQ(StartPosition(0, w, screen), QPoint(810, 465));
    EXPECT_EQ(StartPosition(1, w, screen), QPoint(0, 930));
    EXPECT_EQ(StartPosition(2, w, screen), QPoint(0, 0));
    EXPECT_EQ(StartPosition(3, w, screen), QPoint(1620, 0));
    EXPECT_EQ(StartPosition(4, w, screen), QPoint(1620, 930));
    EXPECT_FALSE(StartPosition(7, w, screen).has_value());
    EXPECT_FALSE(StartPosition(-1, w, screen).has_value());
}

TEST(StartPositionTest, CountsFromTheScreensOrigin)
{
    EXPECT_EQ(StartPosition(2, {300, 150}, QRect(1920, 0, 1280, 1024)), QPoint(1920, 0));
}

}  // namespace
