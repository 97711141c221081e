// Start-up's playlist from the command line or the backup.
#include "playlistfixture.h"

#include "playlist/playlistfile.h"
#include "playlist/startupfill.h"
#include "shell/pathbytes.h"

#include <fcntl.h>

class StartupFillTest : public PlaylistFixture {
protected:
    QString backup() const { return path(QStringLiteral("listbu.bak")); }
    void writeBackupOf(const QStringList& paths)
    {
        PlaylistModel saved;
        for (const QString& p : paths)
            saved.AddRow(p);
        ASSERT_TRUE(WriteBackup(saved, backup()));
    }
};

TEST_F(StartupFillTest, UpperCaseMp3ArgumentIsOpenedAndPlayed)
{
    writeBackupOf({QStringLiteral("/music/x.mp3")});
    const QString song = writeMp3(QStringLiteral("LOUD.MP3"));
    StartupFill(state, model, ops, {song}, backup());
    ASSERT_EQ(model.count(), 1);
    EXPECT_EQ(model.rowText(1), "Loud.Mp3");
    EXPECT_EQ(state.CurrentIndex, 1);
    EXPECT_EQ(opened(), song.toStdString());
    EXPECT_EQ(engine.calls.back(), "play");
}

TEST_F(StartupFillTest, RelativeAndShiftJisNamedArgumentsAreStoredAbsoluteAndOpenedByTheirBytes)
{
    // "テスト.mp3" named in Shift-JIS, as old archives unpack, given relative to the folder the
    // program starts in.
    const QByteArray name("\x83\x65\x83\x58\x83\x67.mp3");
    const QByteArray full = QFile::encodeName(path(QString())) + name;
    QFile file;
    ASSERT_TRUE(file.open(::open(full.constData(), O_WRONLY | O_CREAT, 0644), QIODevice::WriteOnly,
                          QFileDevice::AutoCloseHandle));
    file.write(QByteArray(2048, '\xff'));
    file.close();
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(path(QString())));
    char program[] = "morvane";
    QByteArray argument = name;
    char* argv[] = {program, argument.data()};
    StartupFill(state, model, ops, ArgumentPaths(2, argv), backup());
    QDir::setCurrent(before);

    ASSERT_EQ(model.count(), 1);
    EXPECT_EQ(model.rowText(1), QStringLiteral("テスト.mp3"));
    EXPECT_EQ(model.row(1).sizeText, "2kb");
    EXPECT_EQ(opened(), full.toStdString());
    // The backup keeps the same bytes and finds the file again from any folder.
    ASSERT_TRUE(WriteBackup(model, backup()));
    PlaylistModel restored;
    ASSERT_EQ(ReadBackup(restored, backup()), 1);
    EXPECT_EQ(restored.row(1).sizeText, "2kb");
    EXPECT_EQ(PathBytes(restored.rowPath(1)), full);
}

TEST_F(StartupFillTest, PlaylistArgumentPlaysItsFirstRow)
{
    const QString a = writeMp3(QStringLiteral("a.mp3"));
    const QString b = writeMp3(QStringLiteral("b.mp3"));
    StartupFill(state, model, ops,
                {writeFile(QStringLiteral("l.m3u"), (a + "\r\n" + b + "\r\n").toUtf8())}, backup());
    EXPECT_EQ(model.paths(), QStringList({a, b}));
    EXPECT_EQ(opened(), a.toStdString());
    EXPECT_EQ(engine.count("play"), 1);
    EXPECT_EQ(model.List1.size(), 2u);
}

TEST_F(StartupFillTest, BackupRestoresRowsAndOpensRowOneStopped)
{
    const QStringList paths = {writeMp3(QStringLiteral("1.mp3")), writeMp3(QStringLiteral("2.mp3")),
                               path(QStringLiteral("gone.mp3"))};
    writeBackupOf(paths);
    state.CurrentIndex = 0;
    StartupFill(state, model, ops, {}, backup());
    EXPECT_EQ(model.paths(), paths);
    EXPECT_EQ(state.CurrentIndex, 1);
    EXPECT_EQ(opened(), paths[0].toStdString());
    EXPECT_EQ(engine.count("play"), 0);
    EXPECT_EQ(model.markedRow(), 1);
}

TEST_F(StartupFillTest, SeveralArgumentsAreAllAddedAndOtherNamesRestoreTheBackup)
{
    const QString song = writeMp3(QStringLiteral("s.mp3"));
    const QString second = writeMp3(QStringLiteral("t.mp3"));
    // The engine judges a file by content; start-up takes every audio extension.
    const QString flac = writeFile(QStringLiteral("u.FLAC"), "x");
    const QString opus = writeFile(QStringLiteral("v.opus"), "x");
    writeBackupOf({song});
    StartupFill(state, model, ops, {second, flac, opus, song}, backup());
    EXPECT_EQ(model.paths(), QStringList({second, flac, opus, song}));
    EXPECT_EQ(opened(), second.toStdString());
    EXPECT_EQ(engine.count("play"), 1);
    PlaylistModel other;
    TrackOps otherOps(state, engine, other);
    StartupFill(state, other, otherOps, {writeFile(QStringLiteral("n.txt"), "x")}, backup());
    EXPECT_EQ(other.paths(), QStringList({song}));
    EXPECT_TRUE(MessageBoxScript::shown().empty());
}

TEST_F(StartupFillTest, UnreadableArgumentIsReportedThenTheBackupFollows)
{
    const QString kept = writeMp3(QStringLiteral("kept.mp3"));
    writeBackupOf({kept});
    StartupFill(state, model, ops, {path(QStringLiteral("missing.mp3"))}, backup());
    ASSERT_EQ(MessageBoxScript::shown().size(), 1u);
    EXPECT_TRUE(MessageBoxScript::shown()[0].text.contains(QStringLiteral("missing.mp3")));
    EXPECT_EQ(model.paths(), QStringList({kept}));
    EXPECT_EQ(engine.count("play"), 0);
}

TEST_F(StartupFillTest, EmptyOrMissingBackupOpensNothing)
{
    writeBackupOf({});
    StartupFill(state, model, ops, {}, backup());
    StartupFill(state, model, ops, {}, path(QStringLiteral("never.bak")));
    EXPECT_EQ(model.count(), 0);
    EXPECT_TRUE(engine.calls.empty());
    EXPECT_TRUE(MessageBoxScript::shown().empty());
}

TEST_F(StartupFillTest, QuitThenStartKeepsTheList)
{
    const QStringList paths = {path(QStringLiteral("b,c.mp3")), QStringLiteral("rel/a.mp3")};
    for (const QString& p : paths)
        model.AddRow(p);
    ASSERT_TRUE(WriteBackup(model, backup()));
    PlaylistModel next;
    TrackOps nextOps(state, engine, next);
    StartupFill(state, next, nextOps, {}, backup());
    EXPECT_EQ(next.paths(), paths);
}
