// WAV conversion: decodeWave at full speed and playDecodeWave while playing.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "engine/io/safefile.h"
#include "enginetestutil.h"
#include "playbackengine.h"
#include "support/meta_fixtures.h"
#include "wav/wavconverter.h"

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {
uint32_t Le32(const std::string& bytes, size_t at)
{
    uint32_t v = 0;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
}

class WavTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_endNotices.store(0);
        ToneSpec spec;
        spec.seconds = 2;
        spec.channels = 1;
        spec.sampleRate = 22050;
        spec.bitRate = 64;
        track = ToneFixture("convert.mp3", spec);
        ASSERT_TRUE(LibraryDecode(track, reference));
        OutputConfig config;
        config.kind = OutputConfig::Kind::Null;
        config.nullOptions.speed = 8;
        engine = std::make_unique<PlaybackEngine>(config);
        engine->init();
        engine->callback(CountEndNotice);
        InputInfo info;
        ASSERT_EQ(engine->open(track, info), 1);
        target = TestTempDir() + "/" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".wav";
    }
    std::string track, target;
    Pcm reference;
    std::unique_ptr<PlaybackEngine> engine;
};

TEST_F(WavTest, DecodeOptionAcceptsTheProgramsRecordAndRefusesNonsense)
{
    EXPECT_EQ(engine->setDecodeOption(DecodeOption{0, 0, 24000}), 1);
    EXPECT_EQ(engine->setDecodeOption(DecodeOption{7, 0, 24000}), 0);
    EXPECT_EQ(engine->setDecodeOption(DecodeOption{0, 9, 24000}), 0);
    EXPECT_EQ(engine->setDecodeOption(DecodeOption{0, 0, -1}), 0);
}

TEST_F(WavTest, DecodeWaveWritesTheDecoderSamplesWithAValidHeader)
{
    ASSERT_EQ(engine->setDecodeOption(DecodeOption{0, 0, 24000}), 1);
    ASSERT_EQ(engine->decodeWave(target), 1);
    ASSERT_TRUE(WaitFor([] { return g_endNotices.load() == 1; }, 10000));
    EXPECT_EQ(engine->decodeProgress(), 100);
    EXPECT_EQ(engine->decodeError(), "");
    int32_t sec = 0;
    EXPECT_EQ(engine->getState(sec), 0); // converting does not play
    Pcm written;
    ASSERT_TRUE(ReadSoundFile(target, written));
    EXPECT_EQ(written.sampleRate, 22050);
    EXPECT_EQ(written.channels, 1);
    EXPECT_TRUE(written.samples == reference.samples);
    // The canonical 44-byte header describes exactly the file.
    std::ifstream in(target, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    ASSERT_GE(bytes.size(), 44u);
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(Le32(bytes, 4), bytes.size() - 8);
    EXPECT_EQ(bytes.substr(8, 4), "WAVE");
    size_t data = bytes.find("data");
    ASSERT_NE(data, std::string::npos);
    EXPECT_EQ(Le32(bytes, data + 4), bytes.size() - data - 8);
    // No temporary left beside it.
    int files = 0;
    for (auto& entry : std::filesystem::directory_iterator(TestTempDir()))
        files += entry.path().filename().string().find(kTemporaryMarker) != std::string::npos;
    EXPECT_EQ(files, 0);
}

TEST(WavInterruption, AKilledConversionLeavesNoPartialFileAfterTheNextStart)
{
    ToneSpec spec;
    spec.seconds = 30;
    const std::string source = ToneFixture("killed.mp3", spec);
    const std::string folder = TestTempDir() + "/killed";
    const std::string journal = folder + "/journal";
    std::filesystem::create_directories(folder);
    const std::string target = folder + "/killed.wav";
    auto temporaries = [&] {
        int count = 0;
        for (auto& entry : std::filesystem::directory_iterator(folder))
            count += entry.path().filename().string().find(kTemporaryMarker) != std::string::npos;
        return count;
    };

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The program as the user kills it in the middle of a conversion.
        SetTemporaryJournal(journal);
        WavConverter converter;
        converter.start(source, target, 16, nullptr);
        while (converter.progress() == 0 && converter.running())
            ::usleep(100);
        ::raise(SIGKILL);
        ::_exit(1);
    }
    // Killed and not yet reaped: a start right after the kill finds its id still taken.
    siginfo_t info{};
    ASSERT_EQ(::waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOWAIT), 0);
    ASSERT_EQ(info.si_code, CLD_KILLED);
    // The copy being written had no name yet: nothing is left beside the music.
    EXPECT_EQ(temporaries(), 0);
    // Where the file system gives no unnamed files, the killed process leaves a named copy.
    const std::string named =
        folder + "/.killed.wav" + std::string(kTemporaryMarker) + std::to_string(child) + "-1a2b";
    ASSERT_TRUE(WriteFileBytes(named, "partial"));

    // The next start.
    EXPECT_EQ(RemoveStaleTemporaries(journal, {folder}), 1);
    EXPECT_EQ(temporaries(), 0);
    EXPECT_FALSE(std::filesystem::exists(target));
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(std::filesystem::is_empty(journal));
}

TEST_F(WavTest, DecodeWaveMatchesTheMpg123Program)
{
    ToneSpec spec;
    spec.seconds = 1.5;
    std::string stereo = ToneFixture("convert44.mp3", spec);
    Pcm program;
    ASSERT_TRUE(ReferenceDecode(stereo, program));
    InputInfo info;
    ASSERT_EQ(engine->open(stereo, info), 1);
    ASSERT_EQ(engine->decodeWave(target), 1);
    ASSERT_TRUE(WaitFor([] { return g_endNotices.load() == 1; }, 10000));
    Pcm written;
    ASSERT_TRUE(ReadSoundFile(target, written));
    EXPECT_TRUE(written.samples == program.samples);
}

TEST_F(WavTest, DecodeWaveIntoAMissingFolderReportsAnError)
{
    ASSERT_EQ(engine->decodeWave(TestTempDir() + "/no/such/folder/out.wav"), 1);
    ASSERT_TRUE(WaitFor([] { return g_endNotices.load() == 1; }, 10000));
    // The reason the user reads: the true one, in Japanese.
    EXPECT_EQ(engine->decodeError(), "保存先のフォルダがありません。");
}

TEST_F(WavTest, PlayDecodeWaveWritesWhatIsPlayed)
{
    ASSERT_EQ(engine->playDecodeWave(target), 1);
    engine->play();
    ASSERT_TRUE(WaitFor([] { return g_endNotices.load() == 1; }, 10000));
    Pcm written;
    ASSERT_TRUE(ReadSoundFile(target, written));
    EXPECT_EQ(written.channels, 1);
    EXPECT_TRUE(written.samples == reference.samples);
}

TEST_F(WavTest, StoppingPlayDecodeEarlyLeavesAValidShorterWav)
{
    ASSERT_EQ(engine->playDecodeWave(target), 1);
    engine->play();
    ASSERT_TRUE(WaitFor([&] { return engine->getPlayMs() > 300; }, 5000));
    int32_t heardMs = engine->getPlayMs();
    engine->stop();
    Pcm written;
    ASSERT_TRUE(ReadSoundFile(target, written));
    ASSERT_GT(written.samples.size(), 0u);
    // It ends where the listener stopped hearing, not where decoding had got to.
    EXPECT_NEAR(written.frames() * 1000.0 / 22050, heardMs, 60);
    ASSERT_LT(written.samples.size(), reference.samples.size());
    EXPECT_TRUE(
        std::equal(written.samples.begin(), written.samples.end(), reference.samples.begin()));
}
} // namespace
