// Speed of the playlist's roads in: a 999-file folder, a 999-row backup at start-up, OpenTrack on
// a local file with the real engine (null output), and the larger bad-input cases.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>

#include <unistd.h>

#include "engine/playbackengine.h"
#include "playlist/jumpbox.h"
#include "playlist/playlistfile.h"
#include "playlist/playlistmodel.h"
#include "playlist/playlistroads.h"
#include "playlist/playlistwindow.h"
#include "playlist/startupfill.h"
#include "playlist/trackops.h"
#include "shell/dialogs.h"
#include "shell/messagebox.h"
#include "state/appstate.h"

namespace {
// One folder of 999 MP3 files (hard links to one 3-second tone) and a backup naming them.
struct Material {
    QTemporaryDir dir;
    QString folder;
    QString tone;
    QString backup;
    QString bigFolder;
    QString sameFolder;  // 2,000 ".mp3" names
    QString mixedFolder; // 2,000 names of the seven formats in turn
    bool ok = false;

    Material()
    {
        folder = dir.path() + QStringLiteral("/album");
        bigFolder = dir.path() + QStringLiteral("/big");
        QDir().mkpath(folder);
        QDir().mkpath(bigFolder);
        tone = dir.path() + QStringLiteral("/tone.mp3");
        const QString command =
            QStringLiteral("sox -n -r 44100 -c 2 -b 16 -t wav - synth 3 sine 440 vol 0.5 "
                           "2>/dev/null | lame --quiet -b 128 - '%1' 2>/dev/null")
                .arg(tone);
        if (std::system(command.toLocal8Bit().constData()) != 0 || !QFile::exists(tone))
            return;
        PlaylistModel rows;
        for (int i = 0; i < 999; ++i) {
            const QString name =
                folder + QStringLiteral("/%1 track.mp3").arg(i, 3, 10, QLatin1Char('0'));
            if (link(QFile::encodeName(tone).constData(), QFile::encodeName(name).constData()) != 0)
                return;
            rows.AddRow(name);
        }
        for (int i = 0; i < 5000; ++i) {
            const QString name = bigFolder + QStringLiteral("/%1.mp3").arg(i);
            if (link(QFile::encodeName(tone).constData(), QFile::encodeName(name).constData()) != 0)
                return;
        }
        // The names alone differ: the listing judges names, the engine the content.
        sameFolder = dir.path() + QStringLiteral("/same");
        mixedFolder = dir.path() + QStringLiteral("/mixed");
        QDir().mkpath(sameFolder);
        QDir().mkpath(mixedFolder);
        static const char* const kExtensions[] = {".mp3", ".flac", ".ogg", ".opus",
                                                  ".m4a", ".wav",  ".aiff"};
        for (int i = 0; i < 2000; ++i) {
            const QString same =
                sameFolder + QStringLiteral("/%1 track.mp3").arg(i, 4, 10, QLatin1Char('0'));
            const QString mixed = mixedFolder +
                                  QStringLiteral("/%1 track").arg(i, 4, 10, QLatin1Char('0')) +
                                  QLatin1String(kExtensions[i % 7]);
            if (link(QFile::encodeName(tone).constData(), QFile::encodeName(same).constData()) !=
                    0 ||
                link(QFile::encodeName(tone).constData(), QFile::encodeName(mixed).constData()) !=
                    0)
                return;
        }
        backup = dir.path() + QStringLiteral("/listbu.bak");
        ok = WriteBackup(rows, backup);
    }
};

Material& material()
{
    static Material m;
    return m;
}

// The program's objects around the real engine on the null output.
struct Player {
    AppState state;
    PlaybackEngine engine;
    PlaylistModel model;
    TrackOps ops{state, engine, model};
    Player() { engine.init(); }
    ~Player()
    {
        engine.close();
        engine.free();
    }
};

void addFolder(benchmark::State& run, const QString& folder, int expected)
{
    if (!material().ok) {
        run.SkipWithError("sox/lame could not make the test files");
        return;
    }
    for (auto _ : run) {
        Player player;
        PlaylistWindow window(player.state, player.model, player.ops);
        window.show();
        QApplication::processEvents();
        DialogScript::pushAnswer(folder);
        window.roads().AddFromFolder(&window);
        QApplication::processEvents(); // the rows are painted
        if (player.model.count() != expected)
            run.SkipWithError("rows missing");
        run.PauseTiming();
        player.ops.StopTrack();
        run.ResumeTiming();
    }
}

// A folder of 999 MP3 files: listing, rows, shuffle, row 1 opened and playing, the view painted.
void BM_AddFolder999(benchmark::State& run)
{
    addFolder(run, material().folder, 999);
}
BENCHMARK(BM_AddFolder999)->Unit(benchmark::kMillisecond);

// Listing 2,000 files of one format against 2,000 of seven formats (same run, compare the two).
void listFolder(benchmark::State& run, const QString& folder)
{
    if (!material().ok) {
        run.SkipWithError("sox/lame could not make the test files");
        return;
    }
    for (auto _ : run) {
        if (ListAudioFiles(folder).size() != 2000)
            run.SkipWithError("files missing");
    }
}

void BM_ListFolder2000Mp3(benchmark::State& run)
{
    listFolder(run, material().sameFolder);
}
BENCHMARK(BM_ListFolder2000Mp3)->Unit(benchmark::kMillisecond);

void BM_ListFolder2000Mixed(benchmark::State& run)
{
    listFolder(run, material().mixedFolder);
}
BENCHMARK(BM_ListFolder2000Mixed)->Unit(benchmark::kMillisecond);

void BM_AddFolder2000Mp3(benchmark::State& run)
{
    addFolder(run, material().sameFolder, 2000);
}
BENCHMARK(BM_AddFolder2000Mp3)->Unit(benchmark::kMillisecond);

void BM_AddFolder2000Mixed(benchmark::State& run)
{
    addFolder(run, material().mixedFolder, 2000);
}
BENCHMARK(BM_AddFolder2000Mixed)->Unit(benchmark::kMillisecond);

void BM_AddFolder5000(benchmark::State& run)
{
    addFolder(run, material().bigFolder, 5000);
}
BENCHMARK(BM_AddFolder5000)->Unit(benchmark::kMillisecond);

// Start-up with a 999-row backup: rows restored and row 1 opened (not played).
void BM_RestoreBackup999(benchmark::State& run)
{
    if (!material().ok) {
        run.SkipWithError("sox/lame could not make the test files");
        return;
    }
    for (auto _ : run) {
        Player player;
        StartupFill(player.state, player.model, player.ops, {}, material().backup);
        if (player.model.count() != 999 || !player.state.FileOpened)
            run.SkipWithError("backup not restored");
    }
}
BENCHMARK(BM_RestoreBackup999)->Unit(benchmark::kMillisecond);

// OpenTrack on a local file with the real engine: open, tag, MPEG info, lyrics, volume.
void BM_OpenTrack(benchmark::State& run)
{
    if (!material().ok) {
        run.SkipWithError("sox/lame could not make the test files");
        return;
    }
    Player player;
    player.model.AddRow(material().tone);
    for (auto _ : run) {
        player.ops.OpenTrack(material().tone);
        if (!player.state.FileOpened)
            run.SkipWithError("open failed");
    }
}
BENCHMARK(BM_OpenTrack)->Unit(benchmark::kMillisecond);

// A playlist file of 100 000 entries naming missing files.
void BM_ReadPlaylist100000(benchmark::State& run)
{
    QTemporaryDir dir;
    const QString list = dir.path() + QStringLiteral("/many.m3u");
    QFile file(list);
    file.open(QIODevice::WriteOnly);
    for (int i = 0; i < 100000; ++i)
        file.write("/nowhere/track" + QByteArray::number(i) + ".mp3\r\n");
    file.close();
    for (auto _ : run) {
        PlaylistModel model;
        benchmark::DoNotOptimize(AddPlaylistFile(model, list));
        model.MakeRandomOrder();
    }
}
BENCHMARK(BM_ReadPlaylist100000)->Unit(benchmark::kMillisecond);
// 10 000 rows with mixed Japanese and Latin tags, as the jump box searches them.
void fillTagged(PlaylistModel& model)
{
    static const char16_t* const kWords[] = {
        u"サクラ", u"さくら",        u"ｻｸﾗ",  u"Spring", u"ＳＵＭＭＥＲ",
        u"夏祭り", u"Autumn Leaves", u"ふゆ", u"Night",  u"星"};
    std::vector<PlaylistRow> rows;
    rows.reserve(10000);
    for (int i = 0; i < 10000; ++i)
        rows.push_back(MakeRowWithSize(
            QStringLiteral("/music/artist %1/album %2/%3 track.mp3").arg(i % 97).arg(i % 13).arg(i),
            4000000));
    model.appendRows(rows);
    for (int i = 1; i <= 10000; ++i) {
        RowTags tags;
        tags.title = QString::fromUtf16(kWords[i % 10]) + QStringLiteral(" %1").arg(i);
        tags.artist = QStringLiteral("Artist %1 ").arg(i % 97) + QString::fromUtf16(kWords[i % 7]);
        tags.album = QStringLiteral("Album %1").arg(i % 13);
        model.setRowTags(i, model.rowPath(i), tags);
    }
}

// The first key typed: every row's text folded once, then matched.
void BM_JumpFirstKey10000(benchmark::State& run)
{
    for (auto _ : run) {
        run.PauseTiming();
        PlaylistModel model;
        fillTagged(model);
        run.ResumeTiming();
        benchmark::DoNotOptimize(model.findRows(QStringLiteral("さくら")));
    }
}
BENCHMARK(BM_JumpFirstKey10000)->Unit(benchmark::kMillisecond);

// Each later key in the jump box: match every row and refill the box's list.
void BM_JumpTyping10000(benchmark::State& run)
{
    PlaylistModel model;
    fillTagged(model);
    JumpBox box(model);
    box.openBox();
    static const char16_t* const kTyped[] = {u"さ",    u"さく", u"さくら",
                                             u"ｻｸﾗ 1", u"spr",  u"sum 99"};
    int k = 0;
    for (auto _ : run) {
        box.queryEdit()->setText(QString::fromUtf16(kTyped[k++ % 6]));
        benchmark::DoNotOptimize(box.matches().size());
    }
}
BENCHMARK(BM_JumpTyping10000)->Unit(benchmark::kMillisecond);

// Reference: a case-blind contains over the file names alone, without any folding.
void BM_JumpReferencePlainContains10000(benchmark::State& run)
{
    PlaylistModel model;
    fillTagged(model);
    int k = 0;
    static const char* const kTyped[] = {"s", "sa", "sak", "tra", "spr", "sum"};
    for (auto _ : run) {
        const QString query = QString::fromLatin1(kTyped[k++ % 6]);
        std::vector<int> found;
        for (int n = 1; n <= model.count(); ++n)
            if (model.rowRef(n).text.contains(query, Qt::CaseInsensitive))
                found.push_back(n);
        benchmark::DoNotOptimize(found.size());
    }
}
BENCHMARK(BM_JumpReferencePlainContains10000)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!std::getenv("MORVANE_AUDIO"))
        setenv("MORVANE_AUDIO", "null", 1);
    QApplication app(argc, argv);
    MessageBoxScript::enable(); // a failure must not wait for a click
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
