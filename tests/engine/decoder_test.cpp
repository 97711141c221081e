// The MP3 decoder against libmpg123's own plain decode, and its seeking.
#include <gtest/gtest.h>

#include "decode/mpegdecoder.h"
#include "enginetestutil.h"

namespace {
struct DecodeCase {
    const char* name;
    ToneSpec spec;
};

class DecoderMatchesLibmpg123 : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecoderMatchesLibmpg123, SamplesAreBitIdentical)
{
    std::string path = ToneFixture(std::string(GetParam().name) + ".mp3", GetParam().spec);
    Pcm reference;
    ASSERT_TRUE(LibraryDecode(path, reference));
    MpegDecoder decoder;
    ASSERT_TRUE(decoder.open(path, true));
    EXPECT_EQ(decoder.sampleRate(), reference.sampleRate);
    EXPECT_EQ(decoder.channels(), reference.channels);
    EXPECT_EQ(decoder.lengthFrames(), static_cast<int64_t>(reference.frames()));
    std::vector<int16_t> all, block(1000 * 2);
    while (int got = decoder.read(block.data(), 1000))
        all.insert(all.end(), block.begin(), block.begin() + got * decoder.channels());
    ASSERT_EQ(all.size(), reference.samples.size());
    EXPECT_TRUE(all == reference.samples);
}

ToneSpec Spec(double seconds, int rate, int channels, int bitRate)
{
    ToneSpec spec;
    spec.seconds = seconds;
    spec.sampleRate = rate;
    spec.channels = channels;
    spec.bitRate = bitRate;
    return spec;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, DecoderMatchesLibmpg123,
                         ::testing::Values(DecodeCase{"stereo", Spec(2, 44100, 2, 128)},
                                           DecodeCase{"mono", Spec(2, 44100, 1, 64)},
                                           DecodeCase{"rate22k", Spec(2, 22050, 2, 64)},
                                           DecodeCase{"vbr", Spec(3, 44100, 2, 0)}),
                         [](const auto& param) { return std::string(param.param.name); });

class DecoderSeek : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = SoxFixture("sweep.mp3", "synth 3 sine 200-4000 vol 0.5");
        ASSERT_TRUE(ReferenceDecode(path, reference));
        ASSERT_TRUE(decoder.open(path, true));
    }
    std::string path;
    Pcm reference;
    MpegDecoder decoder;
};

TEST_F(DecoderSeek, LandsOnTheExactSample)
{
    for (int64_t target : {0L, 1L, 1151L, 44100L, 77777L, 120000L}) {
        ASSERT_EQ(decoder.seek(target), target);
        std::vector<int16_t> got(500 * 2);
        ASSERT_EQ(decoder.read(got.data(), 500), 500);
        std::vector<int16_t> want(reference.samples.begin() + target * 2,
                                  reference.samples.begin() + (target + 500) * 2);
        EXPECT_TRUE(got == want) << "seek to " << target;
    }
}

TEST_F(DecoderSeek, ClampsPastEitherEnd)
{
    EXPECT_EQ(decoder.seek(-50), 0);
    int64_t length = decoder.lengthFrames();
    EXPECT_EQ(decoder.seek(length + 100000), length);
    std::vector<int16_t> block(100 * 2);
    EXPECT_EQ(decoder.read(block.data(), 100), 0);
    // Seeking back after the end plays again.
    EXPECT_EQ(decoder.seek(1000), 1000);
    EXPECT_EQ(decoder.read(block.data(), 100), 100);
}
} // namespace
