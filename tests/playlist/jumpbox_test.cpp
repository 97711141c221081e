// The playlist window's jump box, tag columns, header sorting and block moves, with tags read in
// the background from real ID3 tags.
#include "playlistfixture.h"

#include "meta_fixtures.h"
#include "playlist/jumpbox.h"
#include "playlist/playlistview.h"
#include "playlist/playlistwindow.h"
#include "playlist/rowtagloader.h"
#include "playlist/trackfinder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>

namespace {
std::string Utf8Body(const std::string& text)
{
    return "\x03" + text;
}
} // namespace

class JumpBoxTest : public PlaylistFixture {
protected:
    void SetUp() override
    {
        PlaylistFixture::SetUp();
        const std::string audio(4096, '\xff');
        auto tagged = [&](const QString& name, const std::string& title, const std::string& artist,
                          const std::string& album) {
            const QString full = path(name);
            WriteFileBytes(full.toStdString(), MakeId3v2Tag(4, {{"TIT2", Utf8Body(title)},
                                                                {"TPE1", Utf8Body(artist)},
                                                                {"TALB", Utf8Body(album)}}) +
                                                   audio);
            return full;
        };
        rows = {tagged("01.mp3", "サクラ", "Someone", "Spring"),
                writeMp3(QStringLiteral("ｻｸﾗ.mp3")),
                tagged("03.mp3", "ＦＵＬＬ Ｗｉｄｔｈ", "Zed", "さくら咲く"),
                writeMp3(QStringLiteral("Other.mp3"))};
        for (const QString& r : rows)
            model.AddRow(r);
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
    void key(QWidget* target, int code, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QKeyEvent event(QEvent::KeyPress, code, mods);
        QApplication::sendEvent(target, &event);
    }
    void waitForTags()
    {
        QElapsedTimer clock;
        clock.start();
        while (window->tagLoader().busy() && clock.elapsed() < 10000)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        window->tagLoader().takeResults();
    }
    std::vector<int> typed(const QString& text)
    {
        window->jumpBox()->queryEdit()->setText(text);
        return window->jumpBox()->matches();
    }

    QStringList rows;
    std::unique_ptr<PlaylistWindow> window;
};

TEST_F(JumpBoxTest, TypingFoldsKanaWidthAndCaseAndEnterPlaysTheChosenMatch)
{
    // Tags are not read while nothing shows them.
    EXPECT_FALSE(model.rowRef(1).tagsRead);
    key(window->playList(), Qt::Key_J, Qt::ControlModifier);
    ASSERT_NE(window->jumpBox(), nullptr);
    EXPECT_TRUE(window->jumpBox()->isVisible());
    waitForTags();
    EXPECT_EQ(model.rowRef(1).title, QStringLiteral("サクラ"));

    // Hiragana finds katakana in a title, half-width kana in a file name and an album.
    EXPECT_EQ(typed(QStringLiteral("さくら")), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(typed(QStringLiteral("ｻｸﾗ")), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(typed(QStringLiteral("full w")), std::vector<int>{3});
    EXPECT_EQ(typed(QStringLiteral("ＯＴＨＥＲ")), std::vector<int>{4});
    EXPECT_EQ(typed(QStringLiteral("spring someone")), std::vector<int>{1});
    EXPECT_TRUE(typed(QStringLiteral("someone zed")).empty());
    EXPECT_EQ(typed(QString()).size(), 4u);

    typed(QStringLiteral("さくら"));
    QLineEdit* line = window->jumpBox()->queryEdit();
    key(line, Qt::Key_Down);
    EXPECT_EQ(window->jumpBox()->chosenRow(), 2);
    key(line, Qt::Key_Return);
    EXPECT_FALSE(window->jumpBox()->isVisible());
    EXPECT_EQ(opened(), rows[1].toStdString());
    EXPECT_EQ(engine.count("play"), 1);
    EXPECT_EQ(state.CurrentIndex, 2);
    EXPECT_EQ(window->playList()->selectedRowNumbers(), QList<int>{2});

    // J alone opens it again; Esc closes it and plays nothing.
    key(window->playList(), Qt::Key_J);
    EXPECT_TRUE(window->jumpBox()->isVisible());
    key(line, Qt::Key_Escape);
    EXPECT_FALSE(window->jumpBox()->isVisible());
    EXPECT_EQ(engine.count("play"), 1);
}

TEST_F(JumpBoxTest, HeaderClicksSortTheViewOnlyAndDraggedRowsMoveTogether)
{
    PlaylistView* view = window->playList();
    EXPECT_TRUE(view->isColumnHidden(PlaylistModel::TitleColumn));
    view->setColumnShown(PlaylistModel::TitleColumn, true);
    Q_EMIT view->columnsChosen();
    waitForTags();
    EXPECT_EQ(model.data(model.index(2, PlaylistModel::TitleColumn), Qt::DisplayRole).toString(),
              QStringLiteral("ＦＵＬＬ Ｗｉｄｔｈ"));

    // Descending by file name: Other, ｻｸﾗ and the two numbered files last.
    view->headerClicked(PlaylistModel::FileNameColumn);
    view->headerClicked(PlaylistModel::FileNameColumn);
    EXPECT_EQ(view->sortOrder(), Qt::DescendingOrder);
    view->selectionModel()->select(view->model()->index(0, 0),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    const QList<int> selectedSorted = view->selectedRowNumbers();
    ASSERT_EQ(selectedSorted.size(), 1);
    // The top row shown is a row of the list by its own number; "01.mp3" sorts last.
    EXPECT_EQ(model.rowText(selectedSorted.first()), view->model()->index(0, 0).data().toString());
    EXPECT_NE(selectedSorted.first(), 1);
    EXPECT_EQ(view->model()->index(3, 0).data().toString(), model.rowText(1));
    EXPECT_EQ(model.rowPath(1), rows[0]); // the play order is untouched
    view->headerClicked(PlaylistModel::FileNameColumn);
    EXPECT_EQ(view->sortColumn(), -1);
    EXPECT_EQ(view->model()->index(0, 0).data().toString(), model.rowText(1));

    // Rows 1 and 3 dragged below row 4; the current row 3 keeps its number with it.
    state.CurrentIndex = 3;
    model.markCurrent(3);
    window->moveRowsTo({3, 1}, 5);
    EXPECT_EQ(model.paths(), (QStringList{rows[1], rows[3], rows[0], rows[2]}));
    EXPECT_EQ(state.CurrentIndex, 4);
    EXPECT_EQ(model.markedRow(), 4);
    // ... and back to the top, before row 1.
    window->moveRowsTo({3, 4}, 1);
    EXPECT_EQ(model.paths(), (QStringList{rows[0], rows[2], rows[1], rows[3]}));
    EXPECT_EQ(state.CurrentIndex, 2);
    // Tags that arrive for a row that moved meanwhile still find it.
    model.setRowTags(1, rows[0], {QStringLiteral("x"), {}, {}, 61000});
    EXPECT_EQ(PlaylistModel::lengthText(model.rowRef(1).lengthMs), QStringLiteral("1:01"));
}

TEST(TrackFinderFold, FoldsWidthKanaCaseAndBlanks)
{
    EXPECT_EQ(FoldForSearch(QStringLiteral("ｻｸﾗ")), QStringLiteral("サクラ"));
    EXPECT_EQ(FoldForSearch(QStringLiteral("ｶﾞｯｺｳ")), QStringLiteral("ガッコウ"));
    EXPECT_EQ(FoldForSearch(QStringLiteral("がっこう")), QStringLiteral("ガッコウ"));
    EXPECT_EQ(FoldForSearch(QStringLiteral("ＡＢＣ　 Def")), QStringLiteral("abc def"));
    // Text of plain letters, kana and ideographs folds as the full path folds it.
    EXPECT_EQ(FoldForSearch(QStringLiteral("Night  DRIVE\tさくら、東京")),
              QStringLiteral("night drive サクラ、東京"));
}
