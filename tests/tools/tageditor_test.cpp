// The tag editor: the genre list, field fitting, the stream captions and the window's engine calls.
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "tools/genres.h"
#include "tools/tageditorwindow.h"
#include "tools/tagtext.h"
#include "toolsfixture.h"

namespace {
int g_callbackHits = 0;
void testCallback(int32_t, int32_t)
{
    ++g_callbackHits;
}

void typeInto(QWidget* target, const QString& text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(target, &press);
    }
}
} // namespace

TEST(GenreList, HoldsTheEntriesAsTheWindowSpellsThem)
{
    const QStringList& genres = GenreEntries();
    ASSERT_EQ(genres.size(), 256);
    EXPECT_EQ(genres[0], QStringLiteral("000-Blues"));
    EXPECT_EQ(genres[1], QStringLiteral("001-Classic Rock"));
    EXPECT_EQ(genres[29], QStringLiteral("029-Juzz+Funk"));
    EXPECT_EQ(genres[46], QStringLiteral("046-Instrumantal Pop"));
    EXPECT_EQ(genres[85], QStringLiteral("085-Bedob"));
    EXPECT_EQ(genres[135], QStringLiteral("135-Beat"));
    EXPECT_EQ(genres[136], QStringLiteral("136-Christian Gangsta Rap "));
    EXPECT_EQ(genres[137], QStringLiteral("137-Heavy Metal"));
    EXPECT_EQ(genres[147], QStringLiteral("147-Synth Pop"));
    for (int n = 148; n <= 250; ++n)
        EXPECT_EQ(genres[n], QStringLiteral("%1-未登録").arg(n)) << n;
    EXPECT_EQ(genres[251], QStringLiteral("251-Seiyu(J)"));
    EXPECT_EQ(genres[252], QStringLiteral("252-Techno Ambient(J)"));
    EXPECT_EQ(genres[253], QStringLiteral("253-Moemoe(J)"));
    EXPECT_EQ(genres[254], QStringLiteral("254-Tokusatsu(J)"));
    EXPECT_EQ(genres[255], QStringLiteral("255-Anime(J)"));
    for (int n = 0; n < 256; ++n)
        EXPECT_TRUE(genres[n].startsWith(QStringLiteral("%1-").arg(n, 3, 10, QLatin1Char('0'))));
}

TEST(GenreList, TypeAheadSearchesFromOneAndWrapsToZeroLast)
{
    const QStringList& genres = GenreEntries();
    EXPECT_EQ(GenreTypeAhead(genres, QStringLiteral("029")), 29);
    EXPECT_EQ(GenreTypeAhead(genres, QStringLiteral("0")), 1);
    EXPECT_EQ(GenreTypeAhead(genres, QString()), 1);
    EXPECT_EQ(GenreTypeAhead(genres, QStringLiteral("000")), 0);
    EXPECT_EQ(GenreTypeAhead(genres, QStringLiteral("255-anime")), 255);
    EXPECT_EQ(GenreTypeAhead(genres, QStringLiteral("Blues")), -1);
    EXPECT_EQ(GenreTypeAhead(genres, QStringLiteral("256")), -1);
}

TEST(TagFields, AreCutByCharactersAndPaddedWithBlanks)
{
    EXPECT_EQ(FitTagField(QStringLiteral("abc"), 5), QStringLiteral("abc  "));
    EXPECT_EQ(FitTagField(QString(200, QLatin1Char('x')), 128), QString(128, QLatin1Char('x')));
    // Five characters fit a five-character field whatever their width in another code page.
    EXPECT_EQ(FitTagField(QStringLiteral("2024年"), 5), QStringLiteral("2024年"));
    EXPECT_EQ(FitTagField(QStringLiteral("20245"), 5), QStringLiteral("20245"));
    // A character outside the BMP that would be cut in half is dropped whole.
    const QString emoji = QStringLiteral("abcd") + QString::fromUcs4(U"\U0001F3B5");
    EXPECT_EQ(FitTagField(emoji, 5), QStringLiteral("abcd "));

    TagInfo tag = BuildTagRecord(QString(200, QChar(0x3042)), QStringLiteral("Artist"), {},
                                 QStringLiteral("1999"), {}, -1);
    EXPECT_EQ(QString::fromStdString(tag.title), QString(128, QChar(0x3042)));
    EXPECT_EQ(QString::fromStdString(tag.artist).size(), 128);
    EXPECT_EQ(tag.year, "1999 ");
    EXPECT_EQ(tag.genre, -1);
    EXPECT_TRUE(tag.unused.empty());
}

TEST(MpegCaptions, GroupFileSizesAndShowNothingForZero)
{
    EXPECT_EQ(FormatGroupedNumber(0), QString());
    EXPECT_EQ(FormatGroupedNumber(999), QStringLiteral("999"));
    EXPECT_EQ(FormatGroupedNumber(1000), QStringLiteral("1,000"));
    EXPECT_EQ(FormatGroupedNumber(1234567), QStringLiteral("1,234,567"));
    MpegInfo info;
    info.fileSize = 0;
    EXPECT_EQ(*MpegLabelCaption(MpegLabel::FileSize, info), QStringLiteral("File Size: bite"));
    info.fileSize = 4123456;
    EXPECT_EQ(*MpegLabelCaption(MpegLabel::FileSize, info),
              QStringLiteral("File Size: 4,123,456bite"));
}

TEST(MpegCaptions, TranslateHeaderCodesAndLeaveUnknownOnesAlone)
{
    MpegInfo info;
    info.protection = 1;
    info.privateBit = 1;
    info.channelMode = 3;
    info.copyright = 1;
    info.original = 1;
    info.emphasis = 3;
    EXPECT_EQ(*MpegLabelCaption(MpegLabel::Protect, info), QStringLiteral("Protect: 無効"));
    EXPECT_EQ(*MpegLabelCaption(MpegLabel::Extension, info), QStringLiteral("Extention: ﾌﾟﾗｲﾍﾞｰﾄ"));
    EXPECT_EQ(*MpegLabelCaption(MpegLabel::ChannelMode, info),
              QStringLiteral("Channel Mode: ﾓﾉﾗﾙ"));
    EXPECT_EQ(*MpegLabelCaption(MpegLabel::Copyright, info),
              QStringLiteral("Copyright: 著作権保護あり"));
    EXPECT_EQ(*MpegLabelCaption(MpegLabel::Original, info), QStringLiteral("Original: ｵﾘｼﾞﾅﾙ"));
    EXPECT_EQ(*MpegLabelCaption(MpegLabel::Emphasis, info), QStringLiteral("Emphasis: CCITT j.17"));
    info.channelMode = 1;
    info.emphasis = 1;
    EXPECT_EQ(*MpegLabelCaption(MpegLabel::ChannelMode, info),
              QStringLiteral("Channel Mode: ｼﾞｮｲﾝﾄｽﾃﾚｵ"));
    EXPECT_EQ(*MpegLabelCaption(MpegLabel::Emphasis, info), QStringLiteral("Emphasis: 50/15ms"));
    info.channelMode = 4;
    info.emphasis = -1;
    info.protection = 2;
    EXPECT_FALSE(MpegLabelCaption(MpegLabel::ChannelMode, info));
    EXPECT_FALSE(MpegLabelCaption(MpegLabel::Emphasis, info));
    EXPECT_FALSE(MpegLabelCaption(MpegLabel::Protect, info));
}

class TagEditorTest : public ToolsTest {
protected:
    void SetUp() override
    {
        ToolsTest::SetUp();
        g_callbackHits = 0;
        engine.inputInfo = {"Song", "Singer", 2, 128, 44100, 215};
        engine.tag.title = "Song";
        engine.tag.artist = "Singer";
        engine.tag.album = "Album";
        engine.tag.year = "1999";
        engine.tag.comment = "note";
        engine.tag.genre = 29;
        engine.mpeg.version = 1;
        engine.mpeg.layer = 3;
        engine.mpeg.fileSize = 1234567;
        engine.mpeg.frameCount = 8231;
        openTrack(QStringLiteral("/music/song.mp3"));
        engine.clearCalls();
    }

    TagEditorWindow window{state, engine, ops, &testCallback};
};

TEST_F(TagEditorTest, OpeningShowsTheTagAndTheStreamInformation)
{
    window.showWindow();
    EXPECT_EQ(window.pathLabel()->text(), QStringLiteral("/music/song.mp3"));
    EXPECT_EQ(window.fieldBox(0)->text(), QStringLiteral("Song"));
    EXPECT_EQ(window.fieldBox(1)->text(), QStringLiteral("Singer"));
    EXPECT_EQ(window.fieldBox(2)->text(), QStringLiteral("Album"));
    EXPECT_EQ(window.fieldBox(3)->text(), QStringLiteral("1999"));
    EXPECT_EQ(window.fieldBox(4)->text(), QStringLiteral("note"));
    EXPECT_EQ(window.genreBox()->currentText(), QStringLiteral("029-Juzz+Funk"));
    EXPECT_EQ(window.selectedGenre(), 29);
    EXPECT_EQ(window.mpegLabel(MpegLabel::SampleRate)->text(),
              QStringLiteral("Sample Rate: 44100Hz"));
    EXPECT_EQ(window.mpegLabel(MpegLabel::Channel)->text(), QStringLiteral("Channel: 2"));
    EXPECT_EQ(window.mpegLabel(MpegLabel::BitRate)->text(),
              QStringLiteral("Bit Rate: 128kbit/sec"));
    EXPECT_EQ(window.mpegLabel(MpegLabel::TotalSec)->text(), QStringLiteral("Total Sec: 215sec"));
    EXPECT_EQ(window.mpegLabel(MpegLabel::Version)->text(), QStringLiteral("Version: 1"));
    EXPECT_EQ(window.mpegLabel(MpegLabel::Layer)->text(), QStringLiteral("Layer: 3"));
    EXPECT_EQ(window.mpegLabel(MpegLabel::Protect)->text(), QStringLiteral("Protect: 有効"));
    EXPECT_EQ(window.mpegLabel(MpegLabel::FileSize)->text(),
              QStringLiteral("File Size: 1,234,567bite"));
    EXPECT_EQ(window.mpegLabel(MpegLabel::Frames)->text(), QStringLiteral("Frames: 8231"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Tag Infomation"));
}

TEST_F(TagEditorTest, GenresShowTheirEntries)
{
    for (auto [genre, entry] : {std::pair{148, "148-未登録"}, std::pair{255, "255-Anime(J)"},
                                std::pair{29, "029-Juzz+Funk"}, std::pair{0, "000-Blues"}}) {
        engine.tag.genre = genre;
        window.GetTag();
        EXPECT_EQ(window.genreBox()->currentText(), QString::fromUtf8(entry));
        EXPECT_EQ(window.selectedGenre(), genre);
    }
}

TEST_F(TagEditorTest, AGenreOutsideTheListShowsItsNumberWithNothingSelected)
{
    engine.tag.genre = 300;
    window.GetTag();
    EXPECT_EQ(window.genreBox()->currentText(), QStringLiteral("300"));
    EXPECT_EQ(window.selectedGenre(), -1);
    engine.tag.genre = -1;
    window.GetTag();
    EXPECT_EQ(window.genreBox()->currentText(), QString());
    EXPECT_EQ(window.selectedGenre(), -1);
}

TEST_F(TagEditorTest, RefreshReopensTheTrackInPlaceWhateverItsState)
{
    for (int playState : {1, 2, 0}) {
        engine.state = playState;
        engine.sec = 42;
        engine.registered = nullptr;
        engine.clearCalls();
        window.GetTag();
        EXPECT_EQ(engine.count("reopen"), 1) << playState;
        for (const char* call : {"free", "open", "play", "pause", "seek", "stop"})
            EXPECT_EQ(engine.count(call), 0) << call << " in state " << playState;
        EXPECT_EQ(engine.state, playState);
        EXPECT_EQ(engine.sec, 42);
        EXPECT_EQ(engine.registered, &testCallback);
    }
}

TEST_F(TagEditorTest, RefreshThatCannotReopenInPlaceStartsAfreshInTheSameState)
{
    engine.reopenResult = 0;
    engine.play();
    engine.sec = 42;
    engine.clearCalls();
    window.GetTag();
    const std::vector<std::string> expected = {"getState", "reopen", "free", "init", "open"};
    ASSERT_GE(engine.calls.size(), expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), engine.calls.begin()));
    EXPECT_EQ(engine.lastOpened, "/music/song.mp3");
    EXPECT_EQ(engine.registered, &testCallback);
    EXPECT_EQ(engine.lastSeek, 42);
    EXPECT_EQ(engine.state, 1);
    auto at = [this](const std::string& call) {
        return std::find(engine.calls.begin(), engine.calls.end(), call) - engine.calls.begin();
    };
    EXPECT_LT(at("open"), at("callback"));
    EXPECT_LT(at("callback"), at("play"));
    EXPECT_LT(at("play"), at("seek"));

    engine.state = 2;
    engine.sec = 17;
    window.GetTag();
    EXPECT_EQ(engine.state, 2) << "the pause is kept";
    EXPECT_EQ(engine.lastSeek, 17);

    engine.stop();
    engine.clearCalls();
    window.GetTag();
    EXPECT_EQ(engine.count("open"), 1);
    EXPECT_EQ(engine.count("play"), 0);
    EXPECT_EQ(engine.count("seek"), 0);
}

TEST_F(TagEditorTest, WithoutATagTheTagFieldsStayAndTheStreamLinesChange)
{
    window.showWindow();
    engine.tagResult = 0;
    engine.inputInfo = {"Other", "Someone", 1, 64, 22050, 10};
    engine.mpeg.frameCount = 5;
    window.GetTag();
    EXPECT_EQ(window.fieldBox(0)->text(), QStringLiteral("Other"));
    EXPECT_EQ(window.fieldBox(1)->text(), QStringLiteral("Someone"));
    EXPECT_EQ(window.mpegLabel(MpegLabel::SampleRate)->text(),
              QStringLiteral("Sample Rate: 22050Hz"));
    EXPECT_EQ(window.fieldBox(2)->text(), QStringLiteral("Album"));
    EXPECT_EQ(window.genreBox()->currentText(), QStringLiteral("029-Juzz+Funk"));
    EXPECT_EQ(window.mpegLabel(MpegLabel::Frames)->text(), QStringLiteral("Frames: 5"));
}

TEST_F(TagEditorTest, FirstLoadWithoutATagStillShowsTheStreamLines)
{
    engine.tagResult = 0;
    window.showWindow();
    EXPECT_EQ(window.mpegLabel(MpegLabel::Version)->text(), QStringLiteral("Version: 1"));
    EXPECT_EQ(window.mpegLabel(MpegLabel::FileSize)->text(),
              QStringLiteral("File Size: 1,234,567bite"));
    EXPECT_EQ(window.mpegLabel(MpegLabel::Frames)->text(), QStringLiteral("Frames: 8231"));
}

TEST_F(TagEditorTest, WritingWhilePlayingMakesTwoCallsAndWhileStoppedOne)
{
    window.showWindow();
    engine.state = 1;
    window.SetTag();
    ASSERT_EQ(engine.tagWrites.size(), 2u);
    EXPECT_EQ(engine.tagWrites[0].a, 1);
    EXPECT_EQ(engine.tagWrites[0].b, 0);
    EXPECT_EQ(engine.tagWrites[1].a, 1);
    EXPECT_EQ(engine.tagWrites[1].b, 1);
    EXPECT_EQ(engine.tagWrites[1].path, "/music/song.mp3");

    engine.tagWrites.clear();
    engine.state = 0;
    window.SetTag();
    ASSERT_EQ(engine.tagWrites.size(), 1u);
    EXPECT_EQ(engine.tagWrites[0].a, 0);
    EXPECT_EQ(engine.tagWrites[0].b, 1);
}

TEST_F(TagEditorTest, WritingTakesTheBoxesCutAndPadded)
{
    window.showWindow();
    window.fieldBox(0)->setText(QString(200, QLatin1Char('t')));
    window.fieldBox(3)->setText(QStringLiteral("20245"));
    window.SetTag();
    ASSERT_EQ(engine.tagWrites.size(), 1u);
    const TagInfo& tag = engine.tagWrites[0].tag;
    EXPECT_EQ(tag.title, std::string(128, 't'));
    EXPECT_EQ(tag.year, "20245");
    EXPECT_EQ(tag.album, "Album" + std::string(123, ' '));
    EXPECT_EQ(tag.genre, 29);
}

TEST_F(TagEditorTest, WritingWithNoGenreSelectedStoresMinusOne)
{
    window.showWindow();
    window.genreBox()->setEditText(QStringLiteral("nothing like a genre"));
    window.SetTag();
    ASSERT_EQ(engine.tagWrites.size(), 1u);
    EXPECT_EQ(engine.tagWrites[0].tag.genre, -1);
}

TEST_F(TagEditorTest, ATrackWithoutATagIsWrittenWithoutAGenre)
{
    engine.tagResult = 0;
    window.showWindow();
    EXPECT_EQ(window.genreBox()->currentText(), QString());
    window.SetTag();
    ASSERT_EQ(engine.tagWrites.size(), 1u);
    EXPECT_EQ(engine.tagWrites[0].tag.genre, -1);
    EXPECT_EQ(engine.tagWrites[0].tag.title, "Song" + std::string(124, ' '));
}

TEST_F(TagEditorTest, TheWriteButtonAsksAndCancelWritesNothing)
{
    window.showWindow();
    MessageBoxScript::pushAnswer(QMessageBox::Cancel);
    window.button(0)->click();
    ASSERT_EQ(MessageBoxScript::shown().size(), 1u);
    EXPECT_EQ(MessageBoxScript::shown()[0].text, QStringLiteral("タグ情報を更新しますか？"));
    EXPECT_EQ(MessageBoxScript::shown()[0].caption, QStringLiteral("タグ情報の更新"));
    EXPECT_EQ(MessageBoxScript::shown()[0].icon, QMessageBox::Question);
    EXPECT_TRUE(engine.tagWrites.empty());
    MessageBoxScript::pushAnswer(QMessageBox::Ok);
    window.button(0)->click();
    EXPECT_EQ(engine.tagWrites.size(), 1u);
}

TEST_F(TagEditorTest, TypingANumberInTheGenreBoxSelectsThatGenre)
{
    window.showWindow();
    QLineEdit* edit = window.genreBox()->lineEdit();
    edit->clear();
    typeInto(edit, QStringLiteral("029"));
    EXPECT_EQ(window.genreBox()->currentText(), QStringLiteral("029-Juzz+Funk"));
    EXPECT_EQ(window.selectedGenre(), 29);
    edit->clear();
    typeInto(edit, QStringLiteral("25"));
    EXPECT_EQ(window.genreBox()->currentText(), QStringLiteral("250-未登録"));
    typeInto(edit, QStringLiteral("5"));
    EXPECT_EQ(window.selectedGenre(), 255);
    edit->clear();
    typeInto(edit, QStringLiteral("9x"));
    EXPECT_EQ(window.selectedGenre(), -1);
}

TEST_F(TagEditorTest, KeysTypedOnTheFocusedGenreBoxSelectThatGenre)
{
    // The keyboard delivers keys to the combo box, which passes them on to its line edit.
    window.showWindow();
    window.genreBox()->lineEdit()->clear();
    typeInto(window.genreBox(), QStringLiteral("14"));
    EXPECT_EQ(window.genreBox()->currentText(), QStringLiteral("140-Contemporary Christian"));
    EXPECT_EQ(window.selectedGenre(), 140);
}

TEST_F(TagEditorTest, CloseButtonClosesTheWindow)
{
    window.showWindow();
    ASSERT_TRUE(window.isVisible());
    window.button(1)->click();
    EXPECT_FALSE(window.isVisible());
}

// A FLAC file: its genre is free text without the ID3 list, the track number is shown and
// written, and the stream lines are FLAC's own rather than MPEG header fields.
TEST_F(TagEditorTest, AFlacTrackShowsItsOwnFieldsAndFacts)
{
    const std::string flac = TestTempDir() + "/editor.flac";
    ASSERT_EQ(RunCommand("sox -q -n -r 48000 -c 2 -b 24 '" + flac + "' synth 1 sine 440"), 0);
    engine.tag.genre = -1;
    engine.tag.genreText = "Ｊポップ";
    engine.tag.track = "5/9";
    openTrack(QString::fromStdString(flac));
    window.showWindow();
    EXPECT_EQ(window.genreBox()->count(), 0);
    EXPECT_EQ(window.genreBox()->currentText(), QStringLiteral("Ｊポップ"));
    EXPECT_EQ(window.trackBox()->text(), QStringLiteral("5/9"));
    EXPECT_EQ(window.mpegLabel(MpegLabel::Version)->text(), QStringLiteral("Codec: FLAC"));
    EXPECT_EQ(window.mpegLabel(MpegLabel::Layer)->text(), QStringLiteral("Bits: 24bit"));
    EXPECT_EQ(window.mpegLabel(MpegLabel::SampleRate)->text(),
              QStringLiteral("Sample Rate: 48000Hz"));
    EXPECT_TRUE(window.mpegLabel(MpegLabel::Emphasis)->isHidden());

    window.genreBox()->setEditText(QStringLiteral("演歌"));
    window.trackBox()->setText(QStringLiteral("6"));
    window.SetTag();
    ASSERT_EQ(engine.tagWrites.size(), 1u);
    const TagInfo& tag = engine.tagWrites[0].tag;
    EXPECT_EQ(tag.genre, -1);
    EXPECT_EQ(QString::fromStdString(tag.genreText).trimmed(), QStringLiteral("演歌"));
    EXPECT_EQ(QString::fromStdString(tag.track).trimmed(), QStringLiteral("6"));

    // Back on an MP3 the list returns.
    openTrack(QStringLiteral("/music/song.mp3"));
    window.GetTag();
    EXPECT_EQ(window.genreBox()->count(), GenreEntries().size());
}
