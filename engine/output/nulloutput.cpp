// The null output's pacing thread: one block per period of its (possibly accelerated) clock.
#include "nulloutput.h"

#include <chrono>

namespace {
int64_t steadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
} // namespace

NullOutput::NullOutput(NullOutputOptions options, Tap tap)
    : m_options(options), m_tap(std::move(tap))
{
    if (m_options.speed <= 0)
        m_options.speed = 1.0;
    if (m_options.periodFrames < 16)
        m_options.periodFrames = 16;
    m_originNs = m_options.steadyClock ? 0 : steadyNs();
}

NullOutput::~NullOutput()
{
    stop();
}

bool NullOutput::start(int sampleRate, AudioRenderer* renderer, std::string& error)
{
    stop();
    if (sampleRate <= 0 || !renderer) {
        error = "bad output format";
        return false;
    }
    m_sampleRate = sampleRate;
    m_renderer = renderer;
    m_buffer.assign(
        static_cast<size_t>(m_options.periodFrames) * 2 * NullOutputOptions::kBurstPeriods, 0);
    m_quit = false;
    m_thread = std::thread([this] { run(); });
    return true;
}

void NullOutput::stop()
{
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

int64_t NullOutput::nowNs() const
{
    return static_cast<int64_t>(static_cast<double>(steadyNs() - m_originNs) * m_options.speed);
}

void NullOutput::run()
{
    const int period = m_options.periodFrames;
    const double periodNs = 1e9 * period / m_sampleRate;
    const int64_t latencyNs = static_cast<int64_t>(m_options.latencyMs) * 1000000;
    double tickNs = static_cast<double>(nowNs());
    int64_t pulls = 0;
    std::unique_lock lock(m_mutex);
    while (!m_quit) {
        lock.unlock();
        const bool burst = m_options.burstEvery > 0 && ++pulls % m_options.burstEvery == 0;
        const int frames = burst ? period * NullOutputOptions::kBurstPeriods : period;
        const double blockNs = periodNs * frames / period;
        int64_t heardEnd = static_cast<int64_t>(tickNs + blockNs) + latencyNs;
        m_renderer->render(m_buffer.data(), frames, heardEnd);
        if (m_tap)
            m_tap(m_buffer.data(), frames, heardEnd);
        tickNs += blockNs;
        // Sleep until the clock reaches the next tick (in real time: a period divided by speed).
        double aheadNs = (tickNs - static_cast<double>(nowNs())) / m_options.speed;
        lock.lock();
        if (aheadNs > 0)
            m_wake.wait_for(lock, std::chrono::nanoseconds(static_cast<int64_t>(aheadNs)),
                            [this] { return m_quit; });
        else if (aheadNs < -2e8)
            tickNs = static_cast<double>(nowNs()); // fell far behind (debugger, loaded machine)
    }
}
