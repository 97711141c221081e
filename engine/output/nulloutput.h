// A silent output on a real-time clock, with knobs for tests: clock speed, latency, period,
// bursts.
//
// Threads: start/stop on the caller's thread; its own thread calls the renderer and the tap.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "audiooutput.h"

struct NullOutputOptions {
    double speed = 1.0;      // clock runs this many times faster than real time
    int latencyMs = 0;       // time between taking a block and hearing its first frame
    int periodFrames = 4096; // frames per render call (four SDL buffers: a cheap pacing thread)
    int burstEvery = 0;      // every Nth pull takes kBurstPeriods periods at once (0 = never),
                             // like a device catching up after a stall: the ring runs dry
    static constexpr int kBurstPeriods = 16;
    bool steadyClock = false; // the clock is the steady clock itself, not counted from the start
};

class NullOutput : public AudioOutput {
public:
    // Sees every block after rendering, with its heardEnd time; runs on the output thread.
    using Tap = std::function<void(const int16_t* frames, int count, int64_t heardEndNs)>;

    explicit NullOutput(NullOutputOptions options = {}, Tap tap = {});
    ~NullOutput() override;

    bool start(int sampleRate, AudioRenderer* renderer, std::string& error) override;
    void stop() override;
    int64_t nowNs() const override;
    double clockSpeed() const override { return m_options.speed; }
    int sampleRate() const override { return m_sampleRate; }

private:
    void run();

    NullOutputOptions m_options;
    Tap m_tap;
    int m_sampleRate = 0;
    AudioRenderer* m_renderer = nullptr;
    std::vector<int16_t> m_buffer;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_quit = false;
    int64_t m_originNs = 0; // steady clock at start
};
