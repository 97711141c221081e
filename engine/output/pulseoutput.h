// The sound server's output through libpulse's asynchronous API, with a buffer of half a second
// so that the server wakes a few times a second, and a clock taken from the stream's timing.
//
// Threads: start, stop and refresh on engine threads (they take the mainloop lock briefly);
// libpulse's mainloop thread runs every callback and calls the renderer. Nothing here waits for
// the server to play the buffer down: refresh flushes it and renders again.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "audiooutput.h"
#include "nulloutput.h"

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;

class PulseOutput : public AudioOutput {
public:
    static constexpr int kBufferMs = 500; // the stream's target length
    // The longest a start waits for the server to take the connection, and again the stream.
    static constexpr int kReadyTimeoutMs = 500;
    static constexpr int kRequestMs = 125; // the server asks for more when this much has played

    PulseOutput() = default;
    ~PulseOutput() override;
    PulseOutput(const PulseOutput&) = delete;
    PulseOutput& operator=(const PulseOutput&) = delete;

    // False with error set when no server answers (then the caller tries another output).
    bool start(int sampleRate, AudioRenderer* renderer, std::string& error) override;
    void stop() override;
    int64_t nowNs() const override;
    int sampleRate() const override { return m_sampleRate; }
    void refresh() override;
    int bufferFrames() const override { return m_bufferFrames; }
    bool lost() const override { return m_lost.load(); }

private:
    static void onContextState(pa_context* context, void* self);
    static void onStreamState(pa_stream* stream, void* self);
    static void onWriteRequest(pa_stream* stream, size_t bytes, void* self);
    static void onFlushed(pa_stream* stream, int success, void* self);
    static void onTimingAfterFlush(pa_stream* stream, int success, void* self);
    bool waitReady(std::string& error); // with the mainloop lock held
    void checkLost();                   // mainloop thread
    void fill(size_t bytes);            // mainloop thread
    int64_t delayNs();                  // mainloop thread: until the write index is heard

    pa_threaded_mainloop* m_loop = nullptr;
    pa_context* m_context = nullptr;
    pa_stream* m_stream = nullptr;
    AudioRenderer* m_renderer = nullptr;
    int m_sampleRate = 0;
    int m_bufferFrames = 0;
    // Mainloop thread (or under its lock): a flush is on its way, writes wait for its timing.
    bool m_refreshing = false;
    int64_t m_lastDelayNs = 0; // used while the server's indexes are being re-read
    // Set once started; a server lost after that hands the renderer to the stand-in, a silent
    // output on the same clock, so time runs on and tracks still end.
    bool m_started = false;
    std::atomic<bool> m_lost{false};
    std::unique_ptr<NullOutput> m_standIn; // under the mainloop lock
};
