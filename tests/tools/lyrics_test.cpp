// The lyrics editor: time tags, the file format, and the window's table commands.
#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>

#include <fcntl.h>
#include <unistd.h>

#include "tools/lyricseditorwindow.h"
#include "tools/lyricsfile.h"
#include "shell/pathbytes.h"
#include "shell/textcodec.h"
#include "tools/textfile.h"

// The friend QtTest uses to mark an event as coming from the window system (the close box).
class QSpontaneKeyEvent {
public:
    static void setSpontaneous(QEvent* event) { event->setSpontaneous(); }
};

namespace {
// Clicks the window's close box.
bool clickCloseBox(QWidget& window)
{
    QCloseEvent event;
    QSpontaneKeyEvent::setSpontaneous(&event);
    // notify() keeps the mark that sendEvent() would clear.
    qApp->notify(&window, &event);
    if (event.isAccepted())
        window.hide();
    return event.isAccepted();
}
} // namespace
#include "toolsfixture.h"

TEST(TimeTag, FormatsMinutesSecondsAndTruncatedHundredths)
{
    EXPECT_EQ(FormatTimeTag(0), QStringLiteral("[00:00:00]"));
    EXPECT_EQ(FormatTimeTag(59999), QStringLiteral("[00:59:99]"));
    EXPECT_EQ(FormatTimeTag(3600000), QStringLiteral("[60:00:00]"));
    EXPECT_EQ(FormatTimeTag(6000000), QStringLiteral("[100:00:00]"));
    EXPECT_EQ(FormatTimeTag(83456), QStringLiteral("[01:23:45]"));
    EXPECT_EQ(FormatTimeTag(187254), QStringLiteral("[03:07:25]"));
    EXPECT_EQ(FormatTimeTag(7), QStringLiteral("[00:00:00]"));
    EXPECT_EQ(FormatTimeTag(-5), QStringLiteral("[00:00:00]"));
}

TEST(LyricsParse, SplitsAtTheFirstClosingBracket)
{
    auto rows = ParseLyricsText(
        QStringLiteral("[00:12:50]hello, world, again\r\n[00:01:00][00:05:00]twice\r\n[x]\r\n"));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0],
              (LyricsRow{QStringLiteral("[00:12:50]"), QStringLiteral("hello, world, again")}));
    EXPECT_EQ(rows[1],
              (LyricsRow{QStringLiteral("[00:01:00]"), QStringLiteral("[00:05:00]twice")}));
    EXPECT_EQ(rows[2], (LyricsRow{QStringLiteral("[x]"), QString()}));
    // Writing them again gives the same lines.
    EXPECT_EQ(FormatLyricsFile(rows),
              QByteArray("[00:12:50]hello, world, again\r\n[00:01:00][00:05:00]twice\r\n[x]\r\n"));
}

TEST(LyricsParse, LooksForTheBracketInTheFirstTwentyCharactersOnly)
{
    const QString at20 = QStringLiteral("[") + QString(18, QLatin1Char('1')) + QStringLiteral("]a");
    const QString at21 = QStringLiteral("[") + QString(19, QLatin1Char('1')) + QStringLiteral("]b");
    auto rows = ParseLyricsText(at20 + QStringLiteral("\n") + at21 + QStringLiteral("\n"));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].time.size(), 20);
    EXPECT_EQ(rows[0].text, QStringLiteral("a"));
}

TEST(LyricsParse, SkipsLinesNotStartingWithABracket)
{
    auto rows =
        ParseLyricsText(QStringLiteral("title\n\n [00:01:00]indented\n[ti:Song]\n[00:02:00]x"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].time, QStringLiteral("[ti:Song]"));
    EXPECT_EQ(rows[1].text, QStringLiteral("x"));
}

TEST(LyricsParse, FillsAtMost998RowsFromThe999FirstLines)
{
    QString text;
    for (int i = 0; i < 1200; ++i)
        text += QStringLiteral("[%1]line\r\n").arg(i);
    auto rows = ParseLyricsText(text);
    ASSERT_EQ(rows.size(), 998u);
    EXPECT_EQ(rows.back().time, QStringLiteral("[997]"));

    // Untagged lines count among the 999 lines looked at.
    QString mixed = QString(QStringLiteral("junk\n")).repeated(990);
    for (int i = 0; i < 20; ++i)
        mixed += QStringLiteral("[%1]\n").arg(i);
    EXPECT_EQ(ParseLyricsText(mixed).size(), 9u);
}

TEST(LyricsFile, StopsAtTheFirstRowWithoutATime)
{
    std::vector<LyricsRow> rows(kLyricsRows);
    rows[0] = {QStringLiteral("[00:01:00]"), QStringLiteral("one")};
    rows[1] = {QStringLiteral("[00:02:00]"), QString()};
    rows[2] = {QStringLiteral("[00:03:00]"), QStringLiteral("三")};
    rows[3] = {QString(), QStringLiteral("lost")};
    rows[4] = {QStringLiteral("[00:05:00]"), QStringLiteral("five")};
    EXPECT_EQ(FormatLyricsFile(rows),
              QStringLiteral("[00:01:00]one\r\n[00:02:00]\r\n[00:03:00]三\r\n").toUtf8());
    EXPECT_TRUE(FormatLyricsFile(std::vector<LyricsRow>(kLyricsRows)).isEmpty());
}

TEST(LyricsFile, InsertingARowMovesTheRestDown)
{
    std::vector<LyricsRow> rows(kLyricsRows);
    for (int i = 0; i < 7; ++i)
        rows[i] = {QStringLiteral("[%1]").arg(i + 1), QString()};
    InsertEmptyRow(rows, 4);
    EXPECT_EQ(rows[4], LyricsRow{});
    EXPECT_EQ(rows[5].time, QStringLiteral("[5]"));
    EXPECT_EQ(rows[7].time, QStringLiteral("[7]"));
    EXPECT_EQ(rows[3].time, QStringLiteral("[4]"));

    rows.back() = {QStringLiteral("[last]"), QString()};
    InsertEmptyRow(rows, kLyricsRows - 1);
    EXPECT_EQ(rows.back().time, QStringLiteral("[last]"));
    InsertEmptyRow(rows, 0);
    EXPECT_EQ(rows.back().time, QString()); // the last row falls off
}

TEST(TextFiles, AFileOverItsLimitIsRefusedWithAReason)
{
    const QString path = QString::fromStdString(TestTempDir()) + QStringLiteral("/limited.txt");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("一行目\n二行目\n").toUtf8());
    file.close();
    QString text;
    QString error;
    EXPECT_FALSE(ReadTextFile(path, text, error, 14));  // 20 bytes
    EXPECT_TRUE(error.startsWith(QStringLiteral("ファイルが大きすぎます。"))) << error.toStdString();
    ASSERT_TRUE(ReadTextFile(path, text, error, 20));
    EXPECT_EQ(text, QStringLiteral("一行目\n二行目\n"));
    EXPECT_FALSE(ReadTextFile(path + QStringLiteral(".missing"), text, error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(TextFiles, AreReadAsUtf8OrShiftJis)
{
    EXPECT_EQ(DecodeText(QByteArray("\xEF\xBB\xBF\xE6\xAD\x8C")), QStringLiteral("歌"));
    EXPECT_EQ(DecodeText(QByteArray("\x89\xcc\x8e\x8c")), QStringLiteral("歌詞"));
    EXPECT_EQ(DecodeText(QByteArray("\xFF\xFE\x4C\x6B", 4)), QStringLiteral("歌"));
    EXPECT_EQ(CompanionPath(QStringLiteral("/music/a.b.mp3"), QStringLiteral(".lrc")),
              QStringLiteral("/music/a.b.lrc"));
    EXPECT_EQ(CompanionPath(QStringLiteral("/music/song"), QStringLiteral(".wav")),
              QStringLiteral("/music/song.wav"));
}

class LyricsEditorTest : public ToolsTest {
protected:
    void SetUp() override
    {
        ToolsTest::SetUp();
        track = pathIn(QStringLiteral("song.mp3"));
        lrc = pathIn(QStringLiteral("song.lrc"));
        writeBytes(track, "not really audio");
    }
    // Loads the track as the player does; lyricsAccepted is what the engine says of the file.
    void loadTrack(bool lyricsAccepted)
    {
        engine.lyricsFileResult = lyricsAccepted ? 1 : 0;
        openTrack(track);
    }
    QString cell(int row, int column) const
    {
        const QTableWidgetItem* item = window.table()->item(row, column);
        return item ? item->text() : QString();
    }

    QString track;
    QString lrc;
    LyricsEditorWindow window{state, engine};
};

TEST_F(LyricsEditorTest, OpeningLoadsTheTracksLyricsFile)
{
    writeBytes(lrc, QStringLiteral("[00:01:00]一行目\r\n[00:02:50]second\r\n").toUtf8());
    loadTrack(true);
    window.showWindow();
    EXPECT_TRUE(state.LyricsEditOpen);
    EXPECT_EQ(window.table()->rowCount(), 998);
    EXPECT_EQ(window.table()->columnCount(), 2);
    EXPECT_EQ(window.table()->horizontalHeaderItem(0)->text(), QStringLiteral("再生時間"));
    EXPECT_EQ(window.table()->horizontalHeaderItem(1)->text(), QStringLiteral("歌詞"));
    EXPECT_EQ(window.boundLabel()->text(), track);
    EXPECT_EQ(cell(0, 0), QStringLiteral("[00:01:00]"));
    EXPECT_EQ(cell(0, 1), QStringLiteral("一行目"));
    EXPECT_EQ(cell(1, 1), QStringLiteral("second"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Lyrics Editer"));
}

TEST_F(LyricsEditorTest, ShowingTheOpenWindowAgainKeepsItsEdits)
{
    loadTrack(false);
    window.showWindow();
    window.setRows({{QStringLiteral("[1]"), QStringLiteral("unsaved")}});
    window.showWindow();
    EXPECT_EQ(cell(0, 1), QStringLiteral("unsaved"));
    window.close();
    window.showWindow();
    EXPECT_EQ(cell(0, 1), QString());
}

TEST_F(LyricsEditorTest, AShiftJisFileIsReadToo)
{
    writeBytes(lrc, QByteArray("[00:01:00]\x89\xcc\x8e\x8c\r\n"));
    loadTrack(true);
    window.showWindow();
    EXPECT_EQ(cell(0, 1), QStringLiteral("歌詞"));
}

TEST_F(LyricsEditorTest, ReopeningShowsTheLinesJustSavedAndClosingAsksNothing)
{
    loadTrack(false); // the track had no lyrics file when it was loaded
    window.showWindow();
    window.updateClock();
    window.insertTime();
    window.button(1)->click();
    window.button(2)->click();
    EXPECT_TRUE(MessageBoxScript::shown().empty());

    window.showWindow();
    EXPECT_EQ(cell(0, 0), QStringLiteral("[00:00:00]"));
    window.button(2)->click();
    EXPECT_TRUE(MessageBoxScript::shown().empty());
    EXPECT_EQ(readBytes(lrc), QByteArray("[00:00:00]\r\n"));

    // With an edit the question names the lyrics file and Enter keeps both file and edits.
    window.showWindow();
    window.updateClock();
    window.insertTime();
    window.button(2)->click();
    ASSERT_EQ(MessageBoxScript::shown().size(), 1u);
    EXPECT_EQ(MessageBoxScript::shown()[0].text,
              QStringLiteral("歌詞を下記のように保存しますか？\n") + lrc);
    EXPECT_EQ(MessageBoxScript::shown()[0].defaultButton, QMessageBox::Cancel);
}

TEST_F(LyricsEditorTest, TheClockShowsThePlayTimeOrTheOtherFileNotice)
{
    loadTrack(false);
    window.showWindow();
    engine.playMs = 83456;
    window.updateClock();
    EXPECT_EQ(window.clockLabel()->text(), QStringLiteral("[01:23:45]"));
    state.CurrentFile = QStringLiteral("/elsewhere/other.mp3");
    window.updateClock();
    EXPECT_EQ(window.clockLabel()->text(), QStringLiteral("現在別ファイルが開かれています。"));
}

TEST_F(LyricsEditorTest, InsertTimeStampsTheRowAndMovesOn)
{
    loadTrack(false);
    window.showWindow();
    window.button(3)->click(); // before the first tick: nothing to stamp
    EXPECT_EQ(cell(0, 0), QString());

    engine.playMs = 1500;
    window.updateClock();
    window.button(3)->click();
    engine.playMs = 2750;
    window.updateClock();
    window.button(3)->click();
    EXPECT_EQ(cell(0, 0), QStringLiteral("[00:01:50]"));
    EXPECT_EQ(cell(1, 0), QStringLiteral("[00:02:75]"));
    EXPECT_EQ(window.table()->currentRow(), 2);
    EXPECT_EQ(window.table()->currentColumn(), 0);
    EXPECT_TRUE(window.editor()->isVisible());

    state.CurrentFile = QStringLiteral("/elsewhere/other.mp3");
    window.updateClock();
    window.insertTime();
    EXPECT_EQ(cell(2, 0), QString());
}

TEST_F(LyricsEditorTest, InsertTimeOnTheLastRowStaysThere)
{
    loadTrack(false);
    window.showWindow();
    window.updateClock();
    window.table()->setCurrentCell(kLyricsRows - 1, 1);
    window.insertTime();
    EXPECT_EQ(cell(kLyricsRows - 1, 0), QStringLiteral("[00:00:00]"));
    EXPECT_EQ(window.table()->currentRow(), kLyricsRows - 1);
}

TEST_F(LyricsEditorTest, TheEditorWritesThroughAndFollowsTheArrowKeys)
{
    loadTrack(false);
    window.showWindow();
    window.table()->setCurrentCell(3, 1);
    window.SetTextBox();
    window.editor()->setText(QStringLiteral("typed"));
    EXPECT_EQ(cell(3, 1), QStringLiteral("typed"));
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(window.editor(), &down);
    EXPECT_EQ(window.table()->currentRow(), 4);
    EXPECT_EQ(window.table()->currentColumn(), 1);
    EXPECT_EQ(window.editor()->text(), QString());
    window.table()->setCurrentCell(0, 0);
    QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    QApplication::sendEvent(window.editor(), &up);
    EXPECT_EQ(window.table()->currentRow(), 0);
}

TEST_F(LyricsEditorTest, TheEditorFollowsItsCellWhenTheTableScrolls)
{
    loadTrack(false);
    window.showWindow();
    window.resize(520, 420);
    window.table()->setCurrentCell(2, 1);
    window.SetTextBox();
    const QRect before = window.editor()->geometry();
    QScrollBar* bar = window.table()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    bar->setValue(bar->value() + 1);
    EXPECT_EQ(bar->value(), 1); // the user's scroll is not undone
    EXPECT_LT(window.editor()->geometry().top(), before.top());
}

TEST_F(LyricsEditorTest, InsertRowOnRowFiveMovesRowsFiveToSevenDown)
{
    loadTrack(false);
    window.showWindow();
    std::vector<LyricsRow> rows(7);
    for (int i = 0; i < 7; ++i)
        rows[i] = {QStringLiteral("[%1]").arg(i + 1), QStringLiteral("l%1").arg(i + 1)};
    window.setRows(rows);
    window.table()->setCurrentCell(4, 0);
    window.insertRow();
    EXPECT_EQ(cell(4, 0), QString());
    EXPECT_EQ(cell(4, 1), QString());
    EXPECT_EQ(cell(5, 0), QStringLiteral("[5]"));
    EXPECT_EQ(cell(7, 1), QStringLiteral("l7"));
    EXPECT_EQ(cell(3, 0), QStringLiteral("[4]"));
}

TEST_F(LyricsEditorTest, DeleteEmptiesTheCurrentCell)
{
    loadTrack(false);
    window.showWindow();
    window.setRows({{QStringLiteral("[1]"), QStringLiteral("text")}});
    window.table()->setCurrentCell(0, 1);
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(window.table(), &del);
    EXPECT_EQ(cell(0, 1), QString());
    EXPECT_EQ(cell(0, 0), QStringLiteral("[1]"));
}

TEST_F(LyricsEditorTest, SavedLinesLoadBackTheSame)
{
    loadTrack(false);
    window.showWindow();
    window.setRows({{QStringLiteral("[00:01:00]"), QStringLiteral("歌, with comma")},
                    {QStringLiteral("[00:02:00]"), QString()},
                    {QStringLiteral("[00:03:00]"), QStringLiteral("three")},
                    {QString(), QStringLiteral("never written")},
                    {QStringLiteral("[00:05:00]"), QStringLiteral("five")}});
    window.button(1)->click();
    EXPECT_EQ(
        readBytes(lrc),
        QStringLiteral("[00:01:00]歌, with comma\r\n[00:02:00]\r\n[00:03:00]three\r\n").toUtf8());
    EXPECT_TRUE(MessageBoxScript::shown().empty());

    LyricsEditorWindow again(state, engine);
    state.LyricsLoaded = true;
    again.showWindow();
    auto rows = again.rows();
    EXPECT_EQ(rows[0].text, QStringLiteral("歌, with comma"));
    EXPECT_EQ(rows[2].time, QStringLiteral("[00:03:00]"));
    EXPECT_EQ(rows[3], LyricsRow{});
}

TEST_F(LyricsEditorTest, SavingAnEmptyTableTruncatesTheFile)
{
    writeBytes(lrc, "[00:01:00]old\r\n");
    loadTrack(false);
    window.showWindow();
    window.setRows({});
    window.save();
    EXPECT_TRUE(QFile::exists(lrc));
    EXPECT_TRUE(readBytes(lrc).isEmpty());
}

TEST_F(LyricsEditorTest, AnUnwritableFileIsReportedAndTheTableKept)
{
    loadTrack(false);
    window.showWindow();
    QDir().mkpath(lrc); // a folder where the file should go
    window.setRows({{QStringLiteral("[1]"), QStringLiteral("keep me")}});
    window.save();
    ASSERT_EQ(MessageBoxScript::shown().size(), 1u);
    EXPECT_TRUE(MessageBoxScript::shown()[0].text.startsWith(
        QStringLiteral("歌詞ファイルを保存できませんでした。")));
    EXPECT_EQ(cell(0, 1), QStringLiteral("keep me"));
    // Closing with Yes and a failing save keeps the window open.
    MessageBoxScript::clear();
    MessageBoxScript::pushAnswer(QMessageBox::Yes);
    window.button(2)->click();
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(state.LyricsEditOpen);
}

TEST_F(LyricsEditorTest, AnUnreadableFileIsReportedAndRefreshKeepsTheTable)
{
    loadTrack(false);
    window.showWindow();
    window.setRows({{QStringLiteral("[1]"), QStringLiteral("kept")}});
    QDir().mkpath(lrc); // the engine accepted a file that has since become unreadable
    state.LyricsLoaded = true;
    MessageBoxScript::pushAnswer(QMessageBox::No);
    window.refresh();
    ASSERT_EQ(MessageBoxScript::shown().size(), 2u);
    EXPECT_TRUE(MessageBoxScript::shown()[1].text.startsWith(
        QStringLiteral("歌詞ファイルを読み込めませんでした。")));
    EXPECT_EQ(cell(0, 1), QStringLiteral("kept"));
    EXPECT_EQ(window.boundLabel()->text(), track);
}

TEST_F(LyricsEditorTest, RefreshWithCancelChangesNothing)
{
    loadTrack(false);
    window.showWindow();
    window.setRows({{QStringLiteral("[1]"), QStringLiteral("mine")}});
    state.CurrentFile = pathIn(QStringLiteral("next.mp3"));
    MessageBoxScript::pushAnswer(QMessageBox::Cancel);
    window.button(0)->click();
    ASSERT_EQ(MessageBoxScript::shown().size(), 1u);
    EXPECT_EQ(MessageBoxScript::shown()[0].text,
              QStringLiteral("情報を更新する前に歌詞を保存しますか？\n") + lrc);
    EXPECT_EQ(MessageBoxScript::shown()[0].caption, QStringLiteral("歌詞の保存"));
    EXPECT_EQ(cell(0, 1), QStringLiteral("mine"));
    EXPECT_EQ(window.boundLabel()->text(), track);
}

TEST_F(LyricsEditorTest, RefreshWithYesSavesThenRebinds)
{
    loadTrack(false);
    window.showWindow();
    window.setRows({{QStringLiteral("[1]"), QStringLiteral("mine")}});
    const QString next = pathIn(QStringLiteral("next.mp3"));
    writeBytes(pathIn(QStringLiteral("next.lrc")), "[00:09:00]next one\r\n");
    state.CurrentFile = next;
    state.LyricsLoaded = true;
    MessageBoxScript::pushAnswer(QMessageBox::Yes);
    window.refresh();
    EXPECT_EQ(readBytes(lrc), QByteArray("[1]mine\r\n"));
    EXPECT_EQ(window.boundLabel()->text(), next);
    EXPECT_EQ(cell(0, 1), QStringLiteral("next one"));
    EXPECT_EQ(cell(1, 0), QString());
}

TEST_F(LyricsEditorTest, CloseAsksThenClosesAndClearsTheFlag)
{
    loadTrack(false);
    window.showWindow();
    window.setRows({{QStringLiteral("[1]"), QStringLiteral("x")}});
    MessageBoxScript::pushAnswer(QMessageBox::No);
    window.button(2)->click();
    ASSERT_EQ(MessageBoxScript::shown().size(), 1u);
    EXPECT_EQ(MessageBoxScript::shown()[0].text,
              QStringLiteral("歌詞を下記のように保存しますか？\n") + lrc);
    EXPECT_FALSE(QFile::exists(lrc));
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(state.LyricsEditOpen);
}

TEST_F(LyricsEditorTest, WithoutABoundTrackNothingIsAskedOrSaved)
{
    window.showWindow(); // no track loaded
    window.save();
    window.button(2)->click();
    EXPECT_TRUE(MessageBoxScript::shown().empty());
    EXPECT_FALSE(state.LyricsEditOpen);
}

TEST_F(LyricsEditorTest, TheCloseBoxAsksOnlyAboutUnsavedEdits)
{
    loadTrack(false);
    window.showWindow();
    EXPECT_TRUE(clickCloseBox(window));
    EXPECT_TRUE(MessageBoxScript::shown().empty());
    EXPECT_FALSE(state.LyricsEditOpen);

    window.showWindow();
    window.updateClock();
    window.insertTime();
    MessageBoxScript::pushAnswer(QMessageBox::Cancel);
    EXPECT_FALSE(clickCloseBox(window));
    EXPECT_TRUE(state.LyricsEditOpen);
    EXPECT_EQ(cell(0, 0), QStringLiteral("[00:00:00]"));
    MessageBoxScript::pushAnswer(QMessageBox::Yes);
    EXPECT_TRUE(clickCloseBox(window));
    EXPECT_EQ(readBytes(lrc), QByteArray("[00:00:00]\r\n"));
    EXPECT_EQ(MessageBoxScript::shown().size(), 2u);
    EXPECT_FALSE(state.LyricsEditOpen);
}

TEST_F(LyricsEditorTest, AShiftJisNamedTrackHasItsLyricsWrittenAndReadBesideIt)
{
    // "テスト" in Shift-JIS, as names unpack from old archives.
    const QByteArray stem = QFile::encodeName(dir()) + "/\x83\x65\x83\x58\x83\x67";
    track = PathFromBytes(stem + ".mp3");
    const int fd = ::open((stem + ".mp3").constData(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);
    loadTrack(false);
    window.showWindow();
    EXPECT_EQ(window.boundLabel()->text(), dir() + QStringLiteral("/テスト.mp3"));
    window.updateClock();
    window.insertTime();
    window.button(1)->click();
    window.button(2)->click();
    EXPECT_TRUE(MessageBoxScript::shown().empty());

    QFile written;
    const int lrcFd = ::open((stem + ".lrc").constData(), O_RDONLY);
    ASSERT_GE(lrcFd, 0) << "the lyrics file is not beside the track";
    ASSERT_TRUE(written.open(lrcFd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle));
    EXPECT_EQ(written.readAll(), QByteArray("[00:00:00]\r\n"));
    window.showWindow();
    EXPECT_EQ(cell(0, 0), QStringLiteral("[00:00:00]"));
}
