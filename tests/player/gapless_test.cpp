// Gapless play as the main window lives it, on the real engine with a null output at twice real
// time: the next row takes over the title, the mark and the file when its first frame is heard,
// and a seek, a play-mode change or Stop in the last moments takes the queued track back.
#include "playertestkit.h"

#include "engine/playbackengine.h"
#include "support/fixtures.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

namespace {
constexpr double kSpeed = 2.0;
constexpr int32_t kTrackMs = 1500;

AppState* g_state = nullptr;

// What the program's engine callback does.
void OnEngineEvent(int32_t code, int32_t)
{
    if (code == Engine::kTrackEnded)
        g_state->PlayEnd.store(true);
    else if (code == Engine::kSuccessorWanted)
        g_state->NextWanted.store(true);
    else if (code == Engine::kSuccessorHeard)
        g_state->NextHeard.store(true);
}

OutputConfig NullAtSpeed()
{
    OutputConfig config;
    config.kind = OutputConfig::Kind::Null;
    config.nullOptions.speed = kSpeed;
    return config;
}

// Rising zero crossings in the 256 frames heard last (a 300 Hz tone gives 1 or 2, 3 kHz 17).
int Crossings(const int32_t* wave)
{
    int count = 0;
    for (int i = 1; i < 256; ++i)
        count += wave[i - 1] < 0 && wave[i] >= 0;
    return count;
}

// One tick and what it leaves: the window's row and file, the engine's state and track.
struct Look {
    double audioMs = 0; // output time since the fixture began
    int state = 0;
    int row = 0;
    int32_t playMs = 0;
    QString file;
    std::string enginePath;
    int crossings = -1; // -1 when nothing plays
};
} // namespace

class GaplessPlayerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_state = &state;
        const std::string dir = TestTempDir();
        ToneSpec low;
        low.seconds = kTrackMs / 1000.0;
        low.frequencyHz = 300;
        ToneSpec high = low;
        high.frequencyHz = 3000;
        ASSERT_TRUE(MakeToneMp3(dir + "/low.mp3", low)) << LastFixtureError();
        ASSERT_TRUE(MakeToneMp3(dir + "/high.mp3", high)) << LastFixtureError();
        playlist.AddRow(QString::fromStdString(dir + "/low.mp3"));
        playlist.AddRow(QString::fromStdString(dir + "/high.mp3"));
        engine.init();
        engine.callback(OnEngineEvent);
        state.PlayMode = 1;
        state.CurrentIndex = 1;
        ops.PlayCurrent();
    }
    void TearDown() override
    {
        engine.free();
        g_state = nullptr;
    }

    // Ticks every 5 ms until done holds or limitMs of output time pass.
    std::vector<Look> tickUntil(const std::function<bool(const Look&)>& done, double limitMs)
    {
        using namespace std::chrono;
        std::vector<Look> looks;
        const double end = audioMs() + limitMs;
        while (audioMs() < end) {
            tick.run();
            Look look;
            look.audioMs = audioMs();
            look.playMs = engine.getPlayMs();
            // A join heard just after the tick's own poll is the next tick's.
            if (state.NextHeard.load())
                continue;
            int32_t sec = 0, left[256], right[256];
            look.state = engine.getState(sec);
            look.row = state.CurrentIndex;
            look.file = state.CurrentFile;
            look.enginePath = engine.path();
            if (engine.getWave(left, right))
                look.crossings = Crossings(left);
            looks.push_back(look);
            if (done(look))
                break;
            std::this_thread::sleep_for(milliseconds(5));
        }
        return looks;
    }
    double audioMs() const
    {
        using namespace std::chrono;
        return duration<double, std::milli>(steady_clock::now() - m_start).count() * kSpeed;
    }

    AppState state;
    PlaybackEngine engine{NullAtSpeed()};
    PlaylistModel playlist;
    TrackOps ops{state, engine, playlist};
    SkinPictures skin = NoiseSkin();
    MainWindowState window;
    MenuPanel menu;
    MainFrame frame{state, engine, playlist, skin, window, menu};
    MainTick tick{state, engine, playlist, ops, window, frame};

private:
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

TEST_F(GaplessPlayerTest, TheNextRowTakesOverWhenItsFirstFrameIsHeard)
{
    const auto looks = tickUntil([](const Look& l) { return l.row == 2 && l.playMs > 300; }, 6000);
    size_t k = 0;
    while (k < looks.size() && looks[k].row == 1)
        ++k;
    ASSERT_GT(k, 0u);
    ASSERT_LT(k, looks.size());
    for (const Look& look : looks) {
        EXPECT_EQ(look.state, 1) << "at " << look.audioMs << " ms";
        EXPECT_EQ(look.enginePath, look.file.toStdString()) << "at " << look.audioMs << " ms";
    }
    // Between the last tick on row 1 and the first on row 2 the output played the end of one
    // track and the start of the other, nothing in between and nothing left out.
    const Look& before = looks[k - 1];
    const Look& after = looks[k];
    EXPECT_NEAR((kTrackMs - before.playMs) + after.playMs, after.audioMs - before.audioMs, 60);
    EXPECT_EQ(state.TitleLabel, playlist.rowText(2));
    EXPECT_EQ(state.CurrentTitle, playlist.rowText(2));
    EXPECT_EQ(playlist.markedRow(), 2);
}

TEST_F(GaplessPlayerTest, LateSeekPlayModeAndStopTakeTheQueuedTrackBack)
{
    auto lastMoments = [](const Look& l) { return l.playMs >= kTrackMs - 300; };
    ASSERT_EQ(tickUntil(lastMoments, 3000).back().row, 1);
    ASSERT_TRUE(state.Next.accepted); // row 2 is decoded behind row 1 by now

    // A seek back: row 1 is heard again, not row 2's audio under row 1's title. The block the
    // device took before the seek still plays out (the null output's period, 93 ms), and when
    // the seek came late it holds row 2's first frames: the tone is judged after it.
    engine.seek(0);
    const int32_t takenMs = NullOutputOptions{}.periodFrames * 1000 / 44100 + 10;
    for (const Look& look : tickUntil([](const Look&) { return false; }, 400)) {
        EXPECT_EQ(look.row, 1);
        EXPECT_EQ(look.enginePath, look.file.toStdString());
        EXPECT_LT(look.playMs, 700);
        if (look.playMs >= takenMs) {
            EXPECT_LT(look.crossings, 8) << "row 2's tone at " << look.playMs << " ms";
        }
    }

    // Single repeat chosen in the last moments: row 1 follows itself instead of row 2.
    tickUntil(lastMoments, 3000);
    state.PlayMode = 3;
    const auto looks = tickUntil([](const Look& l) { return l.playMs < 300; }, 1000);
    ASSERT_LT(looks.back().playMs, 300);
    for (const Look& look : looks) {
        EXPECT_EQ(look.state, 1);
        EXPECT_EQ(look.row, 1);
        EXPECT_EQ(look.enginePath, look.file.toStdString());
    }

    // Stop in the last moments: nothing follows, and row 1 stays the stopped track.
    tickUntil(lastMoments, 3000);
    ops.StopTrack();
    for (const Look& look : tickUntil([](const Look&) { return false; }, 600)) {
        EXPECT_EQ(look.state, 0);
        EXPECT_EQ(look.playMs, 0);
        EXPECT_EQ(look.row, 1);
        EXPECT_EQ(look.enginePath, look.file.toStdString());
    }
}
