// MPEG stream information: header fields, frame counts from Xing/VBRI or a scan, bad input.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "engine/meta/mpeginfo.h"
#include "engine/meta/tagreader.h"
#include "engine/meta/vbrheader.h"
#include "support/fixtures.h"
#include "support/meta_fixtures.h"

namespace fs = std::filesystem;

class MpegInfoTest : public ::testing::Test {
protected:
    // Each fixture is made once per run and shared by the tests that read it.
    static std::string fixture(const std::string& name, double seconds, int rate, int channels,
                               const std::string& lameOptions)
    {
        const std::string path = TestTempDir() + "/mpeg-" + name + ".mp3";
        if (!fs::exists(path)) {
            EXPECT_TRUE(MakeMp3(path, seconds, rate, channels, lameOptions))
                << "sox/lame failed for " << name;
        }
        return path;
    }
    MpegInfo info;
};

TEST_F(MpegInfoTest, CbrStereoHeaderFields)
{
    const auto path = fixture("cbr", 2, 44100, 2, "-b 128 -m s");
    ASSERT_TRUE(ReadMpegInfo(path, info));
    EXPECT_EQ(info.version, 1);
    EXPECT_EQ(info.layer, 3);
    EXPECT_EQ(info.protection, 1); // no CRC
    EXPECT_EQ(info.privateBit, 0);
    EXPECT_EQ(info.channelMode, 0);
    EXPECT_EQ(info.copyright, 0);
    EXPECT_EQ(info.original, 1);
    EXPECT_EQ(info.emphasis, 0);
    EXPECT_EQ(info.bitRate, 128);
    EXPECT_EQ(info.sampleRate, 44100);
    EXPECT_EQ(info.fileSize, static_cast<int32_t>(fs::file_size(path)));
    // 2 s plus the encoder's delay and padding, in whole 1152-sample frames.
    EXPECT_NEAR(info.frameCount, 2 * 44100 / 1152 + 2, 2);
    EXPECT_NEAR(info.lengthMs, 2000, 30);
}

TEST_F(MpegInfoTest, FlagBitsAsInTheHeader)
{
    const auto path = fixture("flags", 1, 44100, 2, "-b 128 -m j -p -c -o -e 5");
    ASSERT_TRUE(ReadMpegInfo(path, info));
    EXPECT_EQ(info.channelMode, 1);
    EXPECT_EQ(info.protection, 0); // CRC present
    EXPECT_EQ(info.copyright, 1);
    EXPECT_EQ(info.original, 0);
    EXPECT_EQ(info.emphasis, 1); // 50/15 ms
}

TEST_F(MpegInfoTest, VbrTakesTheFrameCountFromItsXingHeader)
{
    const auto path = fixture("vbr", 3, 44100, 2, "-V 4");
    const VbrHeader header = FindVbrHeader(path);
    ASSERT_EQ(header.kind, VbrHeader::Kind::Xing);
    ASSERT_TRUE(ReadMpegInfo(path, info));
    EXPECT_EQ(info.frameCount, header.frames);
    EXPECT_NEAR(info.lengthMs, 3000, 30);

    // The same audio without the header: the scan finds the same frames.
    const auto bare = fixture("vbr-bare", 3, 44100, 2, "-V 4 -t");
    EXPECT_EQ(FindVbrHeader(bare).kind, VbrHeader::Kind::None);
    MpegInfo scanned;
    ASSERT_TRUE(ReadMpegInfo(bare, scanned));
    EXPECT_EQ(scanned.frameCount, info.frameCount);
    EXPECT_NEAR(scanned.lengthMs, 3000, 60); // no gapless trimming without the header
}

// The header of the whole encode is no part of a file cut short: its frames are what it has.
TEST_F(MpegInfoTest, FileCutShortShowsTheFramesItHolds)
{
    const auto path = fixture("long-vbr", 20, 44100, 2, "-V 4");
    const std::string cut = TestTempDir() + "/mpeg-cut.mp3";
    ASSERT_TRUE(WriteFileBytes(cut, ReadFileBytes(path).substr(0, 4096)));
    ASSERT_TRUE(ReadMpegInfo(cut, info));
    // 4 KB hold a few dozen of this encode's small frames, not the 20 s the header claims.
    EXPECT_LT(info.frameCount, 60);
    EXPECT_NEAR(info.lengthMs, info.frameCount * 1152 * 1000 / 44100, 30);
    EXPECT_EQ(info.fileSize, 4096);
}

TEST_F(MpegInfoTest, MonoLowSampleRatesGiveMpeg2And25)
{
    const auto lsf = fixture("mono22", 2, 22050, 1, "-b 32");
    ASSERT_TRUE(ReadMpegInfo(lsf, info));
    EXPECT_EQ(info.version, 2);
    EXPECT_EQ(info.channelMode, 3);
    EXPECT_EQ(info.sampleRate, 22050);
    EXPECT_EQ(info.bitRate, 32);
    // Frames this small hold no Info header, so encoder delay and padding count too.
    EXPECT_NEAR(info.lengthMs, 2000, 80);

    const auto low = fixture("mono8", 2, 8000, 1, "-b 16");
    ASSERT_TRUE(ReadMpegInfo(low, info));
    EXPECT_EQ(info.version, 3);
    EXPECT_EQ(info.sampleRate, 8000);
}

TEST_F(MpegInfoTest, TaggedFileCountsOnlyAudio)
{
    const auto plain = fixture("cbr", 2, 44100, 2, "-b 128 -m s");
    const std::string tagged = TestTempDir() + "/mpeg-tagged.mp3";
    std::string picture(100000, '\xFF'); // sync-like bytes inside the tag must not count
    ASSERT_TRUE(
        WriteFileBytes(tagged, MakeId3v2Tag(3, {{"TIT2", Latin1Body("t")}, {"PRIV", picture}}) +
                                   ReadFileBytes(plain) + MakeId3v1Block("t", "a")));
    MpegInfo plainInfo;
    ASSERT_TRUE(ReadMpegInfo(plain, plainInfo));
    ASSERT_TRUE(ReadMpegInfo(tagged, info));
    EXPECT_EQ(info.frameCount, plainInfo.frameCount);
    EXPECT_EQ(info.lengthMs, plainInfo.lengthMs);
    EXPECT_EQ(info.fileSize, static_cast<int32_t>(fs::file_size(tagged)));
}

TEST_F(MpegInfoTest, NoMpegAudioGivesFalseAndZeroes)
{
    const std::string dir = TestTempDir() + "/mpeg-bad";
    fs::create_directories(dir);
    std::mt19937 random(3);
    std::string noise(1 << 16, '\0');
    for (char& c : noise)
        c = static_cast<char>(random());
    const std::vector<std::pair<std::string, std::string>> files = {
        {"empty.mp3", ""},
        {"text.mp3", "This is not an MP3 file.\n"},
        {"noise.mp3", noise},
        {"riff.mp3", "RIFF\x24\x00\x00\x00WAVEfmt " + std::string(40, '\0')},
        {"tag-only.mp3", MakeId3v2Tag(3, {{"TIT2", Latin1Body("no audio")}})},
        {"tag-past-end.mp3", "ID3\x03\x00\x00\x7F\x7F\x7F\x7F" + std::string(64, 'x')},
        {"v1-only.mp3", MakeId3v1Block("t", "a")},
        {"sync-only.mp3", std::string(5000, '\xFF')},
    };
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        const std::string path = dir + "/" + name;
        ASSERT_TRUE(WriteFileBytes(path, bytes));
        info.sampleRate = 1;
        EXPECT_FALSE(ReadMpegInfo(path, info));
        EXPECT_EQ(info.sampleRate, 0);
        EXPECT_EQ(info.frameCount, 0);
    }
    EXPECT_FALSE(ReadMpegInfo(dir + "/missing.mp3", info));
    EXPECT_FALSE(ReadMpegInfo(dir, info));
}

TEST_F(MpegInfoTest, DamagedFramesStillReportTheGoodOnes)
{
    const auto path = fixture("cbr", 2, 44100, 2, "-b 128 -m s");
    std::string bytes = ReadFileBytes(path);
    // Wreck a run of bytes in the middle, then cut the file mid-frame.
    for (size_t i = bytes.size() / 2; i < bytes.size() / 2 + 3000; ++i)
        bytes[i] = static_cast<char>(i * 7);
    bytes.resize(bytes.size() - 200);
    const std::string damaged = TestTempDir() + "/mpeg-damaged.mp3";
    ASSERT_TRUE(WriteFileBytes(damaged, bytes));
    ASSERT_TRUE(ReadMpegInfo(damaged, info));
    EXPECT_EQ(info.sampleRate, 44100);
    EXPECT_GT(info.lengthMs, 500);
}

// Public files: stream facts their upstream suites assert (see the MANIFEST). Several are cut
// from long encodes and keep the whole encode's header: upstream reads their length from it,
// the player shows the length they play (a fraction of a second to a few seconds).
struct PublicStreamCase {
    const char* file;
    int version;
    int sampleRate;
    int channelMode; // -1 = not checked
    double seconds;  // as upstream gives it
    bool cut = false;
};

class PublicStreams : public ::testing::TestWithParam<PublicStreamCase> {};

TEST_P(PublicStreams, LengthAndFormatMatch)
{
    const fs::path root = MORVANE_TESTDATA_DIR;
    if (!fs::exists(root / "2-tags"))
        GTEST_SKIP() << "public test data not present at " << root;
    const auto& c = GetParam();
    MpegInfo info;
    ASSERT_TRUE(ReadMpegInfo((root / c.file).string(), info)) << c.file;
    EXPECT_EQ(info.version, c.version);
    EXPECT_EQ(info.sampleRate, c.sampleRate);
    if (c.channelMode >= 0) {
        EXPECT_EQ(info.channelMode, c.channelMode);
    }
    // Libraries differ by encoder-delay handling: 50 ms, or 1 % for long files.
    const double toleranceMs = std::max(50.0, c.seconds * 10);
    if (!c.cut) {
        EXPECT_NEAR(info.lengthMs, c.seconds * 1000, toleranceMs);
        return;
    }
    // At MPEG's lowest rate, 8 kbit/s, a byte lasts a millisecond.
    const double playedMs = static_cast<double>(fs::file_size(root / c.file));
    EXPECT_LT(info.lengthMs, std::min(playedMs, c.seconds * 100)) << "the header's claim";
    EXPECT_GT(info.lengthMs, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Manifest, PublicStreams,
    ::testing::Values(
        PublicStreamCase{"2-tags/taglib/xing.mp3", 1, 44100, -1, 2.064},
        PublicStreamCase{"2-tags/taglib/lame_cbr.mp3", 1, 44100, 3, 1887.164, true},
        PublicStreamCase{"2-tags/taglib/lame_vbr.mp3", 1, 44100, 3, 1887.164, true},
        PublicStreamCase{"2-tags/taglib/bladeenc.mp3", 1, 44100, 3, 3.553},
        PublicStreamCase{"2-tags/taglib/mpeg2.mp3", 2, 22050, 3, 5387.285, true},
        PublicStreamCase{"2-tags/taglib/rare_frames.mp3", 1, 44100, -1, 222.198, true},
        PublicStreamCase{"2-tags/mutagen/vbri.mp3", 1, 44100, -1, 222.19755, true},
        PublicStreamCase{"2-tags/mutagen/silence-44-s-mpeg2.mp3", 2, 24000, -1, 3.68475},
        PublicStreamCase{"2-tags/mutagen/silence-44-s-mpeg25.mp3", 3, 12000, -1, 3.68475},
        PublicStreamCase{"2-tags/music-metadata/04-Strawberry.mp3", 1, 44100, -1, 247.85, true},
        PublicStreamCase{"2-tags/music-metadata/Luomo_-_Tessio_Spektre_Remix_ID3v10.mp3", 1, 44100,
                         -1, 33.384, true},
        PublicStreamCase{"2-tags/music-metadata/id3v2-xheader.mp3", 2, 22050, 3, 0.4963},
        PublicStreamCase{"3-malformed/taglib/invalid-frames1.mp3", 1, 44100, -1, 0.392},
        PublicStreamCase{"3-malformed/taglib/invalid-frames2.mp3", 1, 44100, -1, 0.314},
        PublicStreamCase{"3-malformed/taglib/invalid-frames3.mp3", 1, 44100, -1, 0.183},
        PublicStreamCase{"3-malformed/music-metadata/adts-0-frame.mp3", 1, 44100, -1, 217.86, true},
        PublicStreamCase{"3-malformed/music-metadata/issue-554.mp3", 2, 22050, -1, 817.92, true}));

// Every malformed, fuzzed and illegal file: tag and stream reading end without a crash, and
// files that can hold no audio are refused.
TEST(PublicMalformed, EveryFileIsReadSafely)
{
    const fs::path root = MORVANE_TESTDATA_DIR;
    if (!fs::exists(root / "3-malformed"))
        GTEST_SKIP() << "public test data not present at " << root;
    std::vector<fs::path> files;
    for (const char* folder : {"3-malformed", "2-tags", "1-conformance"}) {
        if (!fs::exists(root / folder))
            continue;
        for (const auto& entry : fs::recursive_directory_iterator(root / folder)) {
            const std::string name = entry.path().filename().string();
            if (entry.is_regular_file() && entry.path().extension() != ".pcm" &&
                (folder[0] != '1' || name.find("ILL") != std::string::npos ||
                 name.find("nonstandard") != std::string::npos))
                files.push_back(entry.path());
        }
    }
    ASSERT_GT(files.size(), 50u);
    for (const auto& file : files) {
        SCOPED_TRACE(file.string());
        MpegInfo info;
        TagInfo tag;
        const bool hasAudio = ReadMpegInfo(file.string(), info);
        ReadTag(file.string(), tag);
        if (hasAudio) {
            EXPECT_GT(info.sampleRate, 0);
            EXPECT_GT(info.frameCount, 0);
        }
    }
    const std::vector<const char*> noAudio = {
        "3-malformed/mutagen/emptyfile.mp3",
        "3-malformed/mutagen/too-short.mp3",
        "1-conformance/minimp3/l3-nonstandard-small.bit",
        "1-conformance/minimp3/l3-nonstandard-id3v2-only.bit",
        "2-tags/rust-id3/id3v23.id3",
        "2-tags/mutagen/oldtag.apev2",
        "1-conformance/minimp3/l3-nonstandard-vbrtag-corrupted.bit",
        "1-conformance/minimp3/l3-nonstandard-vbrtag-empty.bit",
        "1-conformance/minimp3/l3-nonstandard-vbrtag-noframes.bit",
        "1-conformance/minimp3/l3-nonstandard-vbrtag-only.bit"};
    for (const char* file : noAudio) {
        MpegInfo info;
        if (fs::exists(root / file)) {
            EXPECT_FALSE(ReadMpegInfo((root / file).string(), info)) << file;
        }
    }
}
