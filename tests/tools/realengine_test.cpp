// The tool windows against the real playback engine on generated tracks: tags written and read
// back, a preset file applied to the sound, a lyrics file written and re-loaded, and a WAV
// compared sample for sample with the decoder's output.
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QTableWidget>
#include <QThread>

#include <sndfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <vector>

#include "decode/mpegdecoder.h"
#include "engine/meta/tagreader.h"
#include "engine/playbackengine.h"
#include "tools/conversionwatcher.h"
#include "tools/decodingwindow.h"
#include "tools/equalizerwindow.h"
#include "tools/lyricseditorwindow.h"
#include "tools/tageditorwindow.h"
#include "toolsfixture.h"

namespace {
std::atomic<int> g_endCalls{0};
void endCallback(int32_t, int32_t)
{
    ++g_endCalls;
}

// The loudest sample heard since the test last set it to 0. The output thread raises it with a
// compare-exchange: a plain load and store could write an old peak back over the test's reset.
std::atomic<int> g_peak{0};
void tapPeak(const int16_t* frames, int count, int64_t)
{
    int block = 0;
    for (int i = 0; i < count * 2; ++i)
        block = std::max(block, std::abs(int(frames[i])));
    int peak = g_peak.load();
    while (block > peak && !g_peak.compare_exchange_weak(peak, block)) {
    }
}

bool waitFor(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
    return true;
}

// The frames heard while g_recording is set (output thread; read after it is cleared).
std::atomic<bool> g_recording{false};
std::mutex g_heardMutex;
std::vector<int16_t> g_heard;
void tapRecord(const int16_t* frames, int count, int64_t)
{
    if (!g_recording.load())
        return;
    std::lock_guard lock(g_heardMutex);
    g_heard.insert(g_heard.end(), frames, frames + count * 2);
}

// The longest run of frames whose left sample is near zero, between the first and last audible.
size_t longestSilence(const std::vector<int16_t>& stereo)
{
    size_t longest = 0, run = 0;
    bool heard = false;
    for (size_t i = 0; i + 1 < stereo.size(); i += 2) {
        if (std::abs(int(stereo[i])) < 100) {
            ++run;
            continue;
        }
        if (heard)
            longest = std::max(longest, run);
        heard = true;
        run = 0;
    }
    return longest;
}

OutputConfig nullOutput(double speed)
{
    OutputConfig config;
    config.kind = OutputConfig::Kind::Null;
    config.nullOptions.speed = speed;
    config.tap = tapPeak;
    return config;
}
} // namespace

class RealEngineTest : public ToolsTest {
protected:
    void SetUp() override
    {
        ToolsTest::SetUp();
        g_endCalls = 0;
        g_peak = 0;
        real.init();
        real.callback(&endCallback);
        track = pathIn(QStringLiteral("tone.mp3"));
    }
    void TearDown() override
    {
        real.free();
        ToolsTest::TearDown();
    }
    void makeTrack(const ToneSpec& spec)
    {
        ASSERT_TRUE(MakeToneMp3(track.toStdString(), spec)) << LastFixtureError();
        realPlaylist.AddRow(track);
        state.CurrentIndex = 1;
        realOps.OpenTrack(track);
        ASSERT_TRUE(state.FileOpened);
        ASSERT_EQ(state.CurrentFile, track);
    }
    int engineState()
    {
        int32_t sec = 0;
        return real.getState(sec);
    }
    // Plays the whole track and returns the loudest sample that was heard.
    int playAndMeasurePeak()
    {
        g_peak = 0;
        realOps.OpenTrack(track);
        realOps.PlayTrack();
        EXPECT_TRUE(waitFor([this] { return engineState() == 0; }, 15000));
        return g_peak.load();
    }

    PlaybackEngine real{nullOutput(20.0)};
    PlaylistModel realPlaylist;
    TrackOps realOps{state, real, realPlaylist};
    QString track;
};

TEST_F(RealEngineTest, TagsAreWrittenAndReadBack)
{
    ToneSpec spec;
    spec.title = "Before";
    spec.artist = "Someone";
    makeTrack(spec);
    TagEditorWindow window(state, real, realOps, &endCallback);
    window.showWindow();
    EXPECT_EQ(window.fieldBox(0)->text(), QStringLiteral("Before"));
    EXPECT_EQ(window.fieldBox(1)->text(), QStringLiteral("Someone"));

    window.fieldBox(0)->setText(QStringLiteral("新しい題名"));
    window.fieldBox(1)->setText(QStringLiteral("歌手"));
    window.fieldBox(2)->setText(QStringLiteral("Album"));
    window.fieldBox(3)->setText(QStringLiteral("2024"));
    window.fieldBox(4)->setText(QStringLiteral("コメント"));
    window.genreBox()->setCurrentIndex(29);
    window.SetTag();
    window.GetTag();

    EXPECT_EQ(window.fieldBox(0)->text(), QStringLiteral("新しい題名"));
    EXPECT_EQ(window.fieldBox(1)->text(), QStringLiteral("歌手"));
    EXPECT_EQ(window.fieldBox(2)->text(), QStringLiteral("Album"));
    EXPECT_EQ(window.fieldBox(3)->text(), QStringLiteral("2024"));
    EXPECT_EQ(window.fieldBox(4)->text(), QStringLiteral("コメント"));
    EXPECT_EQ(window.genreBox()->currentText(), QStringLiteral("029-Juzz+Funk"));
    EXPECT_EQ(window.mpegLabel(MpegLabel::SampleRate)->text(),
              QStringLiteral("Sample Rate: 44100Hz"));
    EXPECT_EQ(window.mpegLabel(MpegLabel::Layer)->text(), QStringLiteral("Layer: 3"));
}

TEST_F(RealEngineTest, WritingWhilePlayingKeepsPlayingAndRefreshResumesThere)
{
    real.free();
    PlaybackEngine slow(nullOutput(1.0));
    TrackOps slowOps(state, slow, realPlaylist);
    slow.init();
    slow.callback(&endCallback);
    ToneSpec spec;
    spec.seconds = 6;
    spec.title = "Playing";
    ASSERT_TRUE(MakeToneMp3(track.toStdString(), spec)) << LastFixtureError();
    realPlaylist.AddRow(track);
    slowOps.OpenTrack(track);
    slowOps.PlayTrack();
    int32_t sec = 0;
    ASSERT_TRUE(waitFor([&] { return slow.getState(sec) == 1 && sec >= 2; }, 8000));

    TagEditorWindow window(state, slow, slowOps, &endCallback);
    window.showWindow();
    EXPECT_EQ(slow.getState(sec), 1);
    EXPECT_GE(sec, 2);
    window.fieldBox(0)->setText(QStringLiteral("Rewritten"));
    window.SetTag();
    EXPECT_EQ(slow.getState(sec), 1);
    window.GetTag();
    EXPECT_EQ(slow.getState(sec), 1);
    EXPECT_GE(sec, 2);
    EXPECT_EQ(window.fieldBox(0)->text(), QStringLiteral("Rewritten"));
    slow.free();
}

TEST_F(RealEngineTest, RefreshPlaysOnWithoutAGapAndKeepsAPauseAtItsSample)
{
    real.free();
    OutputConfig config;
    config.kind = OutputConfig::Kind::Null;
    config.tap = tapRecord;
    PlaybackEngine live(config);
    TrackOps liveOps(state, live, realPlaylist);
    live.init();
    live.callback(&endCallback);
    ToneSpec spec;
    spec.seconds = 6;
    ASSERT_TRUE(MakeToneMp3(track.toStdString(), spec)) << LastFixtureError();
    realPlaylist.AddRow(track);
    liveOps.OpenTrack(track);
    liveOps.PlayTrack();
    ASSERT_TRUE(waitFor([&] { return live.getPlayMs() > 1200; }, 8000));
    TagEditorWindow window(state, live, liveOps, &endCallback);

    // Playing: the sound goes on from where it was, without a gap or a jump back.
    g_heard.clear();
    g_recording = true;
    const int32_t before = live.getPlayMs();
    window.GetTag();
    const int32_t after = live.getPlayMs();
    QThread::msleep(600);
    g_recording = false;
    {
        std::lock_guard lock(g_heardMutex);
        EXPECT_LT(longestSilence(g_heard), 44100u * 30 / 1000);
    }
    EXPECT_GE(after, before);
    EXPECT_LT(after, before + 200);

    // Paused: still paused, at the very same sample.
    live.pause();
    QThread::msleep(100);
    const int64_t frame = live.positionFrames();
    window.GetTag();
    int32_t sec = 0;
    EXPECT_EQ(live.getState(sec), 2);
    EXPECT_EQ(live.positionFrames(), frame);
    live.free();
}

TEST_F(RealEngineTest, APresetFileRoundTripIsAppliedToTheSound)
{
    makeTrack({});
    const int flatPeak = playAndMeasurePeak();
    ASSERT_GT(flatPeak, 3000);

    EqMemory memory;
    EqualizerWindow window(real, memory);
    window.showWindow();
    for (int i = 0; i < kEqBands; ++i)
        window.slider(i)->setValue(-120); // every band cut by 12 dB (position 120)
    DialogScript::pushAnswer(pathIn(QStringLiteral("quiet")));
    window.saveFile();
    window.choosePreset(0);
    window.SetEQ();
    EXPECT_EQ(window.positions()[0], 0);

    DialogScript::pushAnswer(pathIn(QStringLiteral("quiet.keq")));
    window.loadFile();
    EXPECT_EQ(window.positions()[9], 120);
    const int quietPeak = playAndMeasurePeak();
    EXPECT_LT(quietPeak, flatPeak / 2) << flatPeak << " " << quietPeak;
    EXPECT_GT(quietPeak, flatPeak / 10) << "the track should still be heard";
}

TEST_F(RealEngineTest, ALyricsFileIsWrittenAndLoadedAgain)
{
    makeTrack({});
    EXPECT_FALSE(state.LyricsLoaded);
    {
        LyricsEditorWindow window(state, real);
        window.showWindow();
        window.setRows({{QStringLiteral("[00:00:50]最初の行"), QString()},
                        {QStringLiteral("[00:01:25]"), QStringLiteral("second, line")}});
        window.table()->setCurrentCell(0, 0);
        window.save();
    }
    // The track loader hands the new file to the engine, which must accept it.
    realOps.OpenTrack(track);
    ASSERT_TRUE(state.LyricsLoaded);
    LyricsEditorWindow again(state, real);
    again.showWindow();
    const auto rows = again.rows();
    EXPECT_EQ(rows[0], (LyricsRow{QStringLiteral("[00:00:50]"), QStringLiteral("最初の行")}));
    EXPECT_EQ(rows[1], (LyricsRow{QStringLiteral("[00:01:25]"), QStringLiteral("second, line")}));
    EXPECT_EQ(rows[2], LyricsRow{});
}

TEST_F(RealEngineTest, LyricsSavedIntoTheTagDriveTheLyricLineAndTheChoiceIsKept)
{
    makeTrack({});
    {
        LyricsEditorWindow window(state, real);
        window.showWindow();
        ASSERT_EQ(window.saveTargetBox()->currentIndex(), LyricsEditorWindow::SaveToFile);
        window.saveTargetBox()->setCurrentIndex(LyricsEditorWindow::SaveToTag);
        Q_EMIT window.saveTargetBox()->activated(LyricsEditorWindow::SaveToTag);
        window.setRows({{QStringLiteral("[00:00:00]"), QStringLiteral("タグの歌詞")},
                        {QString(), QStringLiteral("まだ時間のない行")}});
        window.save();
        EXPECT_FALSE(window.isModified());
    }
    EXPECT_FALSE(QFile::exists(pathIn(QStringLiteral("tone.lrc"))));

    // The track opened again shows the line from its tag.
    realOps.OpenTrack(track);
    ASSERT_TRUE(state.LyricsLoaded);
    LyricsRecord record;
    ASSERT_EQ(real.getLyrics(record), 1);
    EXPECT_EQ(record.lines[2], "タグの歌詞");

    // A new window (as after a restart) takes the same choice and the tag's lines, the untimed
    // one included.
    LyricsEditorWindow again(state, real);
    again.showWindow();
    EXPECT_EQ(again.saveTargetBox()->currentIndex(), LyricsEditorWindow::SaveToTag);
    const auto rows = again.rows();
    EXPECT_EQ(rows[0].text, QStringLiteral("タグの歌詞"));
    EXPECT_EQ(rows[1], (LyricsRow{QString(), QStringLiteral("まだ時間のない行")}));
}

// The encoding choice re-reads the file the window shows, even after another track has started,
// and saving writes the text as Unicode into that file alone.
TEST_F(RealEngineTest, TheEncodingChoiceRereadsTheShownTrackAndSavingWritesUnicode)
{
    makeTrack({});
    const std::string shown = track.toStdString();
    {
        TagLib::MPEG::File file(shown.c_str());
        file.ID3v2Tag(true)->setTitle(
            TagLib::String("\xC5\xEC\xB5\xFE\xA4\xCE\xB6\xF5", TagLib::String::Latin1)); // EUC-JP
        ASSERT_TRUE(file.save(TagLib::MPEG::File::ID3v2));
    }
    realOps.OpenTrack(track);
    TagEditorWindow window(state, real, realOps, &endCallback);
    window.showWindow();
    EXPECT_EQ(window.fieldBox(0)->text(), QStringLiteral("東京の空"));
    window.encodingBox()->setCurrentIndex(3);
    Q_EMIT window.encodingBox()->activated(3); // Western: the same bytes as accented letters
    EXPECT_NE(window.fieldBox(0)->text(), QStringLiteral("東京の空"));

    ToneSpec otherSpec;
    otherSpec.title = "Other";
    const QString other = pathIn(QStringLiteral("other.mp3"));
    ASSERT_TRUE(MakeToneMp3(other.toStdString(), otherSpec)) << LastFixtureError();
    realOps.OpenTrack(other);
    ASSERT_EQ(state.CurrentFile, other);
    window.encodingBox()->setCurrentIndex(2);
    Q_EMIT window.encodingBox()->activated(2);
    EXPECT_EQ(window.fieldBox(0)->text(), QStringLiteral("東京の空"));
    window.SetTag();

    TagLib::MPEG::File file(shown.c_str());
    const auto frames = file.ID3v2Tag()->frameListMap()["TIT2"];
    ASSERT_FALSE(frames.isEmpty());
    auto* title = dynamic_cast<TagLib::ID3v2::TextIdentificationFrame*>(frames.front());
    ASSERT_NE(title, nullptr);
    EXPECT_NE(title->textEncoding(), TagLib::String::Latin1);
    EXPECT_EQ(title->toString().to8Bit(true), "東京の空");
    TagInfo otherTag;
    ASSERT_TRUE(ReadTag(other.toStdString(), otherTag));
    EXPECT_EQ(otherTag.title, "Other");
}

TEST_F(RealEngineTest, TheWavMatchesTheDecoderSampleForSample)
{
    ToneSpec spec;
    spec.seconds = 1.5;
    spec.sampleRate = 22050;
    spec.channels = 1;
    spec.bitRate = 64;
    makeTrack(spec);
    ConversionWatcher watcher(real);
    DecodingWindow window(state, real, realOps, actions, watcher);
    window.showWindow();
    window.decode();
    std::optional<ConversionNotice> notice;
    ASSERT_TRUE(waitFor([&] { return bool(notice = watcher.poll()); }, 15000));
    EXPECT_TRUE(notice->succeeded) << notice->text.toStdString();
    const QString wav = pathIn(QStringLiteral("tone.wav"));

    SF_INFO info{};
    SNDFILE* file = sf_open(wav.toLocal8Bit().constData(), SFM_READ, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    std::vector<int16_t> written(static_cast<size_t>(info.frames * info.channels));
    sf_readf_short(file, written.data(), info.frames);
    sf_close(file);
    EXPECT_EQ(info.samplerate, 22050);
    EXPECT_EQ(info.channels, 1);

    MpegDecoder decoder;
    ASSERT_TRUE(decoder.open(track.toStdString(), true));
    std::vector<int16_t> decoded;
    std::vector<int16_t> block(4096 * decoder.channels());
    while (int got = decoder.read(block.data(), 4096))
        decoded.insert(decoded.end(), block.begin(), block.begin() + got * decoder.channels());
    ASSERT_EQ(written.size(), decoded.size());
    EXPECT_TRUE(written == decoded);
}
