// The line reader, playlist and backup files, and the save command.
#include "playlistfixture.h"

#include "playlist/playlistfile.h"

#include <QFileInfo>
#include <QStringDecoder>

namespace {
QStringList readAll(const QString& text)
{
    QStringList out;
    FieldReader reader(text);
    while (!reader.atEnd())
        out << reader.ReadField();
    return out;
}
} // namespace

TEST(FieldReaderTest, QuotedAndPlainLines)
{
    EXPECT_EQ(readAll(QStringLiteral("\"D:\\b,c.mp3\"\r\nC:\\Music\\a.mp3\r\n")),
              QStringList({"D:\\b,c.mp3", "C:\\Music\\a.mp3"}));
    EXPECT_EQ(readAll(QStringLiteral("/m/b,c.mp3\r\n/m/with blank.mp3")),
              QStringList({"/m/b,c.mp3", "/m/with blank.mp3"}));
    EXPECT_EQ(readAll(QStringLiteral("#EXTM3U\r\n\r\n#EXTINF:1,x\r\n")),
              QStringList({"#EXTM3U", "", "#EXTINF:1,x"}));
}

TEST(FieldReaderTest, EveryLineEndKind)
{
    EXPECT_EQ(readAll(QStringLiteral("a\nb\rc\r\nd")), QStringList({"a", "b", "c", "d"}));
    EXPECT_EQ(readAll(QStringLiteral("\n")), QStringList({""}));
    EXPECT_TRUE(readAll(QString()).isEmpty());
}

TEST(FieldReaderTest, QuotedFieldEndsAtTheLinesLastQuote)
{
    // A path holding a double quote comes back whole from the quoted backup line.
    EXPECT_EQ(readAll(QStringLiteral("\"/m/say \"hi\".mp3\"\r\n")),
              QStringList({"/m/say \"hi\".mp3"}));
    EXPECT_EQ(readAll(QStringLiteral("\"unclosed, name\r\n\"\"\r\n")),
              QStringList({"unclosed, name", ""}));
}

class PlaylistFileTest : public PlaylistFixture {};

TEST_F(PlaylistFileTest, EmptyAndMissingFilesAddNothing)
{
    EXPECT_EQ(AddPlaylistFile(model, writeFile(QStringLiteral("empty.m3u"), {})), 0);
    bool ok = true;
    EXPECT_TRUE(ReadPlaylistEntries(path(QStringLiteral("none.m3u")), &ok).isEmpty());
    EXPECT_FALSE(ok);
    QDir().mkpath(path(QStringLiteral("dir.m3u")));
    EXPECT_EQ(AddPlaylistFile(model, path(QStringLiteral("dir.m3u"))), 0);
    EXPECT_EQ(AddPlaylistFile(model, QStringLiteral("/dev/zero")), 0);
    EXPECT_EQ(model.count(), 0);
}

TEST_F(PlaylistFileTest, ExtendedListsSkipCommentsAndFindRelativeEntriesBesideTheList)
{
    const QString real = writeMp3(QStringLiteral("real.mp3"), 4096);
    const QString inner = writeMp3(QStringLiteral("lists/inner.mp3"), 2048);
    QDir().mkpath(path(QStringLiteral("sub")));
    const QByteArray text = ("#EXTM3U\r\n#EXTINF:12,Artist - Title\r\n../real.mp3\r\n"
                             "#EXTINF:3,x\r\ninner.mp3\r\n" +
                             path(QStringLiteral("gone.mp3")) + "\r\n" +
                             path(QStringLiteral("sub")) + "\r\n/dev/zero\r\n")
                                .toUtf8();
    // Read from another working folder than the list's.
    EXPECT_EQ(AddPlaylistFile(model, writeFile(QStringLiteral("lists/list.m3u"), text)), 5);
    ASSERT_EQ(model.count(), 5);
    EXPECT_EQ(model.rowPath(1), real);
    EXPECT_EQ(model.rowPath(2), inner);
    EXPECT_EQ(model.row(1).sizeText, "4kb");
    EXPECT_EQ(model.row(2).sizeText, "2kb");
    for (int n = 3; n <= 5; ++n)
        EXPECT_TRUE(model.row(n).sizeText.isEmpty()) << n; // every entry still gets its row
}

TEST_F(PlaylistFileTest, WindowsBackslashesNameFoldersWhenTheNameAsWrittenIsNoFile)
{
    const QString loud = writeMp3(QStringLiteral("Misc/LOUD SONG.MP3"), 4096);
    // A name that holds a backslash itself stays as it is.
    const QString odd = writeMp3(QStringLiteral("odd\\name.mp3"), 2048);
    const QByteArray text = "Misc\\LOUD SONG.MP3\r\nodd\\name.mp3\r\nMissing\\gone.mp3\r\n";
    EXPECT_EQ(AddPlaylistFile(model, writeFile(QStringLiteral("win.m3u"), text)), 3);
    ASSERT_EQ(model.count(), 3);
    EXPECT_EQ(model.rowPath(1), loud);
    EXPECT_EQ(model.row(1).sizeText, "4kb");
    EXPECT_EQ(model.rowPath(2), odd);
    EXPECT_EQ(model.rowPath(3), path(QStringLiteral("Missing\\gone.mp3")));
}

TEST_F(PlaylistFileTest, ReadsUtf8WithBomShiftJisAndLfOnly)
{
    const QString name = QStringLiteral("/music/日本語 の曲①.mp3");
    EXPECT_EQ(ReadPlaylistEntries(writeFile(QStringLiteral("bom.m3u"),
                                            "\xEF\xBB\xBF" + name.toUtf8() + "\n/b.mp3\n")),
              QStringList({name, "/b.mp3"}));
    QStringEncoder sjis("Shift_JIS");
    const QByteArray sjisBytes = sjis(name);
    ASSERT_FALSE(sjis.hasError());
    EXPECT_EQ(ReadPlaylistEntries(writeFile(QStringLiteral("sjis.m3u"), sjisBytes + "\r\n")),
              QStringList({name}));
}

TEST_F(PlaylistFileTest, HugeLinesManyEntriesAndBinaryJunkAreTolerated)
{
    const QByteArray longLine(1024 * 1024, 'a');
    const QStringList longEntries =
        ReadPlaylistEntries(writeFile(QStringLiteral("long.m3u"), longLine + "\r\nx.mp3\r\n"));
    ASSERT_EQ(longEntries.size(), 2);
    EXPECT_EQ(longEntries[0].size(), 1024 * 1024);

    QByteArray many;
    for (int i = 0; i < 100000; ++i)
        many += "/nowhere/track" + QByteArray::number(i) + ".mp3\r\n";
    EXPECT_EQ(AddPlaylistFile(model, writeFile(QStringLiteral("many.m3u"), many)), 100000);
    EXPECT_EQ(model.rowPath(100000), "/nowhere/track99999.mp3");

    QByteArray junk;
    for (int i = 0; i < 70000; ++i)
        junk += static_cast<char>((i * 7919 + 13) % 256);
    const int lines = static_cast<int>(junk.count('\n') + junk.count('\r'));
    const int added = AddPlaylistFile(model, writeFile(QStringLiteral("junk.m3u"), junk));
    EXPECT_GT(added, 0);
    EXPECT_LE(added, lines + 1);
}

TEST_F(PlaylistFileTest, BackupRoundTripsAwkwardPathsAsQuotedCrLfUtf8)
{
    const QStringList names = {
        path(QStringLiteral("b,c.mp3")), path(QStringLiteral("with  blanks .mp3")),
        path(QStringLiteral("say \"hi\".mp3")), path(QStringLiteral("日本語の曲.MP3")),
        QStringLiteral("relative/x.mp3")};
    for (const QString& name : names)
        model.AddRow(name);
    const QString backup = path(QStringLiteral("listbu.bak"));
    ASSERT_TRUE(WriteBackup(model, backup));
    const QByteArray bytes = readFile(backup);
    EXPECT_TRUE(bytes.startsWith("\"" + names[0].toUtf8() + "\"\r\n"));
    EXPECT_EQ(bytes.count("\r\n"), names.size());

    PlaylistModel restored;
    EXPECT_EQ(ReadBackup(restored, backup), names.size());
    EXPECT_EQ(restored.paths(), names);
}

TEST_F(PlaylistFileTest, EmptyListWritesZeroByteBackupThatRestoresNothing)
{
    const QString backup = writeFile(QStringLiteral("listbu.bak"), "\"/old.mp3\"\r\n");
    ASSERT_TRUE(WriteBackup(model, backup));
    EXPECT_EQ(QFileInfo(backup).size(), 0);
    EXPECT_EQ(ReadBackup(model, backup), 0);
    EXPECT_EQ(ReadBackup(model, path(QStringLiteral("absent.bak"))), 0);
}

TEST_F(PlaylistFileTest, FailedWriteReportsAndLeavesNoFile)
{
    model.AddRow(QStringLiteral("/m/a.mp3"));
    const QString blocker = writeFile(QStringLiteral("plainfile"), "x");
    QString error;
    EXPECT_FALSE(WriteBackup(model, blocker + QStringLiteral("/listbu.bak"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readFile(blocker), "x");
}

class SavePlaylistTest : public PlaylistFixture {
protected:
    void addThree()
    {
        model.AddRow(QStringLiteral("/music/a.mp3"));
        model.AddRow(QStringLiteral("/music/b,c.mp3"));
        model.AddRow(QStringLiteral("rel/c.mp3"));
    }
};

TEST_F(SavePlaylistTest, EmptyListIsRefusedBeforeAnyDialog)
{
    EXPECT_FALSE(SavePlaylist(nullptr, model));
    ASSERT_EQ(MessageBoxScript::shown().size(), 1u);
    EXPECT_EQ(MessageBoxScript::shown()[0].text, QStringLiteral("リストにアイテムがありません！"));
    EXPECT_EQ(MessageBoxScript::shown()[0].caption, "ERROR");
    EXPECT_EQ(MessageBoxScript::shown()[0].icon, QMessageBox::Warning);
    EXPECT_TRUE(DialogScript::askedFilters().isEmpty());
}

TEST_F(SavePlaylistTest, NewNameGetsExtensionWithoutQuestionThenOverwriteAsks)
{
    addThree();
    DialogScript::pushAnswer(path(QStringLiteral("mix")));
    EXPECT_TRUE(SavePlaylist(nullptr, model));
    EXPECT_TRUE(MessageBoxScript::shown().empty());
    EXPECT_EQ(DialogScript::askedFilters().last(),
              QStringLiteral("PlayList(*.m3u)|全てのﾌｧｲﾙ(*.*)"));
    const QString saved = path(QStringLiteral("mix.m3u"));
    EXPECT_EQ(readFile(saved), "/music/a.mp3\r\n/music/b,c.mp3\r\nrel/c.mp3\r\n");

    // Saving again to mix.m3u asks first; Cancel writes nothing.
    model.AddRow(QStringLiteral("/music/d.mp3"));
    DialogScript::pushAnswer(saved);
    MessageBoxScript::pushAnswer(QMessageBox::Cancel);
    EXPECT_FALSE(SavePlaylist(nullptr, model));
    ASSERT_EQ(MessageBoxScript::shown().size(), 1u);
    EXPECT_EQ(MessageBoxScript::shown()[0].text,
              QStringLiteral("演奏リストを上書き保存しますか？"));
    EXPECT_EQ(MessageBoxScript::shown()[0].caption, QStringLiteral("上書き保存"));
    EXPECT_EQ(MessageBoxScript::shown()[0].icon, QMessageBox::Question);
    EXPECT_EQ(readFile(saved).count("\r\n"), 3);

    DialogScript::pushAnswer(saved);
    MessageBoxScript::pushAnswer(QMessageBox::Ok);
    EXPECT_TRUE(SavePlaylist(nullptr, model));
    EXPECT_EQ(readFile(saved).count("\r\n"), 4);
}

TEST_F(SavePlaylistTest, CapitalExtensionIsNotAPlaylistName)
{
    addThree();
    DialogScript::pushAnswer(path(QStringLiteral("list.M3U")));
    EXPECT_TRUE(SavePlaylist(nullptr, model));
    EXPECT_TRUE(MessageBoxScript::shown().empty());
    EXPECT_TRUE(QFileInfo::exists(path(QStringLiteral("list.M3U.m3u"))));
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("list.M3U"))));
}

TEST_F(SavePlaylistTest, CancelledDialogWritesNothing)
{
    addThree();
    DialogScript::pushAnswer(QString());
    EXPECT_FALSE(SavePlaylist(nullptr, model));
    EXPECT_TRUE(MessageBoxScript::shown().empty());
    EXPECT_TRUE(QDir(m_dir).entryList(QDir::Files).isEmpty());
}

TEST_F(SavePlaylistTest, FailedSaveIsReportedInsteadOfSilent)
{
    addThree();
    const QString blocker = writeFile(QStringLiteral("notafolder"), "keep");
    DialogScript::pushAnswer(blocker + QStringLiteral("/out"));
    EXPECT_FALSE(SavePlaylist(nullptr, model));
    ASSERT_EQ(MessageBoxScript::shown().size(), 1u);
    EXPECT_TRUE(MessageBoxScript::shown()[0].text.startsWith(
        QStringLiteral("演奏リストを保存できませんでした！")));
    EXPECT_EQ(MessageBoxScript::shown()[0].icon, QMessageBox::Warning);
    EXPECT_EQ(readFile(blocker), "keep");
}

TEST_F(SavePlaylistTest, CommaPathSurvivesASavedPlaylist)
{
    addThree();
    const QString saved = path(QStringLiteral("again.m3u"));
    DialogScript::pushAnswer(saved);
    ASSERT_TRUE(SavePlaylist(nullptr, model));
    PlaylistModel reread;
    EXPECT_EQ(AddPlaylistFile(reread, saved), 3);
    // The relative row comes back found beside the saved list.
    EXPECT_EQ(reread.paths(),
              QStringList({model.rowPath(1), model.rowPath(2), path(QStringLiteral("rel/c.mp3"))}));
}

// Lists nobody here wrote: blank lines are no rows; a line longer than any path is skipped with
// one message, not measured as a file; a name holding a line break survives the backup, written
// on one line that an older reader takes as one row.
TEST_F(PlaylistFileTest, BlankOverlongAndLineBreakEntries)
{
    MessageBoxScript::enable();
    const QByteArray longLine(2 * 1024 * 1024, 'a');
    const int added = AddPlaylistFile(
        model, writeFile(QStringLiteral("odd.m3u"),
                         "\r\n  \r\nx.mp3\r\n\r\n" + longLine + "\r\n" + longLine + "\ny.mp3\r\n"));
    const std::vector<ShownMessage> shown = MessageBoxScript::shown();
    MessageBoxScript::disable();
    EXPECT_EQ(added, 2);
    EXPECT_EQ(model.rowPath(2), path(QStringLiteral("y.mp3")));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.contains(QStringLiteral("2"))) << shown[0].text.toStdString();

    PlaylistModel list;
    const QStringList names = {path(QStringLiteral("two\nlines.mp3")),
                               path(QStringLiteral("tab\tand 100%.mp3")),
                               path(QStringLiteral("plain.mp3"))};
    for (const QString& name : names)
        list.AddRow(name);
    const QString backup = path(QStringLiteral("listbu.bak"));
    ASSERT_TRUE(WriteBackup(list, backup));
    const QByteArray bytes = readFile(backup);
    EXPECT_EQ(bytes.count('\n'), names.size()) << bytes.toStdString();
    EXPECT_TRUE(bytes.endsWith("\"" + names[2].toUtf8() + "\"\r\n")); // as before
    PlaylistModel restored;
    EXPECT_EQ(ReadBackup(restored, backup), names.size());
    EXPECT_EQ(restored.paths(), names);
}
