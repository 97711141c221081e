// Moving one row up or down, with the current-track image and number following the track.
#include "windowkit_fixture.h"

#include "playlist/playlistcommands.h"

namespace {
class MoveCommandsTest : public WindowKitFixture {
protected:
    void SetUp() override
    {
        WindowKitFixture::SetUp();
        openWindow();
        addTracks(5);
    }
    void makeCurrent(int n)
    {
        state.CurrentIndex = n;
        state.CurrentFile = model.rowPath(n);
        model.markCurrent(n);
    }
};
} // namespace

TEST_F(MoveCommandsTest, MovingTheCurrentTrackDownTakesItsImageAndNumberAlong)
{
    makeCurrent(3);
    const std::vector<int> order = model.List1;
    const QString caption = window->windowTitle();
    select({3});
    kit->commands().moveDown();
    EXPECT_EQ(rowNames(), (QStringList{"t1.mp3", "t2.mp3", "t4.mp3", "t3.mp3", "t5.mp3"}));
    EXPECT_EQ(model.markedRow(), 4);
    EXPECT_EQ(state.CurrentIndex, 4);
    EXPECT_EQ(view()->selectedRowNumbers(), QList<int>{4});
    EXPECT_EQ(model.List1, order);
    EXPECT_EQ(window->windowTitle(), caption);
}

TEST_F(MoveCommandsTest, MovingUpSelectsTheRowInItsNewPlace)
{
    makeCurrent(1);
    select({4});
    kit->commands().moveUp();
    EXPECT_EQ(rowNames(), (QStringList{"t1.mp3", "t2.mp3", "t4.mp3", "t3.mp3", "t5.mp3"}));
    EXPECT_EQ(view()->selectedRowNumbers(), QList<int>{3});
    EXPECT_EQ(model.markedRow(), 1);
    EXPECT_EQ(state.CurrentIndex, 1);
}

TEST_F(MoveCommandsTest, MovesAtTheEndsOrWithSeveralRowsSelectedChangeNothing)
{
    const QStringList before = rowNames();
    select({1});
    kit->commands().moveUp();
    select({5});
    kit->commands().moveDown();
    select({2, 3});
    kit->commands().moveDown();
    kit->commands().moveUp();
    select({});
    kit->commands().moveDown();
    EXPECT_EQ(rowNames(), before);
}

TEST_F(MoveCommandsTest, TheCurrentTrackKeepsItsNumberWhenANeighbourTradesPlacesWithIt)
{
    makeCurrent(3);
    select({2});
    kit->commands().moveDown();
    EXPECT_EQ(rowNames(), (QStringList{"t1.mp3", "t3.mp3", "t2.mp3", "t4.mp3", "t5.mp3"}));
    // Row 2 now holds the opened track, and CurrentIndex names it.
    EXPECT_EQ(state.CurrentIndex, 2);
    EXPECT_EQ(model.rowPath(state.CurrentIndex), state.CurrentFile);
    EXPECT_EQ(model.markedRow(), 2);
}

TEST_F(MoveCommandsTest, TheToolbarButtonsMoveRows)
{
    select({1});
    kit->toolbar().button(8)->click();
    EXPECT_EQ(model.rowText(2), QStringLiteral("t1.mp3"));
    kit->toolbar().button(9)->click();
    EXPECT_EQ(model.rowText(1), QStringLiteral("t1.mp3"));
}
