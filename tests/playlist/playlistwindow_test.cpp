// The playlist window on the offscreen platform: columns, caption, double-click, drops, keys.
#include "playlistfixture.h"

#include "playlist/playlistview.h"
#include "playlist/playlistwindow.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

class PlaylistWindowTest : public PlaylistFixture {
protected:
    void SetUp() override
    {
        PlaylistFixture::SetUp();
        window = std::make_unique<PlaylistWindow>(state, model, ops);
        window->resize(460, 300);
        window->show();
        QApplication::processEvents();
    }
    void TearDown() override
    {
        window.reset();
        PlaylistFixture::TearDown();
    }
    QPoint rowCentre(int n) const
    {
        return window->playList()
            ->visualRect(window->playList()->model()->index(n - 1, 0))
            .center();
    }
    void mouse(QEvent::Type type, const QPoint& at)
    {
        QWidget* target = window->playList()->viewport();
        QMouseEvent event(type, at, target->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    }

    std::unique_ptr<PlaylistWindow> window;
};

TEST_F(PlaylistWindowTest, ThreeColumnsByTheWidthRule)
{
    PlaylistView* view = window->playList();
    EXPECT_EQ(view->objectName(), "playList");
    EXPECT_EQ(view->model()->rowCount(), model.rowCount());
    const int width = view->viewport()->width();
    const int first = view->columnWidth(0);
    EXPECT_EQ(view->columnWidth(2), first);
    // At the default width the size column is wider than a quarter: a size must fit whole.
    EXPECT_GE(view->columnWidth(1),
              view->fontMetrics().horizontalAdvance(QStringLiteral("99,999kb")));
    EXPECT_NEAR(first * 2 + view->columnWidth(1), width, 4);
    window->resize(700, 300);
    QApplication::processEvents();
    EXPECT_GT(view->columnWidth(0), first);
    EXPECT_EQ(view->columnWidth(0), view->columnWidth(2));
    EXPECT_EQ(view->selectionMode(), QAbstractItemView::ExtendedSelection);
}

TEST_F(PlaylistWindowTest, CaptionCountsRowsFromTheFirstChange)
{
    EXPECT_EQ(window->windowTitle(), QStringLiteral("PlayList （曲数0）"));
    model.AddRow(QStringLiteral("/m/a.mp3"));
    model.AddRow(QStringLiteral("/m/b.mp3"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("PlayList(曲数2)"));
    model.clear();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("PlayList(曲数0)"));
}

TEST_F(PlaylistWindowTest, DoubleClickPlaysTheRowFromItsStart)
{
    for (int i = 1; i <= 3; ++i)
        model.AddRow(QStringLiteral("/m/t%1.mp3").arg(i));
    state.CurrentIndex = 1;
    engine.state = 1;
    const QPoint at = rowCentre(3);
    mouse(QEvent::MouseButtonPress, at);
    mouse(QEvent::MouseButtonRelease, at);
    mouse(QEvent::MouseButtonDblClick, at);
    mouse(QEvent::MouseButtonRelease, at);
    EXPECT_EQ(state.CurrentIndex, 3);
    EXPECT_EQ(opened(), "/m/t3.mp3");
    EXPECT_EQ(engine.calls.back(), "play");
    EXPECT_EQ(window->playList()->selectedRowNumbers(), QList<int>({3}));
    EXPECT_EQ(model.markedRow(), 3);
}

TEST_F(PlaylistWindowTest, OpeningATrackSelectsItsRow)
{
    for (int i = 1; i <= 4; ++i)
        model.AddRow(QStringLiteral("/m/t%1.mp3").arg(i));
    window->playList()->selectRowNumber(1);
    state.CurrentIndex = 4;
    ops.OpenTrack(model.rowPath(4));
    EXPECT_EQ(window->playList()->selectedRowNumbers(), QList<int>({4}));
}

TEST_F(PlaylistWindowTest, DroppedFilesBecomeRows)
{
    const QString song = writeMp3(QStringLiteral("drop me.mp3"));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(song), QUrl(QStringLiteral("https://x.org/y.mp3"))});
    QWidget* target = window->playList()->viewport();
    const QPointF at(20, 20);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    ASSERT_EQ(model.count(), 1);
    EXPECT_EQ(model.rowPath(1), song);
    EXPECT_EQ(opened(), song.toStdString());

    QMimeData text;
    text.setText(QStringLiteral("hello"));
    QDragEnterEvent refused(at.toPoint(), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &refused);
    EXPECT_FALSE(refused.isAccepted());
}

TEST_F(PlaylistWindowTest, DigitKeysAddFolderShortcuts)
{
    state.ShortPath[1] = writeMp3(QStringLiteral("short.mp3"));
    QKeyEvent keypad(QEvent::KeyPress, Qt::Key_2, Qt::KeypadModifier, QStringLiteral("2"));
    QApplication::sendEvent(window->playList(), &keypad);
    EXPECT_EQ(model.count(), 0);
    QKeyEvent key(QEvent::KeyPress, Qt::Key_2, Qt::NoModifier, QStringLiteral("2"));
    QApplication::sendEvent(window->playList(), &key);
    EXPECT_EQ(model.count(), 1);
    EXPECT_EQ(engine.count("play"), 1);
}
