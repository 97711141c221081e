// PulseAudio stream: the server pulls half a second ahead; refresh flushes it and rewinds the
// renderer to the frame the server will be playing when the new data starts.
#include "pulseoutput.h"

#include <chrono>

#include <pulse/pulseaudio.h>
#include <pulse/rtclock.h>

#include "pulselatency.h"
#include "silentnotice.h"

namespace {
constexpr int kBytesPerFrame = 4; // stereo 16-bit

std::string contextError(pa_context* context)
{
    return context ? pa_strerror(pa_context_errno(context)) : "no PulseAudio context";
}
} // namespace

PulseOutput::~PulseOutput()
{
    stop();
}

void PulseOutput::onContextState(pa_context*, void* self)
{
    auto* out = static_cast<PulseOutput*>(self);
    out->checkLost();
    pa_threaded_mainloop_signal(out->m_loop, 0);
}

void PulseOutput::onStreamState(pa_stream*, void* self)
{
    auto* out = static_cast<PulseOutput*>(self);
    out->checkLost();
    pa_threaded_mainloop_signal(out->m_loop, 0);
}

void PulseOutput::checkLost()
{
    if (!m_started || m_lost.load())
        return;
    const bool contextGood = PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context));
    if (contextGood && (!m_stream || PA_STREAM_IS_GOOD(pa_stream_get_state(m_stream))))
        return;
    // The server ended (restarted, killed, logged out): nothing pulls the renderer any more.
    m_lost.store(true);
    NoteLostOutput("PulseAudio: " + contextError(m_context));
    NullOutputOptions options;
    options.steadyClock = true; // the clock this output has given so far
    m_standIn = std::make_unique<NullOutput>(options);
    std::string error;
    m_standIn->start(m_sampleRate, m_renderer, error);
}

bool PulseOutput::waitReady(std::string& error)
{
    // A frozen server, or one that takes the connection and never answers, must not hold the
    // caller (the window's thread): a timer wakes the wait at the deadline.
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kReadyTimeoutMs);
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(m_loop);
    pa_time_event* timer = pa_context_rttime_new(
        m_context, pa_rtclock_now() + kReadyTimeoutMs * PA_USEC_PER_MSEC,
        [](pa_mainloop_api*, pa_time_event*, const struct timeval*, void* loop) {
            pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0);
        },
        m_loop);
    auto done = [&](bool ready) {
        if (timer)
            api->time_free(timer);
        return ready;
    };
    for (;;) {
        pa_context_state_t context = pa_context_get_state(m_context);
        if (!PA_CONTEXT_IS_GOOD(context)) {
            error = "PulseAudio: " + contextError(m_context);
            return done(false);
        }
        if (context == PA_CONTEXT_READY && m_stream) {
            pa_stream_state_t stream = pa_stream_get_state(m_stream);
            if (!PA_STREAM_IS_GOOD(stream)) {
                error = "PulseAudio stream: " + contextError(m_context);
                return done(false);
            }
            if (stream == PA_STREAM_READY)
                return done(true);
        }
        if (context == PA_CONTEXT_READY && !m_stream)
            return done(true);
        if (std::chrono::steady_clock::now() >= deadline || !timer) {
            error = "PulseAudio: no answer from the server within " +
                    std::to_string(kReadyTimeoutMs) + " ms";
            return done(false);
        }
        pa_threaded_mainloop_wait(m_loop);
    }
}

bool PulseOutput::start(int sampleRate, AudioRenderer* renderer, std::string& error)
{
    stop();
    if (sampleRate <= 0 || !renderer) {
        error = "bad output format";
        return false;
    }
    m_sampleRate = sampleRate;
    m_renderer = renderer;
    m_refreshing = false;
    m_loop = pa_threaded_mainloop_new();
    if (!m_loop) {
        error = "PulseAudio: no mainloop";
        return false;
    }
    m_context = pa_context_new(pa_threaded_mainloop_get_api(m_loop), "Morvane");
    if (!m_context) {
        error = "PulseAudio: no context";
        stop();
        return false;
    }
    pa_context_set_state_callback(m_context, &PulseOutput::onContextState, this);
    // No autospawn: without a running server the caller falls back at once.
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        error = "PulseAudio: " + contextError(m_context);
        stop();
        return false;
    }
    pa_threaded_mainloop_lock(m_loop);
    bool ok = pa_threaded_mainloop_start(m_loop) >= 0 && waitReady(error);
    if (ok) {
        pa_sample_spec spec{PA_SAMPLE_S16NE, static_cast<uint32_t>(sampleRate), 2};
        m_stream = pa_stream_new(m_context, "Morvane", &spec, nullptr);
        ok = m_stream != nullptr;
        if (!ok)
            error = "PulseAudio: " + contextError(m_context);
    }
    if (ok) {
        pa_sample_spec spec{PA_SAMPLE_S16NE, static_cast<uint32_t>(sampleRate), 2};
        pa_buffer_attr attr{};
        attr.maxlength = static_cast<uint32_t>(-1);
        attr.tlength = static_cast<uint32_t>(pa_usec_to_bytes(kBufferMs * 1000, &spec));
        attr.prebuf = static_cast<uint32_t>(-1);
        attr.minreq = static_cast<uint32_t>(pa_usec_to_bytes(kRequestMs * 1000, &spec));
        attr.fragsize = static_cast<uint32_t>(-1);
        pa_stream_set_state_callback(m_stream, &PulseOutput::onStreamState, this);
        pa_stream_set_write_callback(m_stream, &PulseOutput::onWriteRequest, this);
        // The timing stays current by itself; the clock reads it at every write.
        ok = pa_stream_connect_playback(m_stream, nullptr, &attr, PA_STREAM_AUTO_TIMING_UPDATE,
                                        nullptr, nullptr) >= 0 &&
             waitReady(error);
        if (!ok && error.empty())
            error = "PulseAudio: " + contextError(m_context);
    }
    if (ok) {
        const pa_buffer_attr* granted = pa_stream_get_buffer_attr(m_stream);
        m_bufferFrames = granted ? static_cast<int>(granted->tlength / kBytesPerFrame)
                                 : sampleRate * kBufferMs / 1000;
        m_started = true;
    }
    pa_threaded_mainloop_unlock(m_loop);
    if (!ok)
        stop();
    return ok;
}

void PulseOutput::stop()
{
    if (m_loop)
        pa_threaded_mainloop_lock(m_loop);
    m_started = false;
    if (m_standIn) {
        m_standIn->stop();
        m_standIn.reset();
    }
    m_lost.store(false);
    if (m_stream) {
        pa_stream_set_write_callback(m_stream, nullptr, nullptr);
        pa_stream_set_state_callback(m_stream, nullptr, nullptr);
        pa_stream_disconnect(m_stream);
        pa_stream_unref(m_stream);
        m_stream = nullptr;
    }
    if (m_context) {
        pa_context_set_state_callback(m_context, nullptr, nullptr);
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
        m_context = nullptr;
    }
    if (m_loop) {
        pa_threaded_mainloop_unlock(m_loop);
        pa_threaded_mainloop_stop(m_loop);
        pa_threaded_mainloop_free(m_loop);
        m_loop = nullptr;
    }
    m_bufferFrames = 0;
}

int64_t PulseOutput::nowNs() const
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int64_t PulseOutput::delayNs()
{
    const pa_timing_info* info = pa_stream_get_timing_info(m_stream);
    if (!info || info->write_index_corrupt || info->read_index_corrupt)
        return m_lastDelayNs;
    PulseTiming timing;
    timing.writeIndexBytes = info->write_index;
    timing.readIndexBytes = info->read_index;
    timing.sinkUsec = static_cast<int64_t>(info->sink_usec);
    timing.transportUsec = static_cast<int64_t>(info->transport_usec);
    timing.ageUsec = static_cast<int64_t>(pa_timeval_age(&info->timestamp));
    timing.playing = info->playing != 0;
    m_lastDelayNs = DelayUntilWriteIndexNs(timing, m_sampleRate * kBytesPerFrame);
    return m_lastDelayNs;
}

void PulseOutput::fill(size_t bytes)
{
    bytes -= bytes % kBytesPerFrame;
    while (bytes > 0) {
        void* data = nullptr;
        size_t chunk = bytes;
        if (pa_stream_begin_write(m_stream, &data, &chunk) < 0 || !data)
            return;
        chunk = std::min(chunk, bytes);
        chunk -= chunk % kBytesPerFrame;
        if (chunk == 0) {
            pa_stream_cancel_write(m_stream);
            return;
        }
        const int frames = static_cast<int>(chunk / kBytesPerFrame);
        const int64_t heardEnd =
            nowNs() + delayNs() + static_cast<int64_t>(1e9 * frames / m_sampleRate);
        m_renderer->render(static_cast<int16_t*>(data), frames, heardEnd);
        if (pa_stream_write(m_stream, data, chunk, nullptr, 0, PA_SEEK_RELATIVE) < 0)
            return;
        bytes -= chunk;
    }
}

void PulseOutput::onWriteRequest(pa_stream*, size_t bytes, void* self)
{
    auto* out = static_cast<PulseOutput*>(self);
    // During a refresh the whole buffer is written once the server's indexes are known again.
    if (!out->m_refreshing)
        out->fill(bytes);
}

void PulseOutput::refresh()
{
    if (!m_loop || pa_threaded_mainloop_in_thread(m_loop))
        return;
    pa_threaded_mainloop_lock(m_loop);
    if (m_stream && pa_stream_get_state(m_stream) == PA_STREAM_READY && !m_refreshing) {
        if (pa_operation* op = pa_stream_flush(m_stream, &PulseOutput::onFlushed, this)) {
            m_refreshing = true;
            pa_operation_unref(op);
        }
    }
    // A refresh already on its way renders after this call's change too.
    pa_threaded_mainloop_unlock(m_loop);
}

void PulseOutput::onFlushed(pa_stream* stream, int, void* self)
{
    // The flush moved the write index back to the server's read index: read both again.
    pa_operation* op = pa_stream_update_timing_info(stream, &PulseOutput::onTimingAfterFlush, self);
    if (op)
        pa_operation_unref(op);
    else
        onTimingAfterFlush(stream, 0, self);
}

void PulseOutput::onTimingAfterFlush(pa_stream* stream, int, void* self)
{
    auto* out = static_cast<PulseOutput*>(self);
    out->m_refreshing = false;
    // What the server still plays ends where the next write starts; the renderer goes back to
    // the frame it had scheduled for then.
    out->m_renderer->rewind(out->nowNs() + out->delayNs());
    size_t writable = pa_stream_writable_size(stream);
    if (writable != static_cast<size_t>(-1))
        out->fill(writable);
}
