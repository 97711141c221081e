// Cost of composing one whole main-window frame with every feature on: star field, spectrum
// (right and left channels), scrolling title, a fading lyric line and the level meter.
#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>

#include "tests/visual/composeframe.h"

namespace {

// An engine that answers like a playing track and records nothing.
class PlayingEngine : public Engine {
public:
    std::array<int32_t, 256> spectrumL{}, spectrumR{}, waveL{}, waveR{};
    int line = 0;

    int init() override { return 1; }
    void free() override {}
    void close() override {}
    void callback(Callback) override {}
    int open(const std::string&, InputInfo&) override { return 1; }
    int getTagInfo(TagInfo&) override { return 0; }
    int setTagInfo(const std::string&, const TagInfo&, int32_t, int32_t) override { return 0; }
    int getMpegInfo(MpegInfo&) override { return 0; }
    int setOption(int32_t, int32_t, int32_t, int32_t) override { return 1; }
    int setLyricsFile(const std::string&) override { return 1; }
    int getLyrics(LyricsRecord& record) override
    {
        // A new line every 40 frames, so the fade is running most of the time.
        static const char* kLines[] = {"夜空に光る星のように", "きみの声が聞こえる",
                                       "遠い街の灯り"};
        record.lines[2] = kLines[(line++ / 40) % 3];
        return 1;
    }
    void setVolume(int, int) override {}
    void play() override {}
    void stop() override {}
    void pause() override {}
    void restart() override {}
    int getState(int32_t& sec) override
    {
        sec = 83;
        return 1;
    }
    int32_t getPlayMs() override { return 83000; }
    void seek(int32_t) override {}
    void setFadeIn(int) override {}
    void fadeOut() override {}
    int getWave(int32_t* left, int32_t* right) override
    {
        std::copy(waveL.begin(), waveL.end(), left);
        std::copy(waveR.begin(), waveR.end(), right);
        return 1;
    }
    int getSpectrum(int32_t* left, int32_t* right) override
    {
        std::copy(spectrumL.begin(), spectrumL.end(), left);
        std::copy(spectrumR.begin(), spectrumR.end(), right);
        return 1;
    }
    void setEqualizer(const int32_t*) override {}
    void reload() override {}
    void setPitch(int) override {}
    void setStepPitch(int, int) override {}
    int getPitch() override { return 100; }
    int setDecodeOption(const DecodeOption&) override { return 1; }
    int decodeWave(const std::string&) override { return 0; }
    int playDecodeWave(const std::string&) override { return 0; }
    int decodeProgress() override { return 0; }
    std::string decodeError() override { return {}; }
    int getVersion() override { return 230; }
};

void BM_ComposeFullFrame(benchmark::State& state)
{
    Skin skin;
    if (!skin.isValid()) {
        state.SkipWithError("skin pictures missing");
        return;
    }
    PlayingEngine engine;
    for (int i = 0; i < 256; ++i) {
        engine.spectrumL[i] = int(100 * std::exp(-i / 60.0) + 15 * (1 + std::sin(i * 0.7)));
        engine.spectrumR[i] = int(90 * std::exp(-i / 50.0) + 15 * (1 + std::cos(i * 0.5)));
        engine.waveL[i] = int(70 * std::sin(i * 0.2));
        engine.waveR[i] = int(60 * std::sin(i * 0.3));
    }
    AppState app;
    app.StarDust = true;
    app.ExpressType = 1;
    app.SpeAnaType = 1;
    app.TitleInterval = 2;
    app.TitleLabel = QStringLiteral("デモ - 星のワルツ (Morvane demo track)");
    app.LyricsFade = 1;
    app.RelativityVol = 1;
    app.FadeIn = true;
    SampleFrame frame;
    frame.hoverEntry = 1;
    for (auto _ : state) {
        ComposeSampleFrame(frame, skin, engine, app);
        benchmark::DoNotOptimize(frame.frame.constBits());
    }
}
BENCHMARK(BM_ComposeFullFrame)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
