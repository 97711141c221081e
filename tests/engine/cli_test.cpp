// The morvane-engine command: key=value output, conversions, and one-line failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include <sys/wait.h>

#include "enginetestutil.h"

namespace {
const std::string kCli = std::string(MORVANE_BINARY_DIR) + "/morvane-engine";

// Runs the command line; returns the exit status and fills out with stdout and stderr.
int RunCli(const std::string& args, std::string& out, const std::string& audio = "null")
{
    // A command that hangs fails the test (status 124) instead of stalling it.
    std::string cmd = "MORVANE_AUDIO='" + audio + "' timeout 60 '" + kCli + "' " + args + " 2>&1";
    out.clear();
    FILE* pipe = popen(cmd.c_str(), "r");
    if (!pipe)
        return -1;
    char buffer[4096];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe))
        out.append(buffer, n);
    int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class CliTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::filesystem::exists(kCli))
            GTEST_SKIP() << "morvane-engine not built at " << kCli;
        ToneSpec spec;
        spec.seconds = 1.5;
        spec.title = "Cli";
        track = ToneFixture("cli.mp3", spec);
    }
    std::string track;
};

TEST_F(CliTest, InfoPrintsKeyValueLines)
{
    std::string out;
    ASSERT_EQ(RunCli("info '" + track + "'", out), 0) << out;
    EXPECT_NE(out.find("title=Cli\n"), std::string::npos) << out;
    EXPECT_NE(out.find("sampleRate=44100\n"), std::string::npos);
    EXPECT_NE(out.find("layer=3\n"), std::string::npos);
    EXPECT_NE(out.find("tag=1\n"), std::string::npos);
}

TEST_F(CliTest, TagWritesOverThePresentTagAndInfoReadsItBack)
{
    const std::string copy = TestTempDir() + "/cli-tag.mp3";
    std::filesystem::copy_file(track, copy, std::filesystem::copy_options::overwrite_existing);
    std::string out;
    ASSERT_EQ(RunCli("tag '" + copy + "' --artist 'アーティスト' --year 1999 --genre 148", out), 0)
        << out;
    ASSERT_EQ(RunCli("info '" + copy + "'", out), 0) << out;
    EXPECT_NE(out.find("title=Cli\n"), std::string::npos) << out; // kept from the old tag
    EXPECT_NE(out.find("tagArtist=アーティスト\n"), std::string::npos) << out;
    EXPECT_NE(out.find("year=1999\n"), std::string::npos);
    EXPECT_NE(out.find("genre=148\n"), std::string::npos);
    EXPECT_NE(RunCli("tag '" + copy + "' --genre 300", out), 0);
}

TEST_F(CliTest, DecodeWritesTheWav)
{
    std::string out, wav = TestTempDir() + "/cli.wav";
    ASSERT_EQ(RunCli("decode '" + track + "' '" + wav + "'", out), 0) << out;
    Pcm written, reference;
    ASSERT_TRUE(ReadSoundFile(wav, written));
    ASSERT_TRUE(LibraryDecode(track, reference));
    EXPECT_TRUE(written.samples == reference.samples);
}

TEST_F(CliTest, FailuresPrintOneLineAndExitNonZero)
{
    std::string out;
    EXPECT_NE(RunCli("info '" + TestTempDir() + "/missing.mp3'", out), 0);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
    EXPECT_NE(RunCli("lyrics '" + TestTempDir() + "/missing.lrc' 1000", out), 0);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
    // A link to a kernel file that stat calls regular (reading /proc/kmsg waits for the next
    // message for ever) is refused like a FIFO.
    const std::string kmsg = TestTempDir() + "/kmsg.mp3";
    std::filesystem::remove(kmsg);
    std::filesystem::create_symlink("/proc/kmsg", kmsg);
    EXPECT_EQ(RunCli("info '" + kmsg + "'", out), 1) << out;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
    EXPECT_NE(RunCli("spectrum '" + track + "' soon", out), 0);
    EXPECT_NE(RunCli("frobnicate", out), 0);
    // Numbers past any track are refused rather than taken as the start or the end.
    for (const std::string& args :
         {"spectrum '" + track + "' 1e300", "wave '" + track + "' inf",
          "play '" + track + "' --seconds 1e300", "play '" + track + "' --seconds -1"}) {
        EXPECT_EQ(RunCli(args, out), 1) << args;
        EXPECT_NE(out.find("out of range"), std::string::npos) << out;
    }
}

// Two halves of one sound, cut at an odd sample and encoded apart, play as one list: what is
// heard is the two decodes back to back, not a sample lost or added at the join (lame's encoder
// delay and padding trimmed); one track played twice likewise.
TEST_F(CliTest, PlayJoinsTheListWithoutAGap)
{
    const std::string dir = TestTempDir() + "/join";
    const std::string first = dir + "/first", second = dir + "/second";
    ASSERT_EQ(RunCommand("mkdir -p '" + dir + "' && sox -n -r 44100 -c 2 -b 16 '" + dir +
                         "/whole.wav' synth 2.2 sine 200-2000 pinknoise vol 0.3 2>/dev/null && "
                         "sox '" +
                         dir + "/whole.wav' '" + first +
                         ".wav' trim 0 50021s && "
                         "sox '" +
                         dir + "/whole.wav' '" + second +
                         ".wav' trim 50021s && "
                         "lame --quiet -b 192 '" +
                         first + ".wav' '" + first +
                         ".mp3' && "
                         "lame --quiet -b 192 '" +
                         second + ".wav' '" + second + ".mp3'"),
              0);
    Pcm a, b;
    ASSERT_TRUE(LibraryDecode(first + ".mp3", a));
    ASSERT_TRUE(LibraryDecode(second + ".mp3", b));
    ASSERT_EQ(a.frames(), 50021u);
    ASSERT_EQ(b.frames(), 97020u - 50021u); // 2.2 s in all
    const std::vector<std::pair<std::string, std::vector<int16_t>>> lists = {
        {"'" + first + ".mp3' '" + second + ".mp3'", b.samples},
        {"'" + first + ".mp3' '" + first + ".mp3'", a.samples}};
    for (const auto& [files, then] : lists) {
        std::string out, capture = dir + "/heard.wav";
        ASSERT_EQ(RunCli("play " + files, out, "capture:" + capture), 0) << out;
        EXPECT_NE(out.find("track=2\n"), std::string::npos) << out;
        Pcm heard;
        ASSERT_TRUE(ReadSoundFile(capture, heard));
        std::vector<int16_t> expected = a.samples;
        expected.insert(expected.end(), then.begin(), then.end());
        EXPECT_GE(FindExactly(heard.samples, expected), 0) << files;
    }
}

TEST_F(CliTest, SpectrumAndWavePrintBothChannels)
{
    std::string out;
    ASSERT_EQ(RunCli("spectrum '" + track + "' 0.5", out), 0) << out;
    EXPECT_EQ(out.rfind("left=", 0), 0u);
    EXPECT_NE(out.find("\nright="), std::string::npos);
    ASSERT_EQ(RunCli("wave '" + track + "' 0.5", out), 0) << out;
    EXPECT_EQ(std::count(out.begin(), out.end(), ','), 2 * 255);
}
} // namespace

// Files nobody here made. A download cut to 4 KB keeps the Xing/Info header of the whole encode;
// a short VBR file's bytes are mostly its header frame; a file too short for its encoder delay
// decodes to nothing. Each shows one length, the one its decode gives, and a bit rate Layer III
// can carry.
TEST_F(CliTest, InfoShowsTheLengthTheDecodeGives)
{
    const std::string dir = TestTempDir() + "/strangers";
    ASSERT_EQ(RunCommand("mkdir -p '" + dir + "' && cd '" + dir +
                         "' && sox -n -r 44100 -c 2 -b 16 long.wav synth 120 sine 440 2>/dev/null"
                         " && lame --quiet -b 128 long.wav cbr.mp3 && lame --quiet -V 2 long.wav "
                         "vbr.mp3 && head -c 4096 cbr.mp3 > cbr-cut.mp3 && head -c 4096 vbr.mp3 > "
                         "vbr-cut.mp3 && sox -n -r 44100 -c 2 -b 16 short.wav synth 0.05 "
                         "whitenoise 2>/dev/null && lame --quiet -V 0 short.wav short.mp3 && "
                         "sox -n -r 24000 -c 1 -b 16 none.wav trim 0 0 && lame --quiet -b 64 "
                         "none.wav none.mp3"),
              0);
    auto field = [](const std::string& out, const std::string& key) {
        const size_t at = out.find("\n" + key + "=");
        return at == std::string::npos ? -1 : std::atoll(out.c_str() + at + key.size() + 2);
    };
    for (const char* name : {"cbr-cut", "vbr-cut", "short", "none"}) {
        SCOPED_TRACE(name);
        const std::string mp3 = dir + "/" + name + ".mp3", wav = dir + "/" + name + ".wav";
        std::string out, decoded;
        ASSERT_EQ(RunCli("info '" + mp3 + "'", out), 0) << out;
        ASSERT_EQ(RunCli("decode '" + mp3 + "' '" + wav + "'", decoded), 0) << decoded;
        Pcm pcm;
        ASSERT_TRUE(ReadSoundFile(wav, pcm));
        EXPECT_NE(out.find("mpeg=1\n"), std::string::npos) << out;
        EXPECT_EQ(field(out, "layer"), 3) << out;
        const long long rate = field(out, "sampleRate");
        ASSERT_GT(rate, 0) << out;
        EXPECT_EQ(field(out, "lengthMs"), static_cast<long long>(pcm.frames()) * 1000 / rate)
            << out;
        EXPECT_EQ(field(out, "totalSec"), std::llround(static_cast<double>(pcm.frames()) / rate));
        EXPECT_LE(field(out, "frameCount") * 1152, static_cast<long long>(pcm.frames()) + 2 * 1152)
            << out;
        EXPECT_GT(field(out, "bitRate"), 0) << out;
        EXPECT_LE(field(out, "bitRate"), 320) << out;
    }
}

// The bytes of a file are not all audio: a short WAV with a large chunk of something else beside
// its samples shows their rate, never more.
TEST_F(CliTest, ABitRateNeverPassesWhatTheSamplesHold)
{
    const std::string path = TestTempDir() + "/junk-chunk.wav";
    {
        std::ofstream wav(path, std::ios::binary);
        auto le = [&](uint32_t value, int bytes) {
            for (int k = 0; k < bytes; ++k)
                wav.put(static_cast<char>(value >> (8 * k) & 0xFF));
        };
        const uint32_t junk = 4u << 20, data = 2205 * 4; // 50 ms of 16-bit stereo
        wav.write("RIFF", 4);
        le(4 + 24 + 8 + junk + 8 + data, 4);
        wav.write("WAVEfmt ", 8);
        le(16, 4), le(1, 2), le(2, 2), le(44100, 4), le(44100 * 4, 4), le(4, 2), le(16, 2);
        wav.write("JUNK", 4);
        le(junk, 4);
        wav << std::string(junk, '\0');
        wav.write("data", 4);
        le(data, 4);
        wav << std::string(data, '\0');
    }
    std::string out;
    ASSERT_EQ(RunCli("info '" + path + "'", out), 0) << out;
    EXPECT_NE(out.find("\nbitRate=1411\n"), std::string::npos) << out;
}

// Seek values from the command line are checked before any arithmetic (an overflow otherwise,
// caught by the sanitizer), and a seek into the last tenth of a second ends the play then, not
// after the seconds of audio the seek dropped.
TEST_F(CliTest, SeeksAreCheckedAndEndTheTrackOnTime)
{
    std::string out;
    for (const char* value : {"nan", "inf", "1e300", "-1e300"}) {
        EXPECT_EQ(RunCli("play '" + track + "' --at 0.1:seek:" + value, out), 1) << value;
        EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
    }
    ToneSpec spec;
    spec.seconds = 20;
    const std::string longer = ToneFixture("cli-20s.mp3", spec);
    const std::string capture = TestTempDir() + "/cli-seek-end.wav";
    ASSERT_EQ(RunCli("play '" + longer + "' --at 0.5:seek:19.9", out, "capture:" + capture), 0)
        << out;
    Pcm heard;
    ASSERT_TRUE(ReadSoundFile(capture, heard));
    EXPECT_LT(heard.frames(), 2u * 44100) << "the play went on after the track's end";
}
