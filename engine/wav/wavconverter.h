// Converts an MP3 file to a 16-bit PCM WAV at full speed on a worker thread.
//
// start/cancel/wait and the getters from the caller's thread; the worker decodes and writes and
// calls the finish callback on its own thread when done (also after a failure or cancel).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

class WavConverter {
public:
    using Finished = std::function<void()>;

    ~WavConverter();

    // Cancels a running conversion, then starts source -> target. blockFrames = frames decoded and
    // written per step. False (nothing started) only when a previous worker cannot be joined.
    bool start(const std::string& source, const std::string& target, int blockFrames,
               Finished finished);
    void cancel(); // stops a running conversion; its temporary file is removed; waits for it
    void wait();   // waits for a running conversion to finish
    bool running() const { return m_running.load(std::memory_order_acquire); }
    int progress() const { return m_progress.load(std::memory_order_acquire); } // 0..100
    std::string error() const; // empty when the last conversion succeeded

private:
    void run(std::string source, std::string target, int blockFrames, Finished finished);

    std::thread m_thread;
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_cancel{false};
    std::atomic<int> m_progress{0};
    mutable std::mutex m_mutex; // guards m_error
    std::string m_error;
};
