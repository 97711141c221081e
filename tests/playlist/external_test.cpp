// Playlists written by other programs (the public test material): every line becomes a row,
// text is decoded as UTF-8 or Shift-JIS, and nothing crashes.
#include "playlistfixture.h"

#include "playlist/playlistfile.h"
#include "playlist/playlistroads.h"

#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace {
QString externalDir()
{
    return QStringLiteral(MORVANE_TESTDATA_DIR "/4-playlists-lyrics");
}

struct ExternalList {
    const char* file;
    int rows; // one per line, comment and blank lines included
};
} // namespace

class ExternalPlaylistTest : public PlaylistFixture {
protected:
    void SetUp() override
    {
        PlaylistFixture::SetUp();
        if (!QFileInfo::exists(externalDir()))
            GTEST_SKIP() << "public test material not found at " << externalDir().toStdString();
    }
    QString file(const char* name) const
    {
        return externalDir() + QLatin1Char('/') + QString::fromUtf8(name);
    }
};

TEST_F(ExternalPlaylistTest, EveryTrackLineOfEveryPlaylistBecomesARow)
{
    const ExternalList lists[] = {
        {"m3u/clementine/test.m3u", 239}, // its 4 blank lines are no rows
        {"m3u/mopidy/comment-ext.m3u", 1},
        {"m3u/mopidy/comment.m3u", 1},
        {"m3u/mopidy/empty-ext.m3u", 0},
        {"m3u/mopidy/empty.m3u", 0},
        {"m3u/mopidy/encoding-ext.m3u", 1},
        {"m3u/mopidy/encoding.m3u", 1},
        {"m3u/mopidy/one-ext.m3u", 1},
        {"m3u/mopidy/one.m3u", 1},
        {"m3u/mopidy/two-ext.m3u", 2},
        {"m3u/totem-pl-parser/O_G_Money_Snoop_Dogg.m3u", 2},
        {"m3u/totem-pl-parser/live-streaming.m3u", 1},
        {"m3u/totem-pl-parser/radioclasica.mp3.m3u", 1}, // no final line end
        {"m3u/totem-pl-parser/radios-freebox.m3u", 1},
        {"m3u/totem-pl-parser/relative.m3u", 1},
        {"m3u/totem-pl-parser/separator.m3u", 1},
        {"derived-shift_jis/test.cp932.m3u", 236},
    };
    for (const ExternalList& list : lists) {
        PlaylistModel rows;
        EXPECT_EQ(AddPlaylistFile(rows, file(list.file)), list.rows) << list.file;
        EXPECT_EQ(rows.count(), list.rows) << list.file;
        for (int n = 1; n <= rows.count(); ++n) {
            // Entries name files elsewhere (or URLs): rows without a size, never a crash.
            EXPECT_TRUE(rows.row(n).sizeText.isEmpty()) << list.file << " row " << n;
        }
    }
}

TEST_F(ExternalPlaylistTest, TextIsDecodedExactly)
{
    PlaylistModel utf8;
    AddPlaylistFile(utf8, file("m3u/clementine/test.m3u"));
    QFile original(file("m3u/clementine/test.m3u"));
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    QStringList lines = QString::fromUtf8(original.readAll()).split(QLatin1Char('\n'));
    // "#EXTM3U" and "#EXTINF" lines are no tracks.
    lines.removeIf([](const QString& line) { return line.startsWith(QLatin1Char('#')); });
    for (int n = 1; n <= utf8.count(); ++n)
        ASSERT_EQ(utf8.rowPath(n), lines[n - 1]) << n;
    EXPECT_EQ(
        utf8.rowPath(1),
        "/home/kadai/Music/COLLECTION/2003/Various Artists/Wolf's Rain O.S.T/20 - gravity.mp3");
    EXPECT_EQ(utf8.rowText(1), "20 - gravity.mp3");

    PlaylistModel sjis;
    AddPlaylistFile(sjis, file("derived-shift_jis/test.cp932.m3u"));
    PlaylistModel expected;
    AddPlaylistFile(expected, file("derived-shift_jis/test.cp932.expected-utf8.m3u"));
    ASSERT_EQ(sjis.count(), expected.count());
    EXPECT_EQ(sjis.paths(), expected.paths());
    EXPECT_TRUE(sjis.paths().join(QString()).contains(QStringLiteral("塊魂")));
}

TEST_F(ExternalPlaylistTest, BytesValidInNeitherCodingStillGiveARow)
{
    PlaylistModel rows;
    ASSERT_EQ(AddPlaylistFile(rows, file("m3u/mopidy/encoding.m3u")), 1);
    EXPECT_TRUE(rows.rowPath(1).endsWith(QStringLiteral(".mp3")));
    EXPECT_FALSE(rows.rowText(1).isEmpty());
}

TEST_F(ExternalPlaylistTest, DropsTellPlaylistsByTheirLastExtension)
{
    PlaylistRoads roads(state, model, ops);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(file("m3u/totem-pl-parser/radioclasica.mp3.m3u")),
                  QUrl::fromLocalFile(file("m3u/totem-pl-parser/BassDrive.pls")),
                  QUrl::fromLocalFile(file("m3u/mopidy/one.m3u"))});
    roads.AddFromDrop(&data);
    ASSERT_EQ(model.count(), 2);
    // A relative entry names a file beside its list.
    EXPECT_EQ(model.rowPath(2),
              QFileInfo(file("m3u/mopidy/one.m3u")).absolutePath() + QStringLiteral("/song1.mp3"));
    EXPECT_EQ(state.CurrentIndex, 1);
    EXPECT_EQ(opened(), model.rowPath(1).toStdString());
}
