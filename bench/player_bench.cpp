// Cost of the main window's frame: one full composition with every feature on, and a whole tick
// of the window (composition plus finding the changed part to send).
#include "engine/engine.h"
#include "player/mainframe.h"
#include "player/mainwindow.h"
#include "player/mainwindowstate.h"
#include "player/menupanel.h"
#include "player/skinpictures.h"
#include "playlist/playlistmodel.h"
#include "playlist/trackops.h"
#include "state/actions.h"
#include "state/appstate.h"
#include "visual/skin.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>

namespace {

// A playing engine with a moving spectrum and wave, a lyric line that changes every 30 calls
// (so that the fade runs most of the time) and a quiet level meter.
class BenchEngine : public Engine {
public:
    int calls = 0;

    BenchEngine()
    {
        for (int i = 0; i < 256; ++i) {
            m_left[i] = static_cast<int32_t>(60 * std::sin(i * 0.2));
            m_right[i] = static_cast<int32_t>(50 * std::cos(i * 0.15));
        }
    }

    int init() override { return 1; }
    void free() override {}
    void close() override {}
    void callback(Callback) override {}
    int open(const std::string&, InputInfo&) override { return 1; }
    int setNextTrack(const std::string&, InputInfo&) override { return 0; }
    int reopen(const std::string&, InputInfo&) override { return 1; }
    int getTagInfo(TagInfo&) override { return 1; }
    int setTagInfo(const std::string&, const TagInfo&, int32_t, int32_t) override { return 1; }
    int getMpegInfo(MpegInfo&) override { return 1; }
    int setOption(int32_t, int32_t, int32_t, int32_t) override { return 1; }
    int setLyricsFile(const std::string&) override { return 1; }
    int getLyrics(LyricsRecord& record) override
    {
        ++calls;
        record.lines[2] = (calls / 30) % 2 ? m_line1 : m_line2;
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
        // A real engine copies its buffer: the test double's own work stays out of the figure.
        const int shift = calls % 64;
        for (int i = 0; i < 256; ++i) {
            left[i] = m_left[(i + shift) % 256];
            right[i] = m_right[(i + shift) % 256];
        }
        return 1;
    }
    int getSpectrum(int32_t* left, int32_t* right) override
    {
        for (int i = 0; i < 256; ++i) {
            left[i] = (i * 7 + calls * 3) % 121;
            right[i] = (i * 5 + calls * 2) % 121;
        }
        return 1;
    }
    void setEqualizer(const int32_t*) override {}
    void reload() override {}
    void setPitch(int) override {}
    void setStepPitch(int, int) override {}
    int getPitch() override { return 100; }
    int setDecodeOption(const DecodeOption&) override { return 1; }
    int decodeWave(const std::string&) override { return 1; }
    int playDecodeWave(const std::string&) override { return 1; }
    int decodeProgress() override { return 0; }
    std::string decodeError() override { return {}; }
    int getVersion() override { return 230; }

private:
    const std::string m_line1 = "星の降る夜に 君と歩いた道";
    const std::string m_line2 = "風が運ぶ 遠い日の歌";
    int32_t m_left[256];
    int32_t m_right[256];
};

class NoActions : public AppActions {
public:
    void showToolWindow(ToolWindow) override {}
    void showPlaylist() override {}
    void showCommandMenu(const QPoint&) override {}
    void hideWindows() override {}
    void restoreWindows() override {}
    void toggleWindows() override {}
    void setTopMost(bool) override {}
    void setMainWindowsEnabled(bool) override {}
    void quitApp() override {}
    void openHelp() override {}
    void openFileManager() override {}
};

void EveryFeatureOn(AppState& state)
{
    state.StarDust = true;
    state.ExpressType = 1;
    state.SpeAnaType = 1;
    state.RelativityVol = 1;
    state.LyricsFade = 1;
    state.TitleInterval = 2;
    state.TitleReset = false;
    state.TitleLabel = QStringLiteral("デモ - Morvane のテーマ (Full Version)");
    state.FileOpened = true;
    state.InputInfo.sampleRate = 44100;
    state.InputInfo.bitRate = 128;
    state.InputInfo.totalSec = 200;
}

void BM_ComposeFullFrame(benchmark::State& bench)
{
    AppState state;
    EveryFeatureOn(state);
    BenchEngine engine;
    PlaylistModel playlist;
    const Skin skin;
    MainWindowState window;
    MenuPanel menu;
    MainFrame frame(state, engine, playlist, SkinPictures::from(skin), window, menu);
    // Argument 1 or 2: the frame at 1x, or at 2x for screens of twice the density.
    frame.setScale(static_cast<int>(bench.range(0)));
    for (auto _ : bench) {
        frame.compose(1, 83);
        benchmark::DoNotOptimize(frame.frame().constBits());
    }
}
BENCHMARK(BM_ComposeFullFrame)->Arg(1)->Arg(2);

// Each feature alone over the bare frame, to see where the full frame's time goes.
void BM_ComposeFeature(benchmark::State& bench)
{
    AppState state;
    EveryFeatureOn(state);
    const int feature = static_cast<int>(bench.range(0));
    state.StarDust = feature == 1;
    state.ExpressType = feature == 2 ? 1 : 2;
    state.RelativityVol = feature == 3 ? 1 : 0;
    if (feature != 4)
        state.TitleLabel.clear();
    BenchEngine engine;
    PlaylistModel playlist;
    const Skin skin;
    MainWindowState window;
    MenuPanel menu;
    MainFrame frame(state, engine, playlist, SkinPictures::from(skin), window, menu);
    for (auto _ : bench) {
        frame.compose(1, 83);
        benchmark::DoNotOptimize(frame.frame().constBits());
    }
}
// 0 bare frame (lyric line and status included), 1 stars, 2 spectrum, 3 level meter, 4 title.
BENCHMARK(BM_ComposeFeature)->DenseRange(0, 4);

void BM_WindowTick(benchmark::State& bench)
{
    AppState state;
    EveryFeatureOn(state);
    BenchEngine engine;
    PlaylistModel playlist;
    TrackOps ops(state, engine, playlist);
    NoActions actions;
    const Skin skin;
    MainWindow window(state, engine, ops, actions, SkinPictures::from(skin));
    for (auto _ : bench)
        window.tick();
}
BENCHMARK(BM_WindowTick);

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
