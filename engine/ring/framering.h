// Lock-free single-producer, single-consumer ring of stereo 16-bit frames between the decode
// thread and the audio callback, which also keeps the frames just played for the visualisations.
//
// Threads: the decode thread is the only producer (write, discardQueued), the audio callback the
// only consumer (read); any thread may call copyHistory and the index getters. reset() only while
// neither side runs. Nothing here blocks or allocates after reset().
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

class FrameRing {
public:
    static constexpr int kChannels = 2;

    // capacityFrames is rounded up to a power of two; historyFrames of already played audio are
    // never overwritten, so copyHistory can read them.
    void reset(size_t capacityFrames, size_t historyFrames);

    // Producer: how many frames may be written now with at most queueLimit frames queued.
    size_t writable(size_t queueLimit) const;
    // Producer: appends up to count frames (never more than writable allows); returns frames taken.
    size_t write(const int16_t* frames, size_t count, size_t queueLimit);
    // Producer, without a copy: the free run where the next frames go (at most what writable
    // allows, cut at the buffer's end, so two runs may be needed); fill it, then commit.
    int16_t* writeSpan(size_t queueLimit, size_t& frames);
    // Producer: publishes frames (no more than the last writeSpan gave) to the consumer.
    void commit(size_t frames);
    // Producer: everything written so far is dropped; the consumer skips it on its next read.
    void discardQueued();
    // Producer: the frames from index on are written again (index between the last discard and
    // the write index). Frames the consumer took from there on are stale: its device must drop
    // them and rewind.
    void rewindWrite(int64_t index);
    // Producer: as rewindWrite, but only while the consumer has taken nothing from index on
    // (a read under way is waited for). False, and the queue left as it was, when it has.
    bool rewindWriteUntaken(int64_t index);
    int64_t writeIndex() const { return m_write.load(std::memory_order_acquire); }
    // True while the consumer has not yet skipped past the last discard (its room comes back at
    // the consumer's next read).
    bool discardPending() const
    {
        return m_read.load(std::memory_order_acquire) < m_discardTo.load(std::memory_order_acquire);
    }
    // Frames queued and not yet taken (discarded frames excluded).
    size_t queued() const;

    // Consumer: copies up to maxFrames frames to out; firstIndex receives the absolute index of the
    // first one (after a discard the indices jump). Returns the frames copied.
    size_t read(int16_t* out, size_t maxFrames, int64_t& firstIndex);
    int64_t readIndex() const { return m_read.load(std::memory_order_acquire); }
    // Consumer: the device dropped what it had taken from index on; reads start there again
    // (kept within the played history). Returns the index reads now start at.
    int64_t rewindRead(int64_t index);

    // Any thread: copies frames [first, first + count) when they are still held (played frames
    // within the history or queued ones). False, out untouched or partly written, otherwise.
    bool copyHistory(int64_t first, size_t count, int16_t* out) const;

private:
    std::vector<int16_t> m_data;
    size_t m_mask = 0;
    size_t m_capacity = 0;
    size_t m_history = 0;
    std::atomic<int64_t> m_write{0};
    std::atomic<int64_t> m_read{0};
    std::atomic<int64_t> m_discardTo{0};
    std::atomic<uint64_t> m_reads{0}; // odd while the consumer is inside read()
};
