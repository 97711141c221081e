// The morvane-engine command: key=value output, conversions, and one-line failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include <sys/wait.h>

#include "enginetestutil.h"

namespace {
const std::string kCli = std::string(MORVANE_BINARY_DIR) + "/morvane-engine";

// Runs the command line; returns the exit status and fills out with stdout and stderr.
int RunCli(const std::string& args, std::string& out)
{
    std::string cmd = "MORVANE_AUDIO=null '" + kCli + "' " + args + " 2>&1";
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
    EXPECT_NE(RunCli("spectrum '" + track + "' soon", out), 0);
    EXPECT_NE(RunCli("frobnicate", out), 0);
    // Numbers past any track are refused rather than taken as the start or the end.
    for (const std::string& args : {"spectrum '" + track + "' 1e300", "wave '" + track + "' inf",
                                   "play '" + track + "' --seconds 1e300",
                                   "play '" + track + "' --seconds -1"}) {
        EXPECT_EQ(RunCli(args, out), 1) << args;
        EXPECT_NE(out.find("out of range"), std::string::npos) << out;
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
