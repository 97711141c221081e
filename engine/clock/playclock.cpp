// Position arithmetic over the recorded output blocks and the decode thread's markers.
#include "playclock.h"

#include <algorithm>
#include <cmath>

namespace {

// The two halves of each record's sequence lock: the one writer makes the count odd while it
// stores, readers retry a copy during which the count changed.
template <typename Record, typename Store> void Publish(Record& record, Store store)
{
    uint32_t seq = record.seq.load(std::memory_order_relaxed);
    record.seq.store(seq + 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    store(record);
    record.seq.store(seq + 2, std::memory_order_release);
}

template <typename Record, typename Copy> bool Read(const Record& record, Copy copy)
{
    for (int attempt = 0; attempt < 4; ++attempt) {
        uint32_t before = record.seq.load(std::memory_order_acquire);
        if (before & 1)
            continue;
        copy(record);
        std::atomic_thread_fence(std::memory_order_acquire);
        if (record.seq.load(std::memory_order_relaxed) == before)
            return true;
    }
    return false;
}

} // namespace

void PlayClock::reset(int sampleRate)
{
    setSampleRate(sampleRate);
    m_blockCount.store(0);
    m_markerCount.store(0);
    m_markerBase.store(0);
}

void PlayClock::setSampleRate(int sampleRate)
{
    m_sampleRate.store(sampleRate > 0 ? sampleRate : 44100, std::memory_order_release);
}

void PlayClock::recordBlock(int64_t firstIndex, int ringFrames, int totalFrames, int64_t heardEndNs)
{
    uint64_t number = m_blockCount.load(std::memory_order_relaxed);
    Publish(m_blocks[number % kBlocks], [&](Block& b) {
        b.firstIndex.store(firstIndex, std::memory_order_relaxed);
        b.ringFrames.store(ringFrames, std::memory_order_relaxed);
        b.totalFrames.store(totalFrames, std::memory_order_relaxed);
        b.heardEndNs.store(heardEndNs, std::memory_order_relaxed);
        b.sampleRate.store(m_sampleRate.load(std::memory_order_relaxed), std::memory_order_relaxed);
    });
    m_blockCount.store(number + 1, std::memory_order_release);
}

bool PlayClock::loadBlock(uint64_t number, BlockCopy& out) const
{
    return Read(m_blocks[number % kBlocks], [&](const Block& b) {
        out.firstIndex = b.firstIndex.load(std::memory_order_relaxed);
        out.ringFrames = b.ringFrames.load(std::memory_order_relaxed);
        out.totalFrames = b.totalFrames.load(std::memory_order_relaxed);
        out.heardEndNs = b.heardEndNs.load(std::memory_order_relaxed);
        out.sampleRate = b.sampleRate.load(std::memory_order_relaxed);
    });
}

int64_t PlayClock::heardIndex(int64_t nowNs) const
{
    uint64_t count = m_blockCount.load(std::memory_order_acquire);
    if (count == 0)
        return -1;
    BlockCopy newest{};
    if (!loadBlock(count - 1, newest))
        return -1;
    if (nowNs >= newest.heardEndNs)
        return newest.firstIndex + newest.ringFrames;
    // Walk back to the block playing at nowNs; older than the history means its first frame.
    uint64_t oldest = count > kBlocks - 1 ? count - (kBlocks - 1) : 0;
    BlockCopy block = newest;
    for (uint64_t n = count; n-- > oldest;) {
        if (n != count - 1 && !loadBlock(n, block))
            break;
        double durationNs = 1e9 * block.totalFrames / block.sampleRate;
        double startNs = static_cast<double>(block.heardEndNs) - durationNs;
        if (static_cast<double>(nowNs) >= startNs) {
            double offset = (static_cast<double>(nowNs) - startNs) * block.sampleRate / 1e9;
            int64_t within = static_cast<int64_t>(offset);
            if (within > block.ringFrames)
                within = block.ringFrames;
            return block.firstIndex + within;
        }
    }
    return block.firstIndex;
}

void PlayClock::addMarker(int64_t outIndex, int64_t trackFrame, double tempo, int64_t startFrame,
                          bool continuous, int track)
{
    uint64_t number = m_markerCount.load(std::memory_order_relaxed);
    Publish(m_markers[number % kMarkers], [&](Marker& m) {
        m.outIndex.store(outIndex, std::memory_order_relaxed);
        m.trackFrame.store(trackFrame, std::memory_order_relaxed);
        m.tempo.store(tempo, std::memory_order_relaxed);
        m.startFrame.store(startFrame, std::memory_order_relaxed);
        m.continuous.store(continuous, std::memory_order_relaxed);
        m.track.store(track, std::memory_order_relaxed);
    });
    m_markerCount.store(number + 1, std::memory_order_release);
}

void PlayClock::clearMarkers()
{
    m_markerBase.store(m_markerCount.load(std::memory_order_acquire), std::memory_order_release);
}

bool PlayClock::loadMarker(uint64_t number, MarkerCopy& out) const
{
    return Read(m_markers[number % kMarkers], [&](const Marker& m) {
        out.outIndex = m.outIndex.load(std::memory_order_relaxed);
        out.trackFrame = m.trackFrame.load(std::memory_order_relaxed);
        out.tempo = m.tempo.load(std::memory_order_relaxed);
        out.startFrame = m.startFrame.load(std::memory_order_relaxed);
        out.continuous = m.continuous.load(std::memory_order_relaxed);
        out.track = m.track.load(std::memory_order_relaxed);
    });
}

int64_t PlayClock::trackFrameAt(int64_t ringIndex, int* track) const
{
    uint64_t count = m_markerCount.load(std::memory_order_acquire);
    uint64_t base = m_markerBase.load(std::memory_order_acquire);
    if (count <= base)
        return -1;
    // The newest marker maps the frames from its outIndex on. Before a start or seek's first frame
    // is heard the clock shows its track frame; before a continuous marker the one before it
    // maps the frames.
    MarkerCopy marker{};
    const uint64_t oldest = std::max<uint64_t>(base, count > kMarkers ? count - kMarkers : 0);
    for (uint64_t n = count; n-- > oldest;) {
        if (!loadMarker(n, marker))
            return -1;
        if (ringIndex >= marker.outIndex || !marker.continuous)
            break;
    }
    if (track)
        *track = marker.track;
    if (ringIndex < marker.outIndex)
        return marker.startFrame;
    int64_t frame = marker.trackFrame +
                    static_cast<int64_t>(std::floor((ringIndex - marker.outIndex) * marker.tempo));
    return std::max(frame, marker.startFrame);
}
