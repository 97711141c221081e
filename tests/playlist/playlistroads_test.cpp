// The roads in: shortcut keys, the Open dialog, a folder, drops.
#include "playlistfixture.h"

#include "playlist/playlistroads.h"

#include <QApplication>
#include <QLabel>
#include <QMimeData>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <atomic>
#include <cstdio>

#include <unistd.h>

namespace {
bool isPermutation(std::vector<int> order, int n)
{
    std::sort(order.begin(), order.end());
    for (int i = 0; i < n; ++i) {
        if (static_cast<int>(order.size()) != n || order[static_cast<size_t>(i)] != i + 1)
            return false;
    }
    return static_cast<int>(order.size()) == n;
}
} // namespace

class RoadsTest : public PlaylistFixture {
protected:
    void fillRows(int n)
    {
        for (int i = 1; i <= n; ++i)
            model.AddRow(QStringLiteral("/music/old%1.mp3").arg(i));
    }
    std::unique_ptr<QMimeData> dropOf(const QStringList& names)
    {
        auto data = std::make_unique<QMimeData>();
        QList<QUrl> urls;
        for (const QString& name : names)
            urls << QUrl::fromLocalFile(name);
        data->setUrls(urls);
        return data;
    }
    PlaylistRoads roads{state, model, ops};
};

TEST_F(RoadsTest, ShortcutKeyStartsAnEmptyListAndLaterOnlyAppends)
{
    state.ShortPath[2] = writeMp3(QStringLiteral("a.MP3"));
    roads.AddFromShortcut(51);
    ASSERT_EQ(model.count(), 1);
    EXPECT_EQ(model.rowText(1), "a.Mp3");
    EXPECT_EQ(state.CurrentIndex, 1);
    EXPECT_EQ(opened(), state.ShortPath[2].toStdString());
    EXPECT_EQ(engine.count("play"), 1);
    EXPECT_TRUE(isPermutation(model.List1, 1));

    engine.clearCalls();
    roads.AddFromShortcut(51);
    EXPECT_EQ(model.count(), 2);
    EXPECT_EQ(model.rowPath(2), model.rowPath(1));
    EXPECT_TRUE(engine.calls.empty());
    EXPECT_TRUE(isPermutation(model.List1, 2));
}

TEST_F(RoadsTest, OtherKeysEmptyEntriesAndOtherKindsChangeNothing)
{
    fillRows(2);
    model.List1 = {2, 1};
    state.ShortPath[1] = writeFile(QStringLiteral("notes.txt"), "x");
    roads.AddFromShortcut(54);
    roads.AddFromShortcut(48);
    roads.AddFromShortcut(49); // Path1 empty
    roads.AddFromShortcut(50); // a text file: no row, no new shuffle
    EXPECT_EQ(model.count(), 2);
    EXPECT_EQ(model.List1, std::vector<int>({2, 1}));
    EXPECT_TRUE(engine.calls.empty());
}

TEST_F(RoadsTest, ShortcutToAPlaylistAddsItsEntries)
{
    const QString one = writeMp3(QStringLiteral("one.mp3"));
    state.ShortPath[4] = writeFile(QStringLiteral("fav.M3U"), (one + "\r\n" + one).toUtf8());
    roads.AddFromShortcut(53);
    EXPECT_EQ(model.count(), 2);
    EXPECT_EQ(opened(), one.toStdString());
}

TEST_F(RoadsTest, KeypadDigitsAreNotShortcuts)
{
    EXPECT_EQ(ShortcutKeyCode(Qt::Key_3, Qt::NoModifier), 51);
    EXPECT_EQ(ShortcutKeyCode(Qt::Key_3, Qt::KeypadModifier), 0);
}

TEST_F(RoadsTest, FolderListingTakesEveryFormatCaseBlindSortedAndFlat)
{
    writeMp3(QStringLiteral("b.mp3"));
    writeMp3(QStringLiteral("A.MP3"));
    writeMp3(QStringLiteral("c.Mp3"));
    writeMp3(QStringLiteral("sub/d.mp3"));
    writeFile(QStringLiteral("e.txt"), "x");
    writeFile(QStringLiteral("f.mp3.bak"), "x");
    for (const char* name : {"g.FLAC", "h.ogg", "i.opus", "j.m4a", "k.wav", "l.aiff", "m.Aif",
                             "n.oga", "o.mp4", "p.flac.part", "q.m4v", ".r.flac"})
        writeFile(QString::fromLatin1(name), "x");
    QStringList names;
    for (const FolderEntry& entry : ListAudioFiles(m_dir))
        names << entry.name;
    EXPECT_EQ(names, QStringList({"A.MP3", "b.mp3", "c.Mp3", "g.FLAC", "h.ogg", "i.opus", "j.m4a",
                                  "k.wav", "l.aiff", "m.Aif", "n.oga", "o.mp4"}));
    EXPECT_TRUE(ListAudioFiles(path(QStringLiteral("nowhere"))).empty());
}

TEST_F(RoadsTest, FolderWithSubFoldersInNameOrderNeverInterruptsThePlayingTrack)
{
    fillRows(10);
    state.CurrentIndex = 5;
    engine.state = 1;
    const QString folder = path(QStringLiteral("album"));
    writeMp3(QStringLiteral("album/02, two.mp3"));
    writeMp3(QStringLiteral("album/01 intro.mp3"));
    writeMp3(QStringLiteral("album/Disc 2/01 b.MP3"));
    writeMp3(QStringLiteral("album/disc 2/deeper/x.mp3"));
    writeMp3(QStringLiteral("album/.hidden/y.mp3"));
    writeFile(QStringLiteral("album/cover.jpg"), "x");
    // A link back up is walked once.
    ASSERT_EQ(::symlink(path(QStringLiteral("album/disc 2")).toLocal8Bit().constData(),
                        path(QStringLiteral("album/disc 2/deeper/loop")).toLocal8Bit().constData()),
              0);
    DialogScript::pushAnswer(folder);
    roads.AddFromFolder(nullptr);
    ASSERT_EQ(model.count(), 14);
    EXPECT_EQ(model.paths().mid(10),
              QStringList({folder + QStringLiteral("/01 intro.mp3"),
                           folder + QStringLiteral("/02, two.mp3"),
                           folder + QStringLiteral("/Disc 2/01 b.MP3"),
                           folder + QStringLiteral("/disc 2/deeper/x.mp3")}));
    EXPECT_EQ(model.row(12).sizeText, "2kb");
    // The playing track goes on: nothing opened, the current row unchanged.
    EXPECT_EQ(state.CurrentIndex, 5);
    EXPECT_EQ(engine.count("open"), 0);
    EXPECT_TRUE(isPermutation(model.List1, 14));
    EXPECT_EQ(DialogScript::askedFilters().last(),
              QStringLiteral("MP3が入っているﾌｫﾙﾀﾞを選択して下さい。"));

    // Stopped, the list starts again from its first row.
    engine.state = 0;
    DialogScript::pushAnswer(path(QStringLiteral("album/disc 2")));
    roads.AddFromFolder(nullptr);
    EXPECT_EQ(model.count(), 15);
    EXPECT_EQ(state.CurrentIndex, 1);
    EXPECT_EQ(opened(), "/music/old1.mp3");
    EXPECT_EQ(engine.calls.back(), "play");

    // A dropped folder adds the same way, beside dropped files, and interrupts nothing.
    engine.state = 1;
    engine.clearCalls();
    const QString single = writeMp3(QStringLiteral("single.mp3"));
    roads.AddFromDrop(dropOf({path(QStringLiteral("album/disc 2")), single}).get());
    EXPECT_EQ(model.count(), 17);
    EXPECT_EQ(model.rowPath(16), folder + QStringLiteral("/disc 2/deeper/x.mp3"));
    EXPECT_EQ(model.rowPath(17), single);
    EXPECT_EQ(engine.count("open"), 0);
}

TEST_F(RoadsTest, FolderWithoutMp3FilesOrCancelChangesNothing)
{
    fillRows(3);
    model.List1 = {1, 2, 3};
    writeFile(QStringLiteral("docs/readme.txt"), "x");
    DialogScript::pushAnswer(path(QStringLiteral("docs")));
    roads.AddFromFolder(nullptr);
    DialogScript::pushAnswer(QString());
    roads.AddFromFolder(nullptr);
    EXPECT_EQ(model.count(), 3);
    EXPECT_EQ(model.List1, std::vector<int>({1, 2, 3}));
    EXPECT_TRUE(engine.calls.empty());
    // The empty folder is explained; the cancel is not.
    ASSERT_EQ(MessageBoxScript::shown().size(), 1u);
    EXPECT_TRUE(MessageBoxScript::shownTexts()[0].contains(path(QStringLiteral("docs"))));
}

TEST_F(RoadsTest, FolderWithManyFilesAddsThemAll)
{
    for (int i = 0; i < 5000; ++i)
        writeFile(QStringLiteral("big/t%1.mp3").arg(i, 4, 10, QLatin1Char('0')), {});
    int inserted = 0;
    QObject::connect(&model, &QAbstractItemModel::rowsInserted, [&] { ++inserted; });
    DialogScript::pushAnswer(path(QStringLiteral("big")));
    roads.AddFromFolder(nullptr);
    EXPECT_EQ(model.count(), 5000);
    EXPECT_EQ(inserted, 1);
    EXPECT_EQ(model.rowText(5000), "t4999.mp3");
}

TEST_F(RoadsTest, OpenDialogAddsOneFileOrAPlaylist)
{
    const QString song = writeMp3(QStringLiteral("song.mp3"));
    DialogScript::pushAnswer(QString());
    roads.AddFromFileDialog(nullptr);
    EXPECT_EQ(model.count(), 0);
    EXPECT_EQ(DialogScript::askedFilters().last(),
              QStringLiteral("全ての音楽(*.mp3;*.flac;*.ogg;*.oga;*.opus;*.m4a;*.mp4;*.wav;*.aiff;*.aif)|"
                             "Mpeg audio layer-Ⅲ(*.mp3)|FLAC(*.flac)|Ogg Vorbis(*.ogg;*.oga)|Opus(*.opus)|"
                             "AAC/ALAC(*.m4a;*.mp4)|WAV(*.wav)|AIFF(*.aiff;*.aif)|PlayList(*.m3u)|全てのﾌｧｲﾙ(*.*)"));

    DialogScript::pushAnswer(writeFile(QStringLiteral("readme.txt"), "x"));
    roads.AddFromFileDialog(nullptr);
    EXPECT_EQ(model.count(), 0);

    const QString list = writeFile(QStringLiteral("l.m3u"),
                                   (song + "\r\n" + path(QStringLiteral("gone.mp3"))).toUtf8());
    DialogScript::pushAnswer(list);
    roads.AddFromFileDialog(nullptr);
    ASSERT_EQ(model.count(), 2);
    EXPECT_TRUE(model.row(2).sizeText.isEmpty());
    EXPECT_EQ(opened(), song.toStdString());
    EXPECT_EQ(engine.count("play"), 1);

    DialogScript::pushAnswer(song);
    roads.AddFromFileDialog(nullptr);
    EXPECT_EQ(model.count(), 3);
    EXPECT_EQ(engine.count("open"), 1);
}

TEST_F(RoadsTest, EmptyPlaylistStartsNothing)
{
    DialogScript::pushAnswer(writeFile(QStringLiteral("empty.m3u"), {}));
    roads.AddFromFileDialog(nullptr);
    EXPECT_EQ(model.count(), 0);
    EXPECT_TRUE(engine.calls.empty());
}

TEST_F(RoadsTest, DropKeepsOrderSkipsOtherNamesAndStartsRowOne)
{
    const QString first = writeMp3(QStringLiteral("first.mp3"));
    const QString text = writeFile(QStringLiteral("note.txt"), "x");
    const QString e1 = writeMp3(QStringLiteral("e1.mp3"));
    const QString list =
        writeFile(QStringLiteral("two.m3u"),
                  (e1 + "\r\n" + path(QStringLiteral("gone.mp3")) + "\r\n").toUtf8());
    QDir().mkpath(path(QStringLiteral("folder.mp3")));
    roads.AddFromDrop(dropOf({first, text, list, path(QStringLiteral("folder.mp3"))}).get());
    ASSERT_EQ(model.count(), 3);
    EXPECT_EQ(model.paths(), QStringList({first, e1, path(QStringLiteral("gone.mp3"))}));
    EXPECT_EQ(state.CurrentIndex, 1);
    EXPECT_EQ(opened(), first.toStdString());
    EXPECT_EQ(engine.count("play"), 1);
    EXPECT_TRUE(isPermutation(model.List1, 3));
}

TEST_F(RoadsTest, NonFileDropsDoNothing)
{
    fillRows(2);
    model.List1 = {1, 2};
    auto web = std::make_unique<QMimeData>();
    web->setUrls({QUrl(QStringLiteral("https://example.com/a.mp3"))});
    roads.AddFromDrop(web.get());
    auto plain = std::make_unique<QMimeData>();
    plain->setText(QStringLiteral("/music/a.mp3"));
    roads.AddFromDrop(plain.get());
    roads.AddFromDrop(nullptr);
    EXPECT_EQ(model.count(), 2);
    EXPECT_EQ(model.List1, std::vector<int>({1, 2}));
    EXPECT_FALSE(DropCarriesFiles(web.get()));
}

TEST_F(RoadsTest, HundredsOfDroppedFilesGoInAtOnce)
{
    QStringList names;
    for (int i = 0; i < 400; ++i)
        names << path(QStringLiteral("d/%1 曲, 'x'.mp3").arg(i));
    int inserted = 0;
    QObject::connect(&model, &QAbstractItemModel::rowsInserted, [&] { ++inserted; });
    roads.AddFromDrop(dropOf(names).get());
    EXPECT_EQ(model.count(), 400);
    EXPECT_EQ(model.paths(), names);
    EXPECT_EQ(inserted, 1);
}

TEST_F(RoadsTest, FileNamesThatAreNotUtf8StillGetRows)
{
    const QByteArray folder = QFile::encodeName(path(QStringLiteral("raw")));
    QDir().mkpath(path(QStringLiteral("raw")));
    for (const char* name : {"/\xff\xfe bad.mp3", "/ok \xe6\x9b\xb2.mp3", "/sjis \x8b\xc8.MP3"}) {
        FILE* raw = std::fopen((folder + name).constData(), "wb");
        ASSERT_NE(raw, nullptr);
        std::fputs("data", raw);
        std::fclose(raw);
    }
    DialogScript::pushAnswer(path(QStringLiteral("raw")));
    roads.AddFromFolder(nullptr);
    ASSERT_EQ(model.count(), 3);
    for (int n = 1; n <= 3; ++n) {
        EXPECT_FALSE(model.rowText(n).isEmpty()) << n;
        EXPECT_EQ(model.row(n).sizeText, "kb") << n; // measured while listing
    }
    EXPECT_EQ(engine.count("open"), 1);
}

namespace {
std::atomic<bool> g_shareAnswers{false};
// A share that does not answer: each folder read waits (at most five seconds) for the test.
void stalledShare()
{
    for (int i = 0; i < 500 && !g_shareAnswers.load(); ++i)
        QThread::msleep(10);
}
} // namespace

// A folder on a stalled share holds neither the window nor the user: the window goes on handling
// events, a box names the folder and offers 中止, and stopping adds nothing.
TEST_F(RoadsTest, AFolderThatDoesNotAnswerCanBeStoppedAndAddsNothing)
{
    writeMp3(QStringLiteral("share/a.mp3"));
    const QString folder = path(QStringLiteral("share"));
    g_shareAnswers = false;
    SetFolderWalkProbe(&stalledShare);
    QString boxText;
    bool ticked = false;
    QTimer::singleShot(700, [&] {
        ticked = true;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QProgressDialog*>(w);
            if (!box || !box->isVisible())
                continue;
            boxText = box->findChild<QLabel*>()->text();
            box->cancel();
        }
    });
    DialogScript::pushAnswer(folder);
    roads.AddFromFolder(nullptr);
    g_shareAnswers = true;
    SetFolderWalkProbe(nullptr);
    EXPECT_TRUE(ticked);
    EXPECT_EQ(boxText, QStringLiteral("フォルダを読み込んでいます…\n") + folder);
    EXPECT_EQ(model.count(), 0);
    EXPECT_EQ(engine.count("play"), 0);

    // Answering again, the same folder is added at once.
    DialogScript::pushAnswer(folder);
    roads.AddFromFolder(nullptr);
    EXPECT_EQ(model.count(), 1);
}
