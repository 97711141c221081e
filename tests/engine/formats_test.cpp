// Every family behind the decoder seam against its format's reference decoder (flac, oggdec,
// opusdec, ffmpeg): the samples, the true length, the sample a seek lands on, two halves that
// play as one list without a gap, and damaged files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include <sndfile.h>
#include <sys/wait.h>

#include "decode/decoder.h"
#include "enginetestutil.h"

namespace {
enum class Exactness { BitIdentical, TwoLsb, Snr60 };

struct FormatCase {
    const char* name;
    const char* ext;
    int rate;
    int bits;
    const char* encode;    // {in} {out}
    const char* reference; // {in} {out}: the format's own decoder to WAV; empty: the source
    Exactness exactness;
    AudioFormat format;
    const char* codec;
};

std::string Fill(std::string command, const std::string& in, const std::string& out)
{
    for (size_t at; (at = command.find("{in}")) != std::string::npos;)
        command.replace(at, 4, "'" + in + "'");
    for (size_t at; (at = command.find("{out}")) != std::string::npos;)
        command.replace(at, 5, "'" + out + "'");
    return command + " 2>/dev/null";
}

// Every sample of a sound file at its own depth (right-aligned); empty when unreadable.
std::vector<int32_t> ReadWideFile(const std::string& path, int bits, int* channels = nullptr)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file)
        return {};
    std::vector<int32_t> samples(static_cast<size_t>(info.frames) * info.channels);
    samples.resize(static_cast<size_t>(sf_readf_int(file, samples.data(), info.frames)) *
                   info.channels);
    sf_close(file);
    for (int32_t& s : samples)
        s >>= 32 - bits;
    if (channels)
        *channels = info.channels;
    return samples;
}

std::vector<int32_t> DecodeAll(Decoder& decoder)
{
    std::vector<int32_t> all, block(777 * 2);
    while (int got = decoder.readWide(block.data(), 777))
        all.insert(all.end(), block.begin(), block.begin() + got * decoder.channels());
    return all;
}

// How well got matches want over want's length: the largest difference and the SNR in dB.
std::pair<int32_t, double> Compare(const std::vector<int32_t>& got,
                                   const std::vector<int32_t>& want)
{
    int32_t largest = 0;
    double error = 0, signal = 0;
    for (size_t i = 0; i < want.size() && i < got.size(); ++i) {
        const double d = static_cast<double>(got[i]) - want[i];
        largest = std::max(largest, static_cast<int32_t>(std::abs(d)));
        error += d * d;
        signal += static_cast<double>(want[i]) * want[i];
    }
    return {largest, error > 0 ? 10 * std::log10(signal / error) : 999};
}

void ExpectClose(const FormatCase& c, const std::vector<int32_t>& got,
                 const std::vector<int32_t>& want, const std::string& what)
{
    const auto [largest, snr] = Compare(got, want);
    switch (c.exactness) {
    case Exactness::BitIdentical:
        EXPECT_EQ(largest, 0) << what;
        break;
    case Exactness::TwoLsb:
        EXPECT_LE(largest, 2) << what;
        break;
    case Exactness::Snr60:
        EXPECT_GE(snr, 60) << what;
        break;
    }
}

class FormatTest : public ::testing::TestWithParam<FormatCase> {
protected:
    // source.wav, cut at an odd sample into first.wav and second.wav, each encoded.
    void SetUp() override
    {
        const FormatCase& c = GetParam();
        dir = TestTempDir() + "/format-" + c.name;
        const std::string rate = std::to_string(c.rate), bits = std::to_string(c.bits);
        ASSERT_EQ(
            RunCommand("mkdir -p '" + dir + "' && sox -r " + rate + " -c 2 -n -b " + bits + " '" +
                       dir + "/source.wav' synth 1 sine 200-6000 pinknoise vol 0.3 trim 0 " +
                       std::to_string(kFrames) + "s 2>/dev/null && sox '" + dir + "/source.wav' '" +
                       dir + "/first.wav' trim 0 " + std::to_string(kCut) + "s && sox '" + dir +
                       "/source.wav' '" + dir + "/second.wav' trim " + std::to_string(kCut) + "s"),
            0);
        for (const char* part : {"source", "first", "second"})
            ASSERT_EQ(RunCommand(Fill(c.encode, path(part, ".wav"), path(part, c.ext))), 0)
                << c.encode;
    }
    std::string path(const std::string& part, const std::string& ext) const
    {
        return dir + "/" + part + ext;
    }

    static constexpr int kFrames = 40000;
    static constexpr int kCut = 17011;
    std::string dir;
};

// Opened by content under an MP3's name, the whole decode matches the reference decoder with
// the source's exact length; a seek lands on the asked sample.
TEST_P(FormatTest, DecodesLikeTheReferenceAtTheTrueLength)
{
    const FormatCase& c = GetParam();
    const std::string encoded = path("source", c.ext), misnamed = path("misnamed", ".mp3");
    std::filesystem::copy_file(encoded, misnamed);
    EXPECT_EQ(SniffAudioFormat(misnamed), c.format);
    std::string error;
    std::unique_ptr<Decoder> decoder = OpenDecoder(misnamed, true, &error);
    ASSERT_TRUE(decoder) << error;
    EXPECT_EQ(decoder->codec(), c.codec);
    EXPECT_EQ(decoder->sampleRate(), c.rate);
    EXPECT_EQ(decoder->channels(), 2);
    EXPECT_EQ(decoder->lengthFrames(), kFrames);
    // The command line names the codec and reports no MPEG frame header for it.
    const std::string info = "MORVANE_AUDIO=null '" MORVANE_BINARY_DIR "/morvane-engine' info '" +
                             misnamed + "' > '" + path("info", ".txt") + "'";
    ASSERT_EQ(RunCommand(info), 0);
    EXPECT_EQ(RunCommand("grep -qx 'codec=" + std::string(c.codec) + "' '" + path("info", ".txt") +
                         "' && grep -qx mpeg=0 '" + path("info", ".txt") + "'"),
              0);
    const int bits = decoder->bitsPerSample();
    std::vector<int32_t> want;
    if (*c.reference) {
        const std::string reference = path("reference", ".wav");
        ASSERT_EQ(RunCommand(Fill(c.reference, encoded, reference)), 0) << c.reference;
        want = ReadWideFile(reference, 16);
    } else {
        EXPECT_EQ(bits, c.bits);
        want = ReadWideFile(path("source", ".wav"), c.bits);
    }
    ASSERT_GE(want.size(), size_t{kFrames} * 2);
    want.resize(size_t{kFrames} * 2); // ffmpeg's own decode keeps the AAC padding
    const std::vector<int32_t> all = DecodeAll(*decoder);
    ASSERT_EQ(all.size(), want.size());
    ExpectClose(c, all, want, "whole decode");

    if (c.bits == 24 && !*c.reference) { // converted to WAV at its own depth and rate
        const std::string wav = path("converted", ".wav");
        ASSERT_EQ(RunCommand("MORVANE_AUDIO=null '" MORVANE_BINARY_DIR "/morvane-engine' decode '" +
                             encoded + "' '" + wav + "' >/dev/null"),
                  0);
        EXPECT_TRUE(ReadWideFile(wav, 24) == want);
    }

    // A lossy decoder's state after a seek is not the one of a decode from the start: there the
    // decode must simply line up best with the whole one at the asked sample.
    constexpr int kWindow = 1000;
    for (int64_t target : {int64_t{30011}, int64_t{5}, int64_t{kFrames - kWindow}}) {
        ASSERT_EQ(decoder->seek(target), target);
        std::vector<int32_t> got(kWindow * 2);
        ASSERT_EQ(decoder->readWide(got.data(), kWindow), kWindow);
        const std::string what = "seek to " + std::to_string(target);
        if (c.exactness == Exactness::BitIdentical) {
            EXPECT_TRUE(std::equal(got.begin(), got.end(), all.begin() + target * 2)) << what;
        }
        int64_t best = 0;
        double bestError = -1;
        for (int64_t offset = -8; offset <= 8; ++offset) {
            if (target + offset < 0 || target + offset + kWindow > kFrames)
                continue;
            const std::vector<int32_t> there(all.begin() + (target + offset) * 2,
                                             all.begin() + (target + offset + kWindow) * 2);
            const double mismatch = std::pow(10, -Compare(got, there).second / 10);
            if (bestError < 0 || mismatch < bestError) {
                bestError = mismatch;
                best = offset;
            }
        }
        EXPECT_EQ(best, 0) << what;
    }
}

// The halves have their exact lengths, and `morvane-engine play` joins them without a sample
// lost or added: what is heard is the two decodes back to back.
TEST_P(FormatTest, HalvesJoinSampleExact)
{
    const FormatCase& c = GetParam();
    std::vector<int16_t> expected;
    for (const auto& [part, frames] : {std::pair{"first", kCut}, {"second", kFrames - kCut}}) {
        std::unique_ptr<Decoder> decoder = OpenDecoder(path(part, c.ext), true);
        ASSERT_TRUE(decoder);
        EXPECT_EQ(decoder->lengthFrames(), frames) << part;
        std::vector<int16_t> block(1000 * 2);
        while (int got = decoder->read(block.data(), 1000))
            expected.insert(expected.end(), block.begin(), block.begin() + got * 2);
    }
    ASSERT_EQ(expected.size(), size_t{kFrames} * 2);
    const std::string capture = path("heard", ".wav");
    const std::string command =
        "MORVANE_AUDIO='capture:" + capture + "' '" MORVANE_BINARY_DIR "/morvane-engine' play '" +
        path("first", c.ext) + "' '" + path("second", c.ext) + "' >/dev/null 2>&1";
    ASSERT_EQ(RunCommand(command), 0);
    Pcm heard;
    ASSERT_TRUE(ReadSoundFile(capture, heard));
    EXPECT_EQ(heard.sampleRate, c.rate);
    EXPECT_GE(FindExactly(heard.samples, expected), 0);
}

// A file with the format's signature and nothing right after it is refused with a reason; one
// cut short opens or is refused, and decodes and seeks to an end without a crash or a hang.
TEST_P(FormatTest, DamagedFilesEndCleanly)
{
    const FormatCase& c = GetParam();
    const std::string encoded = path("source", c.ext);
    std::ifstream in(encoded, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string fake = path("fake", c.ext), cut = path("cut", c.ext);
    std::string garbage = bytes.substr(0, 12);
    for (int i = 0; i < 5000; ++i)
        garbage += static_cast<char>((i * 7919) >> 3);
    std::ofstream(fake, std::ios::binary) << garbage;
    std::ofstream(cut, std::ios::binary) << bytes.substr(0, bytes.size() * 2 / 5);

    std::string error;
    EXPECT_FALSE(OpenDecoder(fake, true, &error));
    EXPECT_FALSE(error.empty());
    if (std::unique_ptr<Decoder> decoder = OpenDecoder(cut, true, &error)) {
        decoder->seek(kFrames / 2);
        EXPECT_LE(DecodeAll(*decoder).size(), size_t{kFrames} * 2);
        decoder->seek(0);
        EXPECT_LE(DecodeAll(*decoder).size(), size_t{kFrames} * 2);
    }
}

const FormatCase kCases[] = {
    {"flac16", ".flac", 44100, 16, "flac -s -f {in} -o {out}", "", Exactness::BitIdentical,
     AudioFormat::Flac, "FLAC"},
    {"flac24_96k", ".flac", 96000, 24, "flac -s -f {in} -o {out}", "", Exactness::BitIdentical,
     AudioFormat::Flac, "FLAC"},
    {"wav24", "-copy.wav", 48000, 24, "cp {in} {out}", "", Exactness::BitIdentical,
     AudioFormat::Wav, "PCM"},
    {"aiff", ".aiff", 44100, 16, "sox {in} {out}", "", Exactness::BitIdentical, AudioFormat::Aiff,
     "PCM"},
    {"alac24", ".m4a", 44100, 24,
     "ffmpeg -v error -y -i {in} -c:a alac -movie_timescale 44100 {out}", "",
     Exactness::BitIdentical, AudioFormat::Mp4, "ALAC"},
    {"vorbis", ".ogg", 44100, 16, "oggenc -Q {in} -o {out}", "oggdec -Q {in} -o {out}",
     Exactness::TwoLsb, AudioFormat::Vorbis, "Vorbis"},
    {"opus", ".opus", 48000, 16, "opusenc --quiet {in} {out}",
     "opusdec --quiet --rate 48000 --no-dither {in} {out}", Exactness::TwoLsb, AudioFormat::Opus,
     "Opus"},
    {"aac", ".m4a", 44100, 16,
     "ffmpeg -v error -y -i {in} -c:a aac -b:a 192k -movie_timescale 44100 {out}",
     "ffmpeg -v error -y -i {in} {out}", Exactness::Snr60, AudioFormat::Mp4, "AAC"},
};

INSTANTIATE_TEST_SUITE_P(Families, FormatTest, ::testing::ValuesIn(kCases),
                         [](const auto& param) { return std::string(param.param.name); });
} // namespace
