// Through a PulseAudio server of the test's own (a null sink): the stream keeps a buffer long
// enough for the server to wake rarely, and a pause is still heard at once. Skipped where no
// pulseaudio program is installed.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include "enginetestutil.h"
#include "output/pulseoutput.h"
#include "playbackengine.h"

extern char** environ;

namespace {
int64_t steadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

pid_t spawn(const std::vector<std::string>& args, const std::string& input = "",
            const std::vector<std::string>& extraEnv = {})
{
    std::vector<std::string> envStrings(extraEnv);
    for (char** e = environ; *e; ++e)
        envStrings.emplace_back(*e);
    std::vector<char*> env;
    for (auto& e : envStrings)
        env.push_back(e.data());
    env.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    if (!input.empty())
        posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), env.data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

void end(pid_t& pid)
{
    if (pid > 0) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    pid = -1;
}

std::string run(const std::string& command)
{
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            out.append(buffer, n);
        pclose(pipe);
    }
    return out;
}

class SoundServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!run("for t in pulseaudio parec pactl pacat; do command -v $t >/dev/null || echo no; "
                 "done")
                 .empty())
            GTEST_SKIP() << "pulseaudio, parec, pactl or pacat is not installed";
        dir = TestTempDir() + "/pulse";
        std::system(("rm -rf " + dir + " && mkdir -p " + dir).c_str());
        setenv("PULSE_SERVER", ("unix:" + dir + "/native").c_str(), 1);
        server = spawn(
            {"pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no", "-L",
             "module-native-protocol-unix socket=" + dir + "/native auth-anonymous=1", "-L",
             "module-null-sink sink_name=nullsink rate=44100", "-L", "module-always-sink"},
            "", {"XDG_RUNTIME_DIR=" + dir, "HOME=" + dir});
        ASSERT_GT(server, 0);
        ASSERT_TRUE(WaitFor(
            [] { return run("pactl info 2>/dev/null").find("Server") != std::string::npos; },
            10000));
        // Without a stream already playing, each new stream waits for the idle sink to wake.
        keeper = spawn({"pacat", "--playback", "--raw", "--latency-msec=20", "-d", "nullsink"},
                       "/dev/zero");
    }
    void TearDown() override
    {
        end(keeper);
        end(server);
        unsetenv("PULSE_SERVER");
    }
    std::string dir;
    pid_t server = -1;
    pid_t keeper = -1;
};

TEST_F(SoundServerTest, TheBufferIsLongYetAPauseIsHeardAtOnce)
{
    ToneSpec spec;
    spec.seconds = 6;
    std::string tone = ToneFixture("server-tone.mp3", spec);
    // The program's own choice of output (the test run asks for the null output).
    const char* asked = std::getenv("MORVANE_AUDIO");
    const std::string saved = asked ? asked : "";
    unsetenv("MORVANE_AUDIO");
    PlaybackEngine engine;
    if (asked)
        setenv("MORVANE_AUDIO", saved.c_str(), 1);
    engine.init();
    InputInfo info;
    ASSERT_EQ(engine.open(tone, info), 1);
    engine.play();
    ASSERT_TRUE(WaitFor([&] { return engine.getPlayMs() > 1000; }, 8000));

    // The server's buffer for our stream, as it reports it.
    std::string inputs = run("pactl list sink-inputs");
    size_t at = inputs.find("application.name = \"Morvane\"");
    ASSERT_NE(at, std::string::npos) << inputs;
    size_t block = inputs.rfind("Sink Input #", at);
    size_t latency = inputs.find("Buffer Latency: ", block);
    ASSERT_NE(latency, std::string::npos);
    const long long bufferUsec = std::atoll(inputs.c_str() + latency + 16);
    EXPECT_GE(bufferUsec, 200000);
    RecordProperty("bufferLatencyUsec", std::to_string(bufferUsec));

    // Record the sink's monitor, each block stamped as it arrives, around a pause.
    FILE* recorder = popen("timeout 3 parec -d nullsink.monitor --raw --format=s16le --rate=44100 "
                           "--channels=1 --latency-msec=5",
                           "r");
    ASSERT_NE(recorder, nullptr);
    std::vector<int16_t> recorded;
    int64_t origin = INT64_MAX; // steady time of the first recorded sample, bounded from above
    std::thread reader([&] {
        int16_t buffer[256];
        size_t n;
        while ((n = fread(buffer, 2, 256, recorder)) > 0) {
            recorded.insert(recorded.end(), buffer, buffer + n);
            origin = std::min<int64_t>(
                origin, steadyNs() - static_cast<int64_t>(recorded.size() * 1e9 / 44100));
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    const int64_t pausedAt = steadyNs();
    engine.pause();
    reader.join();
    pclose(recorder);
    engine.free();

    size_t lastLoud = 0;
    for (size_t i = 0; i < recorded.size(); ++i)
        if (std::abs(int(recorded[i])) > 1000)
            lastLoud = i;
    ASSERT_GT(lastLoud, 0u) << "the tone was not heard";
    const double silentAfterMs =
        (origin + static_cast<double>(lastLoud) * 1e9 / 44100 - static_cast<double>(pausedAt)) /
        1e6;
    EXPECT_LT(silentAfterMs, 50.0);
    RecordProperty("pauseHeardAfterMs", std::to_string(silentAfterMs));
}
} // namespace

// A server that takes the connection and never answers (as one frozen with SIGSTOP does) holds
// a start no longer than a second: the caller, the window's thread, falls back to the silent
// output instead of waiting for ever.
TEST(SilentSoundServer, AStartGivesUpWithinASecond)
{
    const std::string path = TestTempDir() + "/silent-native";
    ::unlink(path.c_str());
    const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 4), 0);
    setenv("PULSE_SERVER", ("unix:" + path).c_str(), 1);
    struct Silence : AudioRenderer {
        void render(int16_t* out, int frames, int64_t) override
        {
            std::fill(out, out + 2 * frames, int16_t{0});
        }
    } renderer;
    PulseOutput output;
    std::string error;
    const int64_t before = steadyNs();
    EXPECT_FALSE(output.start(44100, &renderer, error));
    const int64_t tookMs = (steadyNs() - before) / 1000000;
    unsetenv("PULSE_SERVER");
    ::close(listener);
    EXPECT_LE(tookMs, 1200);
    EXPECT_FALSE(error.empty());
}
