// Deleting rows: the Delete key, the selected-items command, delete-all and its question.
#include "windowkit_fixture.h"

#include "playlist/playlistcommands.h"

#include <QApplication>
#include <QKeyEvent>

#include <algorithm>

namespace {
class DeleteCommandsTest : public WindowKitFixture {
protected:
    void SetUp() override
    {
        WindowKitFixture::SetUp();
        openWindow();
        QObject::connect(window.get(), &QWidget::windowTitleChanged,
                         [this](const QString& title) { captions << title; });
    }
    void pressDelete()
    {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
        QApplication::sendEvent(view(), &press);
    }
    std::vector<int> sortedList1() const
    {
        std::vector<int> sorted = model.List1;
        std::sort(sorted.begin(), sorted.end());
        return sorted;
    }

    QStringList captions;
};
} // namespace

TEST_F(DeleteCommandsTest, DeleteKeyRemovesFromTheBottomAndSelectsTheRowThatMovedUp)
{
    addTracks(5);
    select({2, 4});
    captions.clear();
    pressDelete();
    EXPECT_EQ(rowNames(), (QStringList{"t1.mp3", "t3.mp3", "t5.mp3"}));
    EXPECT_EQ(captions, (QStringList{"PlayList(曲数4)", "PlayList(曲数3)"}));
    EXPECT_EQ(kit->commands().LastDeleted(), 2);
    EXPECT_EQ(view()->selectedRowNumbers(), QList<int>{2});
    EXPECT_EQ(sortedList1(), (std::vector<int>{1, 2, 3}));
}

TEST_F(DeleteCommandsTest, DeletingTheLastTwoRowsLeavesNoRowSelected)
{
    addTracks(5);
    select({4, 5});
    pressDelete();
    EXPECT_EQ(model.count(), 3);
    EXPECT_EQ(kit->commands().LastDeleted(), 4);
    EXPECT_TRUE(view()->selectedRowNumbers().isEmpty());
}

TEST_F(DeleteCommandsTest, DeletingRowsAboveTheCurrentTrackKeepsItsNumberAndTheSound)
{
    addTracks(5);
    state.CurrentIndex = 4;
    engine.state = 1;
    engine.clearCalls();
    select({1, 2});
    kit->commands().DeleteItem();
    EXPECT_EQ(model.count(), 3);
    EXPECT_EQ(state.CurrentIndex, 4);
    EXPECT_TRUE(engine.calls.empty());
    // The menu command does not move the selection.
    EXPECT_TRUE(view()->selectedRowNumbers().isEmpty());
}

TEST_F(DeleteCommandsTest, DeletingWithNothingSelectedOrNoRowsChangesNothing)
{
    kit->commands().DeleteItem();
    pressDelete();
    EXPECT_EQ(kit->commands().LastDeleted(), 0);
    addTracks(3);
    captions.clear();
    kit->commands().DeleteItem();
    EXPECT_EQ(model.count(), 3);
    EXPECT_TRUE(captions.isEmpty());
}

TEST_F(DeleteCommandsTest, DeleteAllAsksAndCancelKeepsEveryRow)
{
    addTracks(3);
    MessageBoxScript::pushAnswer(QMessageBox::Cancel);
    kit->commands().DeleteAllItems();
    EXPECT_EQ(model.count(), 3);
    ASSERT_EQ(MessageBoxScript::shown().size(), 1u);
    const ShownMessage& asked = MessageBoxScript::shown()[0];
    EXPECT_EQ(asked.text, QStringLiteral("演奏リストの項目を全て削除します。\n"
                                         "保存していないデータは失われますがよろしいですか？"));
    EXPECT_EQ(asked.caption, QStringLiteral("リストの全削除"));
    EXPECT_EQ(asked.icon, QMessageBox::Question);
    EXPECT_EQ(asked.buttons, QMessageBox::Ok | QMessageBox::Cancel);
}

TEST_F(DeleteCommandsTest, DeleteAllOnAPlayingListKeepsTheSoundAndPlayThenFindsNoRow)
{
    addTracks(3);
    state.CurrentIndex = 2;
    state.CurrentFile = model.rowPath(2);
    engine.state = 1;
    engine.clearCalls();
    MessageBoxScript::pushAnswer(QMessageBox::Ok);
    kit->commands().DeleteAllItems();
    EXPECT_EQ(model.count(), 0);
    EXPECT_TRUE(model.List1.empty());
    EXPECT_EQ(state.CurrentIndex, 1);
    EXPECT_EQ(state.CurrentFile, path(QStringLiteral("t2.mp3")));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("PlayList(曲数0)"));
    EXPECT_EQ(engine.count("stop"), 0);

    kit->commandMenu().item(QStringLiteral("p1_0"))->trigger();
    EXPECT_EQ(engine.count("open"), 0);
    EXPECT_EQ(engine.count("play"), 0);
}

TEST_F(DeleteCommandsTest, DeleteAllOnAnEmptyListAsksNothing)
{
    kit->commands().DeleteAllItems();
    EXPECT_TRUE(MessageBoxScript::shown().empty());
}
