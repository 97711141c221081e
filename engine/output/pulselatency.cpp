// Signed delay of a PulseAudio stream's write index, as libpulse's own stream time computes it.
#include "pulselatency.h"

int64_t DelayUntilWriteIndexNs(const PulseTiming& timing, int bytesPerSecond)
{
    if (bytesPerSecond <= 0)
        return 0;
    auto bytesToNs = [&](int64_t bytes) {
        return static_cast<int64_t>(static_cast<double>(bytes) * 1e9 / bytesPerSecond);
    };
    // The stream time heard now: what the sink took, less what it still holds, plus the time
    // since the server measured it while the stream plays.
    int64_t heardNs = bytesToNs(timing.readIndexBytes) - timing.sinkUsec * 1000;
    if (timing.playing)
        heardNs += (timing.transportUsec + timing.ageUsec) * 1000;
    return bytesToNs(timing.writeIndexBytes) - heardNs;
}
