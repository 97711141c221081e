// Playback engine hot paths: WAV conversion against the mpg123 program, decode and DSP cost per
// second of audio, spectrum plus wave per call, seek latency.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "decode/mpegdecoder.h"
#include "playbackengine.h"
#include "wav/wavconverter.h"

namespace {
namespace fs = std::filesystem;

std::string MusicFixture(double seconds)
{
    fs::path dir = fs::temp_directory_path() / "morvane-bench";
    fs::create_directories(dir);
    std::string path =
        (dir / ("music-" + std::to_string(static_cast<int>(seconds)) + ".mp3")).string();
    if (!fs::exists(path)) {
        // A sweep with noise, so the encoder works as on music rather than on a pure tone.
        std::string cmd = "sox -n -r 44100 -c 2 -b 16 -t wav - synth " + std::to_string(seconds) +
                          " sine 100-8000 pinknoise vol 0.3 2>/dev/null | lame --quiet -b 192 - '" +
                          path + ".part' && mv '" + path + ".part' '" + path + "'";
        if (std::system(cmd.c_str()) != 0)
            std::abort();
    }
    return path;
}

double ProcessCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

std::atomic<int> g_ends{0};
void CountEnd(int32_t code, int32_t)
{
    if (code == 4) {
        g_ends.fetch_add(1);
        g_ends.notify_all();
    }
}

// The whole decodeWave path (worker thread, libsndfile, rename) on a 10-minute file.
void BM_ConvertTenMinutesEngine(benchmark::State& state)
{
    std::string source = MusicFixture(600);
    std::string target = source + ".engine.wav";
    for (auto _ : state) {
        WavConverter converter;
        std::atomic<bool> done{false};
        converter.start(source, target, 24000, [&] { done.store(true); });
        converter.wait();
        if (!done.load() || !converter.error().empty())
            state.SkipWithError("conversion failed");
    }
}
BENCHMARK(BM_ConvertTenMinutesEngine)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same file through the mpg123 program, for the speed ratio.
void BM_ConvertTenMinutesMpg123Program(benchmark::State& state)
{
    std::string source = MusicFixture(600);
    std::string cmd = "mpg123 -q -w '" + source + ".mpg123.wav' '" + source + "'";
    for (auto _ : state)
        if (std::system(cmd.c_str()) != 0)
            state.SkipWithError("mpg123 failed");
}
BENCHMARK(BM_ConvertTenMinutesMpg123Program)->Unit(benchmark::kMillisecond)->UseRealTime();

// The file both the raw decode and the playback measure: long enough that a track's first fill
// of the queue, one long and therefore cheap burst, weighs little (as in a song of minutes).
constexpr double kPlayedSeconds = 30;

// Raw libmpg123 decode of that file, all at once or in bursts of that many seconds of audio
// with a 0.4 s rest after each: CPU per second of audio, in ms.
double RawDecodeCpuMs(benchmark::State& state, int burstSeconds)
{
    std::string source = MusicFixture(kPlayedSeconds);
    std::vector<int16_t> block(4608 * 2);
    double cpu = 0;
    for (auto _ : state) {
        MpegDecoder decoder;
        decoder.open(source, false);
        const int64_t burstFrames =
            burstSeconds > 0 ? int64_t{burstSeconds} * decoder.sampleRate() : INT64_MAX;
        for (;;) {
            double before = ProcessCpuSeconds();
            int64_t got = 0;
            int n = 0;
            while (got < burstFrames && (n = decoder.read(block.data(), 4608)) > 0)
                got += n;
            cpu += ProcessCpuSeconds() - before;
            if (n <= 0)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
        }
    }
    return cpu * 1000 / (kPlayedSeconds * state.iterations());
}

void BM_DecodeThirtySecondsRaw(benchmark::State& state)
{
    state.counters["cpu_ms_per_audio_s"] = RawDecodeCpuMs(state, 0);
}
BENCHMARK(BM_DecodeThirtySecondsRaw)->Unit(benchmark::kMillisecond);

// The same decode paced as a player must pace it: eight seconds of audio at a time, then a rest
// while they play (0.4 s: the twenty-fold clock of the play benchmark below). Where the processor
// is slow for a while after each rest, as on virtual machines, this is the floor for any decoder
// that keeps time with its output.
void BM_DecodeThirtySecondsRawInBursts(benchmark::State& state)
{
    state.counters["cpu_ms_per_audio_s"] = RawDecodeCpuMs(state, 8);
}
BENCHMARK(BM_DecodeThirtySecondsRawInBursts)->Unit(benchmark::kMillisecond)->Iterations(3);

// CPU per second of audio played to the null output (clock accelerated 20x): the decode thread
// (decode + DSP + queueing, comparable with the raw decode) and the whole process (adds the
// output's pacing thread, which stands for a device's; this thread sleeps until the end).
// Arg: 0 plain, 1 equaliser, 2 pitch 150 %, 3 plain with the longest queue, 4 plain at volume 50.
void BM_PlayToNullOutput(benchmark::State& state)
{
    std::string source = MusicFixture(kPlayedSeconds);
    OutputConfig config;
    config.kind = OutputConfig::Kind::Null;
    config.nullOptions.speed = 20;
    PlaybackEngine engine(config);
    engine.init();
    engine.callback(CountEnd);
    double cpu = 0, decodeCpu = 0;
    for (auto _ : state) {
        InputInfo info;
        engine.open(source, info);
        if (state.range(0) == 1) {
            int32_t gains[10] = {30, 20, 10, -10, 0, 20, 40, 60, 60, 60};
            engine.setEqualizer(gains);
        }
        if (state.range(0) == 2)
            engine.setPitch(150);
        if (state.range(0) == 3)
            engine.setOption(1000, 1000, 0, 0); // the whole track queued in one run
        if (state.range(0) == 4)
            engine.setVolume(50, 50); // a steady volume below full: a multiply per sample
        g_ends.store(0);
        double before = ProcessCpuSeconds();
        double decodeBefore = engine.decodeThreadCpuSeconds();
        engine.play();
        g_ends.wait(0); // blocked, so the process figure is the engine's threads alone
        cpu += ProcessCpuSeconds() - before;
        decodeCpu += engine.decodeThreadCpuSeconds() - decodeBefore;
    }
    const double audioSeconds = kPlayedSeconds * static_cast<double>(state.iterations());
    state.counters["cpu_ms_per_audio_s"] = cpu * 1000 / audioSeconds;
    state.counters["decode_thread_ms_per_audio_s"] = decodeCpu * 1000 / audioSeconds;
}
BENCHMARK(BM_PlayToNullOutput)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Arg(3)
    ->Arg(4)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(4);

// The decoder alone: a sample-accurate seek in a 10-minute file and the first chunk after it.
void BM_DecoderSeekAndRead(benchmark::State& state)
{
    MpegDecoder decoder;
    decoder.open(MusicFixture(600), true);
    std::vector<int16_t> block(9216 * 2);
    std::mt19937 random(2);
    for (auto _ : state) {
        decoder.seek(random() % (decoder.lengthFrames() - 44100));
        benchmark::DoNotOptimize(decoder.read(block.data(), 9216));
    }
}
BENCHMARK(BM_DecoderSeekAndRead)->Unit(benchmark::kMillisecond);

class PlayingEngine : public benchmark::Fixture {
public:
    void SetUp(const benchmark::State&) override
    {
        OutputConfig config;
        config.kind = OutputConfig::Kind::Null;
        engine = std::make_unique<PlaybackEngine>(config);
        engine->init();
        InputInfo info;
        engine->open(MusicFixture(600), info);
        engine->play();
        while (engine->getPlayMs() < 200)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        // The first seek indexes the file (see MpegDecoder::seek); measure the ones after it.
        engine->seekMs(1000);
        while (engine->seekPending())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    void TearDown(const benchmark::State&) override { engine.reset(); }
    std::unique_ptr<PlaybackEngine> engine;
};

BENCHMARK_DEFINE_F(PlayingEngine, SpectrumPlusWave)(benchmark::State& state)
{
    int32_t left[256], right[256];
    for (auto _ : state) {
        engine->getSpectrum(left, right);
        engine->getWave(left, right);
        benchmark::DoNotOptimize(left[10]);
    }
}
BENCHMARK_REGISTER_F(PlayingEngine, SpectrumPlusWave)->Unit(benchmark::kMicrosecond);

// From seek() until audio of the new position is queued in the ring.
BENCHMARK_DEFINE_F(PlayingEngine, SeekUntilQueued)(benchmark::State& state)
{
    std::mt19937 random(1);
    for (auto _ : state) {
        engine->seekMs(random() % 590000);
        while (engine->seekPending() || engine->queuedFrames() == 0)
            std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
}
BENCHMARK_REGISTER_F(PlayingEngine, SeekUntilQueued)->Unit(benchmark::kMillisecond)->UseRealTime();
} // namespace

BENCHMARK_MAIN();
