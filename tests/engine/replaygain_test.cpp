// ReplayGain: figures read from each kind of tag, the level heard through the capture output,
// the peak rule, and measurements of untagged tracks kept in the cache.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/relativevolumeframe.h>
#include <taglib/textidentificationframe.h>
#include <taglib/xiphcomment.h>

#include "enginetestutil.h"
#include "meta/replaygain.h"

namespace {

// An MP3 of a 440 Hz sine at half of full scale, with no ReplayGain anywhere (lame leaves its
// header's gain unset).
std::string UntaggedTone(const std::string& name)
{
    const std::string path = TestTempDir() + "/" + name;
    if (!std::filesystem::exists(path)) {
        EXPECT_EQ(RunCommand("sox -n -r 44100 -c 2 -b 16 -t wav - synth 1.5 sine 440 vol 0.5 "
                             "2>/dev/null | lame --quiet --noreplaygain -b 192 - '" +
                             path + "'"),
                  0);
    }
    return path;
}

// A copy of source with TXXX frames (description, value).
std::string WithTxxx(const std::string& source, const std::string& name,
                     const std::vector<std::pair<std::string, std::string>>& frames)
{
    const std::string path = TestTempDir() + "/" + name;
    std::filesystem::copy_file(source, path, std::filesystem::copy_options::overwrite_existing);
    TagLib::MPEG::File file(path.c_str());
    for (const auto& [description, value] : frames) {
        auto* frame = new TagLib::ID3v2::UserTextIdentificationFrame(TagLib::String::UTF8);
        frame->setDescription(TagLib::String(description, TagLib::String::UTF8));
        frame->setText(TagLib::String(value, TagLib::String::UTF8));
        file.ID3v2Tag(true)->addFrame(frame);
    }
    EXPECT_TRUE(file.save(TagLib::MPEG::File::ID3v2));
    return path;
}

double RmsDb(const std::vector<int16_t>& samples)
{
    auto [first, last] = AudibleSpan(samples, 300);
    const size_t from = first + (last - first) / 5, count = (last - first) * 3 / 5;
    return 20 * std::log10(Rms(samples, 2, 0, from, count));
}

// The level heard, in dB of full scale, when path plays with settings to its end.
double HeardDb(const std::string& path, const ReplayGainSettings& settings)
{
    const std::string capture = path + ".heard.wav";
    g_endNotices.store(0);
    auto engine = CaptureEngine(capture, 8);
    engine->loudness().setSettings(settings);
    InputInfo info;
    EXPECT_EQ(engine->open(path, info), 1);
    engine->play();
    EXPECT_TRUE(WaitFor([] { return g_endNotices.load() == 1; }, 10000));
    engine->free();
    Pcm heard;
    EXPECT_TRUE(ReadSoundFile(capture, heard));
    return RmsDb(heard.samples);
}

TEST(ReplayGainTest, GainsThatAreNotNumbersOrPastFiftyOneDbAreIgnored)
{
    EXPECT_EQ(ParseGainDb("-6.00 dB"), -6.0);
    EXPECT_EQ(ParseGainDb("+3,5 dB"), 3.5);
    EXPECT_EQ(ParseGainDb(" 51"), 51.0);
    for (const char* bad : {"", "loud", "-6.00 dBx", "nan", "inf dB", "-51.5 dB", "1e400", "0x10"})
        EXPECT_FALSE(ParseGainDb(bad)) << bad;
    EXPECT_EQ(ParsePeak("0.988"), 0.988);
    for (const char* bad : {"0", "-1", "nan", "1e9", "peak"})
        EXPECT_FALSE(ParsePeak(bad)) << bad;
}

TEST(ReplayGainTest, FiguresComeFromTxxxRva2TheLameHeaderAndVorbisComments)
{
    const std::string plain = UntaggedTone("rg-plain.mp3");
    EXPECT_FALSE(ReadReplayGain(plain).any());

    ReplayGainTags txxx = ReadReplayGain(WithTxxx(plain, "rg-txxx.mp3",
                                                  {{"REPLAYGAIN_TRACK_GAIN", "-6.00 dB"},
                                                   {"replaygain_track_peak", "0.5"},
                                                   {"REPLAYGAIN_ALBUM_GAIN", "-7.50 dB"},
                                                   {"REPLAYGAIN_ALBUM_PEAK", "bad"}}));
    EXPECT_EQ(txxx.source, "TXXX");
    EXPECT_EQ(txxx.trackGainDb, -6.0);
    EXPECT_EQ(txxx.trackPeak, 0.5);
    EXPECT_EQ(txxx.albumGainDb, -7.5);
    EXPECT_FALSE(txxx.albumPeak);
    // A forged figure leaves the track untagged (it is then measured like any other).
    EXPECT_FALSE(
        ReadReplayGain(WithTxxx(plain, "rg-forged.mp3", {{"REPLAYGAIN_TRACK_GAIN", "-80 dB"}}))
            .any());

    const std::string rva2 = TestTempDir() + "/rg-rva2.mp3";
    std::filesystem::copy_file(plain, rva2, std::filesystem::copy_options::overwrite_existing);
    {
        TagLib::MPEG::File file(rva2.c_str());
        auto* frame = new TagLib::ID3v2::RelativeVolumeFrame();
        frame->setIdentification("album");
        frame->setVolumeAdjustment(-4.5f);
        file.ID3v2Tag(true)->addFrame(frame);
        ASSERT_TRUE(file.save(TagLib::MPEG::File::ID3v2));
    }
    EXPECT_EQ(ReadReplayGain(rva2).source, "RVA2");
    EXPECT_EQ(ReadReplayGain(rva2).albumGainDb, -4.5);

    // lame measures the gain itself when it is not told otherwise.
    const std::string lame = TestTempDir() + "/rg-lame.mp3";
    ASSERT_EQ(RunCommand("sox -n -r 44100 -c 2 -b 16 -t wav - synth 1 sine 440 vol 0.5 2>/dev/null"
                         " | lame --quiet -b 192 - '" +
                         lame + "'"),
              0);
    const ReplayGainTags fromLame = ReadReplayGain(lame);
    EXPECT_EQ(fromLame.source, "LAME");
    ASSERT_TRUE(fromLame.trackGainDb);
    EXPECT_NEAR(*fromLame.trackGainDb, -8.5, 3.0);

    // Vorbis comments, and Opus's R128 figure (1/256 dB steps at -23 LUFS) in the same place.
    const std::string flac = TestTempDir() + "/rg.flac";
    ASSERT_EQ(RunCommand("sox -n -r 44100 -c 2 -b 16 '" + flac + "' synth 0.5 sine 440"), 0);
    {
        TagLib::FLAC::File file(flac.c_str(), nullptr);
        file.xiphComment(true)->addField("REPLAYGAIN_TRACK_GAIN", "-2.25 dB");
        ASSERT_TRUE(file.save());
    }
    EXPECT_EQ(ReadReplayGain(flac).trackGainDb, -2.25);
    {
        TagLib::FLAC::File file(flac.c_str(), nullptr);
        file.xiphComment(true)->removeFields("REPLAYGAIN_TRACK_GAIN");
        file.xiphComment(true)->addField("R128_TRACK_GAIN", "-2560");
        ASSERT_TRUE(file.save());
    }
    EXPECT_EQ(ReadReplayGain(flac).trackGainDb, -5.0); // -10 dB at -23 LUFS
}

TEST(ReplayGainTest, ATrackTaggedMinusSixDbIsHeardSixDbBelowTheUntaggedOneAndThePeakRuleHolds)
{
    const std::string plain = UntaggedTone("rg-heard-plain.mp3");
    const std::string minus6 =
        WithTxxx(plain, "rg-minus6.mp3", {{"REPLAYGAIN_TRACK_GAIN", "-6.00 dB"}});
    // +12 dB would lift the half-scale sine past full scale: its peak of 0.7 holds it at 1/0.7.
    const std::string loud =
        WithTxxx(plain, "rg-loud.mp3",
                 {{"REPLAYGAIN_TRACK_GAIN", "+12.00 dB"}, {"REPLAYGAIN_TRACK_PEAK", "0.7"}});

    // The untagged track as it is, before any measurement of it could take part.
    ReplayGainSettings settings;
    const double untagged = HeardDb(plain, settings);
    settings.mode = ReplayGainMode::Track;
    EXPECT_NEAR(HeardDb(minus6, settings) - untagged, -6.0, 0.1);
    EXPECT_NEAR(HeardDb(loud, settings) - untagged, -20 * std::log10(0.7), 0.1);
    settings.preampDb = 2.5;
    EXPECT_NEAR(HeardDb(minus6, settings) - untagged, -3.5, 0.1);
    settings.mode = ReplayGainMode::Off;
    EXPECT_NEAR(HeardDb(minus6, settings) - untagged, 0.0, 0.1);
}

TEST(ReplayGainTest, AnUntaggedTrackIsMeasuredOnceAndTheCacheServesTheNextTime)
{
    const std::string plain = UntaggedTone("rg-measure.mp3");
    const std::string cache = TestTempDir() + "/rg-cache.txt";
    std::filesystem::remove(cache);
    const auto before = std::filesystem::last_write_time(plain);
    ReplayGainSettings settings;
    settings.mode = ReplayGainMode::Track;
    double firstGain = 0;
    {
        PlaybackEngine engine(CaptureConfig(TestTempDir() + "/rg-measure.wav", 8));
        engine.loudness().setCacheFile(cache);
        engine.loudness().setSettings(settings);
        InputInfo info;
        ASSERT_EQ(engine.open(plain, info), 1);
        ASSERT_TRUE(engine.loudness().waitIdle(20000));
        EXPECT_EQ(engine.loudness().measuredCount(), 1);
        const ReplayGainChoice choice = engine.loudness().choice();
        EXPECT_EQ(choice.basis, "measured");
        // A sine at -6 dBFS is about -9 LUFS: ReplayGain's -18 LUFS is 9 dB lower.
        EXPECT_NEAR(choice.gainDb, -11.0, 1.0);
        firstGain = choice.gainDb;
    }
    ASSERT_TRUE(std::filesystem::exists(cache));
    EXPECT_EQ(std::filesystem::last_write_time(plain), before); // never written into the file
    PlaybackEngine again(CaptureConfig(TestTempDir() + "/rg-measure2.wav", 8));
    again.loudness().setCacheFile(cache);
    again.loudness().setSettings(settings);
    InputInfo info;
    ASSERT_EQ(again.open(plain, info), 1);
    EXPECT_EQ(again.loudness().choice().basis, "measured");
    EXPECT_NEAR(again.loudness().choice().gainDb, firstGain, 0.01);
    ASSERT_TRUE(again.loudness().waitIdle(20000));
    EXPECT_EQ(again.loudness().measuredCount(), 0);
}

} // namespace
