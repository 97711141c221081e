// The engine the program runs: libmpg123 decoding and SoundTouch on a decode thread, a lock-free
// ring to the sound output, the equaliser, volume and fades in the audio callback.
//
// Threads: every Engine method runs on the caller's (UI) thread and returns without waiting for
// audio (stop, open, close and free wait only for the decode thread to finish its current block).
// The decode thread owns the decoder while a track plays and calls the end callback; the audio
// thread only copies from the ring (see RingRenderer); a conversion thread runs decodeWave.
// A successor (TrackQueue) is opened on the caller's thread, joined by the decode thread at the
// end of the stream, and becomes the open track on the caller's thread once it is heard. One at
// another sample rate is queued behind a hold: once the last frame before it is heard the decode
// thread opens the device again at its rate, and the queued successor plays at once.
// The output's refresh (a device with a long buffer drops it and renders again) is asked by the
// caller's thread (pause, restart, stop, volume, fade-out) and by the decode thread (after a
// jump or a new pitch or tempo, once the ring can fill the device).
// Lock order: m_mutex, then the output's own lock (refresh); no engine lock is held while calling
// the end callback.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "analysis/spectrum.h"
#include "analysis/trackloudness.h"
#include "clock/playclock.h"
#include "decode/decoder.h"
#include "dsp/gainramp.h"
#include "dsp/pitchtempo.h"
#include "dsp/splicehead.h"
#include "engine.h"
#include "gapless/trackqueue.h"
#include "lyrics/lyrics.h"
#include "lyrics/taglyrics.h"
#include "output/outputfactory.h"
#include "output/ringrenderer.h"
#include "ring/framering.h"
#include "wav/wavconverter.h"
#include "wav/wavwriter.h"

class PlaybackEngine : public Engine {
public:
    static constexpr int kVersion = 100;

    explicit PlaybackEngine(OutputConfig output = OutputConfig::fromEnvironment());
    ~PlaybackEngine() override;
    PlaybackEngine(const PlaybackEngine&) = delete;
    PlaybackEngine& operator=(const PlaybackEngine&) = delete;

    int init() override;
    void free() override;
    void close() override;
    void callback(Callback proc) override;
    int open(const std::string& path, InputInfo& info) override;
    int reopen(const std::string& path, InputInfo& info) override;
    int setNextTrack(const std::string& path, InputInfo& info) override;
    int getTagInfo(TagInfo& tag) override;
    int setTagInfo(const std::string& path, const TagInfo& tag, int32_t a, int32_t b) override;
    int getMpegInfo(MpegInfo& info) override;
    int setOption(int32_t inBlock, int32_t outBlock, int32_t inSleep, int32_t outSleep) override;
    int setLyricsFile(const std::string& path) override;
    int getLyrics(LyricsRecord& record) override;
    void setVolume(int left, int right) override;
    void play() override;
    void stop() override;
    void pause() override;
    void restart() override;
    int getState(int32_t& sec) override;
    int32_t getPlayMs() override;
    void seek(int32_t sec) override;
    void seekMs(int64_t ms) override;
    void setFadeIn(int on) override;
    void fadeOut() override;
    int getWave(int32_t* left, int32_t* right) override;
    int getSpectrum(int32_t* left, int32_t* right) override;
    void setEqualizer(const int32_t* gains) override;
    void reload() override; // nothing to remake: the equaliser acts after the queue
    void setPitch(int percent) override;
    void setStepPitch(int step, int divisor) override;
    int getPitch() override;
    int setDecodeOption(const DecodeOption& option) override;
    int decodeWave(const std::string& path) override;
    int playDecodeWave(const std::string& path) override;
    int decodeProgress() override;
    std::string decodeError() override;
    int getVersion() override { return kVersion; }
    void setReplayGain(int32_t mode, int32_t preampTenths, int32_t untaggedTenths) override;
    void setAlbumTest(std::function<bool(const std::string& path)> albumTest) override
    {
        m_loudness.setAlbumTest(std::move(albumTest));
    }

    // Beyond the interface (command line, tests, benchmarks).
    int64_t positionFrames(); // the track frame heard now
    int64_t lengthFrames() const { return m_lengthFrames; }
    int sampleRate() const { return m_info.sampleRate; }
    int tempoStep() const { return m_tempoStep.load(); }
    bool decoding() const { return m_converter.running(); }
    // True from a seek until the decode thread has taken it.
    bool seekPending() const { return m_pendingJump.load() >= 0; }
    const std::string& path() const { return m_path; } // the open track's file
    // Frames waiting in the ring (decoded, not yet taken by the device).
    size_t queuedFrames() const { return m_ring.queued(); }
    AudioOutput* output() { return m_output.get(); }
    // CPU time the decode thread has used so far, in seconds (benchmarks).
    double decodeThreadCpuSeconds();
    // ReplayGain: the setting, the cache of measurements and the album test (see TrackLoudness).
    TrackLoudness& loudness() { return m_loudness; }

private:
    enum State : int { Stopped = 0, Playing = 1, Paused = 2 };

    void ensureOutput(int sampleRate);
    void takeTrack(const TrackRecord& track);
    void followHeardTrack();
    size_t queueLimitFrames() const;
    void postJump(int64_t frame);
    void stopDecoderAndWait();
    void refreshOutput();
    void postRetune();
    void applyRetune(std::unique_lock<std::mutex>& lock);
    void refreshAfterJump();
    void decodeLoop();
    void applyJump(int64_t frame);
    void decodeBlock(size_t frames = 0); // 0: a whole chunk
    // Decoded frames also go to the file of playDecodeWave, when one is open.
    void writePlayWave(const int16_t* decoded, int frames);
    bool plainPath();
    size_t chunkFrames() const;
    size_t burstFrames() const;
    void decodeIntoRing(size_t frames, size_t queueLimit);
    void processBlock(const int16_t* in, int frames);
    bool writeOutbox(size_t queueLimit);
    void finishPlayWave(int64_t heardFrame = -1);
    void endOfTrack(bool callEnd);
    bool nearEnd() const;
    bool joinSuccessor();
    bool flushBeforeNewRate();
    void undoJoin();
    void reopenAtNewRate(std::unique_lock<std::mutex>& lock);
    int64_t heardTrackFrame();
    int64_t msToFrame(int64_t ms) const;
    bool copyHeard(int16_t* frames, int count);
    void notify(int32_t code);

    OutputConfig m_outputConfig;
    std::unique_ptr<AudioOutput> m_output;
    std::atomic<int> m_outputRate{0}; // written by the decode thread at a change of rate
    // Held while the output is stopped and started again at another rate: a refresh asked
    // meanwhile is not needed (the device renders everything afresh) and is skipped.
    std::mutex m_outputSwitch;
    size_t m_ringCapacity = 0;
    bool m_initialized = false;

    FrameRing m_ring;
    PlayClock m_clock;
    GainRamp m_gain;
    RingRenderer m_renderer{m_ring, m_clock, m_gain};
    TrackLoudness m_loudness{m_renderer.trackGain()};

    // The open track (caller's thread; the decoder belongs to the decode thread while it runs).
    TrackDecoder m_decoder;
    std::string m_path;
    InputInfo m_info;
    int64_t m_lengthFrames = 0;
    bool m_open = false;
    int m_trackCount = 0; // numbers the tracks on the clock

    std::atomic<int> m_state{Stopped};
    std::atomic<int64_t> m_stopFrame{0};    // position while stopped
    std::atomic<int64_t> m_pendingJump{-1}; // a start/seek the decode thread has not taken yet
    std::atomic<Callback> m_callback{nullptr};
    std::atomic<bool> m_fadeIn{false};

    std::atomic<int> m_inBlock{30};
    std::atomic<int> m_outBlock{20};
    std::atomic<int> m_inSleepMs{5};
    std::atomic<int> m_outSleepMs{0};

    PitchTempo m_pitchTempo;
    std::atomic<int> m_pitchPercent{100};
    std::atomic<int> m_tempoStep{1};

    Lyrics m_lyrics;
    std::unique_ptr<SpectrumAnalyzer> m_spectrum;

    DecodeOption m_decodeOption;
    WavConverter m_converter;

    // Decode thread and its commands, guarded by m_mutex.
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    bool m_quit = false;
    bool m_stopRequest = false;
    int64_t m_jumpRequest = -1;
    bool m_retuneRequest = false; // a new pitch or tempo for the running stream
    std::chrono::steady_clock::time_point m_retuneDue{}; // the next splice may start then
    uint64_t m_requestSerial = 0;
    uint64_t m_doneSerial = 0;
    bool m_running = false; // the decode thread is feeding the ring
    std::string m_playWavRequest;
    int64_t m_stopHeardFrame = -1; // the frame heard when stop was called
    TrackQueue m_queue;
    bool m_successorAsked = false; // the decoder's track has said it nears its end
    int64_t m_holdIndex = -1;      // the joined successor's first ring frame, at m_holdRate
    int m_holdRate = 0;

    // Decode thread only.
    bool m_draining = false; // end of stream reached, waiting for the last frame to be heard
    bool m_flushed = false;  // the stretcher has let out the end of the stream
    int64_t m_endIndex = 0;
    int64_t m_segmentIn = 0;  // track frames fed since the last jump
    int64_t m_segmentOut = 0; // output frames produced since the last jump
    int m_sinceSleep = 0;     // MPEG frames decoded since the last InSleep rest
    // The end of an InSleep/OutSleep rest (a wait for the queue to fall counts as rest).
    std::chrono::steady_clock::time_point m_restUntil{};
    bool m_filling = true;           // a burst is being decoded
    bool m_refreshAfterJump = false; // the device still holds audio from before the last jump
    int64_t m_refreshFrom = 0;       // ring index where the audio the device must take begins
    int64_t m_segmentStartIndex = 0; // ring index of the last jump's first frame
    SpliceHead m_splice;             // the join of a new pitch or tempo to the queued audio
    std::vector<int16_t> m_readBuffer;
    std::vector<float> m_floatBuffer;
    std::vector<float> m_stretched;
    std::vector<int16_t> m_outbox;
    size_t m_outboxDone = 0; // frames of m_outbox already in the ring
    WavWriter m_playWriter;
    int64_t m_playWaveFirstFrame = -1; // track frame of the first written frame
    bool m_playWaveJumped = false;     // a seek since the writing began
};
