// Rows, their texts, the current-row marker, moves and the shuffled order.
#include "playlistfixture.h"

#include <QTextDocument>

#include <algorithm>
#include <set>

TEST(SizeTextTest, RoundsToWholeKilobytesWithThousandsGroups)
{
    EXPECT_EQ(SizeText(0), "kb");
    EXPECT_EQ(SizeText(500), "kb");
    EXPECT_EQ(SizeText(511), "kb");
    EXPECT_EQ(SizeText(512), "1kb");
    EXPECT_EQ(SizeText(1536), "2kb");
    EXPECT_EQ(SizeText(3456789), "3,376kb");
    EXPECT_EQ(SizeText(1023999), "1,000kb");
    EXPECT_EQ(SizeText(1234567890123LL), "1,205,632,705kb");
}

TEST(CaptionTest, CountsRows)
{
    EXPECT_EQ(PlaylistCaption(12), QStringLiteral("PlayList(曲数12)"));
    EXPECT_EQ(InitialPlaylistCaption(), QStringLiteral("PlayList （曲数0）"));
}

class PlaylistModelTest : public PlaylistFixture {};

TEST_F(PlaylistModelTest, RowHoldsCleanNameSizeAndPathAsGiven)
{
    const QString upper = writeMp3(QStringLiteral("SONG.MP3"), 3456789);
    const QString lower = writeMp3(QStringLiteral("a.MP3"), 500);
    model.AddRow(upper);
    model.AddRow(lower);
    ASSERT_EQ(model.count(), 2);
    EXPECT_EQ(model.row(1).text, "Song.Mp3");
    EXPECT_EQ(model.row(1).sizeText, "3,376kb");
    EXPECT_EQ(model.row(1).path, upper);
    EXPECT_EQ(model.row(2).text, "a.Mp3");
    EXPECT_EQ(model.row(2).sizeText, "kb");
    EXPECT_EQ(model.row(2).image, 1);
}

TEST_F(PlaylistModelTest, UnmeasurableFilesGetRowsWithEmptySize)
{
    QDir().mkpath(path(QStringLiteral("folder.mp3")));
    model.AddRow(path(QStringLiteral("missing.mp3")));
    model.AddRow(path(QStringLiteral("folder.mp3")));
    model.AddRow(QStringLiteral("/dev/null"));
    model.AddRow(QString());
    model.AddRow(QStringLiteral("relative/dir/x.mp3"));
    ASSERT_EQ(model.count(), 5);
    for (int n = 1; n <= 5; ++n)
        EXPECT_TRUE(model.row(n).sizeText.isEmpty()) << n;
    EXPECT_EQ(model.row(1).text, "missing.mp3");
    EXPECT_EQ(model.rowPath(5), "relative/dir/x.mp3");
}

TEST_F(PlaylistModelTest, RowNumbersOutsideTheListGiveEmptyRows)
{
    model.AddRow(writeMp3(QStringLiteral("a.mp3")));
    EXPECT_TRUE(model.row(0).path.isEmpty());
    EXPECT_TRUE(model.row(2).path.isEmpty());
    EXPECT_TRUE(model.row(-7).text.isEmpty());
}

TEST_F(PlaylistModelTest, AppendRowsIsOneInsertionAndOneCountChange)
{
    int inserted = 0;
    std::vector<int> counts;
    QObject::connect(&model, &QAbstractItemModel::rowsInserted, [&] { ++inserted; });
    QObject::connect(&model, &PlaylistModel::countChanged, [&](int n) { counts.push_back(n); });
    model.appendRows({MakeRow(QStringLiteral("/x/1.mp3")), MakeRow(QStringLiteral("/x/2.mp3")),
                      MakeRow(QStringLiteral("/x/3.mp3"))});
    EXPECT_EQ(inserted, 1);
    EXPECT_EQ(counts, std::vector<int>({3}));
    model.appendRows({});
    EXPECT_EQ(counts.size(), 1u);
}

TEST_F(PlaylistModelTest, TableShowsThreeColumnsWithHeaders)
{
    model.AddRow(writeMp3(QStringLiteral("Track.mp3"), 1536));
    EXPECT_EQ(model.columnCount(), 7); // the tag columns are hidden by default
    EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "FileName");
    EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "FileSize");
    EXPECT_EQ(model.headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), "Path");
    EXPECT_EQ(model.data(model.index(0, 0), Qt::DisplayRole).toString(), "Track.mp3");
    EXPECT_EQ(model.data(model.index(0, 1), Qt::DisplayRole).toString(), "2kb");
    EXPECT_EQ(model.data(model.index(0, 2), Qt::DisplayRole).toString(),
              path(QStringLiteral("Track.mp3")));
    EXPECT_FALSE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);
}

TEST_F(PlaylistModelTest, TooltipsShowNamesThatLookLikeHtmlAsWritten)
{
    // Qt reads a tooltip that looks like HTML as rich text: an <img> would make it load a file.
    const QString name = QStringLiteral("<img src=\"&#47;dev&#47;zero\"><b>x & y.mp3");
    model.AddRow(writeMp3(name));
    for (int column = 0; column < model.columnCount(); ++column) {
        const QString shown = model.data(model.index(0, column), Qt::DisplayRole).toString();
        const QString tip = model.data(model.index(0, column), Qt::ToolTipRole).toString();
        QTextDocument document;
        if (Qt::mightBeRichText(tip))
            document.setHtml(tip);
        else
            document.setPlainText(tip);
        EXPECT_EQ(document.toPlainText(), shown) << column;
        EXPECT_FALSE(document.toHtml().contains(QStringLiteral("<img"))) << column;
    }
}

TEST_F(PlaylistModelTest, MarkCurrentGivesOneRowImageTwo)
{
    for (int i = 0; i < 4; ++i)
        model.AddRow(QStringLiteral("/m/%1.mp3").arg(i));
    model.markCurrent(3);
    EXPECT_EQ(model.markedRow(), 3);
    EXPECT_EQ(model.data(model.index(2, 0), PlaylistModel::ImageRole).toInt(), 2);
    EXPECT_EQ(model.data(model.index(0, 0), PlaylistModel::ImageRole).toInt(), 1);
    model.markCurrent(9);
    EXPECT_EQ(model.markedRow(), 0);
}

TEST_F(PlaylistModelTest, MoveAndRemoveKeepTheOtherRowsInOrder)
{
    for (int i = 1; i <= 5; ++i)
        model.AddRow(QStringLiteral("/m/%1.mp3").arg(i));
    model.moveRow1(1, 4);
    EXPECT_EQ(model.paths(),
              QStringList({"/m/2.mp3", "/m/3.mp3", "/m/4.mp3", "/m/1.mp3", "/m/5.mp3"}));
    model.moveRow1(5, 1);
    EXPECT_EQ(model.paths(),
              QStringList({"/m/5.mp3", "/m/2.mp3", "/m/3.mp3", "/m/4.mp3", "/m/1.mp3"}));
    model.removeRow1(2);
    model.removeRow1(99);
    EXPECT_EQ(model.paths(), QStringList({"/m/5.mp3", "/m/3.mp3", "/m/4.mp3", "/m/1.mp3"}));
    std::vector<int> counts;
    QObject::connect(&model, &PlaylistModel::countChanged, [&](int n) { counts.push_back(n); });
    model.clear();
    EXPECT_EQ(model.count(), 0);
    EXPECT_EQ(counts, std::vector<int>({0}));
}

class RandomOrderTest : public PlaylistFixture, public ::testing::WithParamInterface<int> {};

TEST_P(RandomOrderTest, HoldsEveryRowNumberOnce)
{
    const int n = GetParam();
    std::vector<PlaylistRow> rows(static_cast<size_t>(n), MakeRow(QStringLiteral("/m/x.mp3")));
    model.appendRows(rows);
    model.List1 = {42};
    model.MakeRandomOrder();
    ASSERT_EQ(static_cast<int>(model.List1.size()), n);
    std::vector<int> sorted = model.List1;
    std::sort(sorted.begin(), sorted.end());
    for (int i = 0; i < n; ++i)
        EXPECT_EQ(sorted[static_cast<size_t>(i)], i + 1);
}

INSTANTIATE_TEST_SUITE_P(Sizes, RandomOrderTest, ::testing::Values(0, 1, 2, 13, 999, 1500));

TEST_F(PlaylistModelTest, ShuffleSequenceIsTheSameInEveryRun)
{
    PlaylistModel other;
    std::vector<PlaylistRow> rows(50, MakeRow(QStringLiteral("/m/x.mp3")));
    model.appendRows(rows);
    other.appendRows(rows);
    model.MakeRandomOrder();
    other.MakeRandomOrder();
    EXPECT_EQ(model.List1, other.List1);
    const std::vector<int> first = model.List1;
    model.MakeRandomOrder();
    EXPECT_NE(model.List1, first); // the generator moves on within a run
    std::vector<int> identity(50);
    for (int i = 0; i < 50; ++i)
        identity[static_cast<size_t>(i)] = i + 1;
    EXPECT_NE(first, identity);
}
