// The frame ring's index arithmetic: absolute 64-bit indices, masked into a power-of-two buffer.
#include "framering.h"

#include <algorithm>
#include <cstring>
#include <thread>

void FrameRing::reset(size_t capacityFrames, size_t historyFrames)
{
    size_t size = 1024;
    while (size < capacityFrames + historyFrames)
        size <<= 1;
    if (m_data.size() != size * kChannels)
        m_data.assign(size * kChannels, 0);
    else
        std::fill(m_data.begin(), m_data.end(), 0);
    m_capacity = size;
    m_mask = size - 1;
    m_history = historyFrames;
    m_write.store(0);
    m_read.store(0);
    m_discardTo.store(0);
}

size_t FrameRing::writable(size_t queueLimit) const
{
    int64_t write = m_write.load(std::memory_order_relaxed);
    int64_t read = m_read.load(std::memory_order_acquire);
    int64_t start = std::max(read, m_discardTo.load(std::memory_order_relaxed));
    int64_t queuedFrames = write - start;
    int64_t physical = static_cast<int64_t>(m_capacity - m_history) - (write - read);
    int64_t room = std::min(static_cast<int64_t>(queueLimit) - queuedFrames, physical);
    return room > 0 ? static_cast<size_t>(room) : 0;
}

size_t FrameRing::write(const int16_t* frames, size_t count, size_t queueLimit)
{
    count = std::min(count, writable(queueLimit));
    int64_t write = m_write.load(std::memory_order_relaxed);
    size_t done = 0;
    while (done < count) {
        size_t slot = static_cast<size_t>(write + static_cast<int64_t>(done)) & m_mask;
        size_t run = std::min(count - done, m_capacity - slot);
        std::memcpy(&m_data[slot * kChannels], frames + done * kChannels,
                    run * kChannels * sizeof(int16_t));
        done += run;
    }
    m_write.store(write + static_cast<int64_t>(count), std::memory_order_release);
    return count;
}

int16_t* FrameRing::writeSpan(size_t queueLimit, size_t& frames)
{
    size_t slot = static_cast<size_t>(m_write.load(std::memory_order_relaxed)) & m_mask;
    frames = std::min(writable(queueLimit), m_capacity - slot);
    return m_data.data() + slot * kChannels;
}

void FrameRing::commit(size_t frames)
{
    m_write.store(m_write.load(std::memory_order_relaxed) + static_cast<int64_t>(frames),
                  std::memory_order_release);
}

void FrameRing::discardQueued()
{
    m_discardTo.store(m_write.load(std::memory_order_relaxed), std::memory_order_seq_cst);
}

void FrameRing::rewindWrite(int64_t index)
{
    int64_t write = m_write.load(std::memory_order_relaxed);
    index = std::clamp(index, m_discardTo.load(std::memory_order_relaxed), write);
    m_write.store(index, std::memory_order_seq_cst);
}

bool FrameRing::rewindWriteUntaken(int64_t index)
{
    const int64_t write = m_write.load(std::memory_order_relaxed);
    index = std::clamp(index, m_discardTo.load(std::memory_order_relaxed), write);
    if (m_read.load(std::memory_order_seq_cst) > index)
        return false;
    m_write.store(index, std::memory_order_seq_cst);
    // A read that began before the store may still take frames past index: wait for it to end.
    // Any read that begins later sees the new write index.
    const uint64_t reads = m_reads.load(std::memory_order_seq_cst);
    if (reads % 2 == 1)
        while (m_reads.load(std::memory_order_seq_cst) == reads)
            std::this_thread::yield();
    if (m_read.load(std::memory_order_seq_cst) <= index)
        return true;
    // Nothing was written over the queued frames yet: they stay as the consumer took them.
    m_write.store(write, std::memory_order_seq_cst);
    return false;
}

size_t FrameRing::queued() const
{
    int64_t write = m_write.load(std::memory_order_acquire);
    int64_t start = std::max(m_read.load(std::memory_order_acquire),
                             m_discardTo.load(std::memory_order_acquire));
    return write > start ? static_cast<size_t>(write - start) : 0;
}

size_t FrameRing::read(int16_t* out, size_t maxFrames, int64_t& firstIndex)
{
    m_reads.fetch_add(1, std::memory_order_seq_cst);
    // Load the write index before the discard mark: frames written after a discard lie past it.
    int64_t write = m_write.load(std::memory_order_seq_cst);
    int64_t read = m_read.load(std::memory_order_relaxed);
    read = std::max(read, m_discardTo.load(std::memory_order_seq_cst));
    firstIndex = read;
    size_t count = write > read ? std::min(maxFrames, static_cast<size_t>(write - read)) : 0;
    size_t done = 0;
    while (done < count) {
        size_t slot = static_cast<size_t>(read + static_cast<int64_t>(done)) & m_mask;
        size_t run = std::min(count - done, m_capacity - slot);
        std::memcpy(out + done * kChannels, &m_data[slot * kChannels],
                    run * kChannels * sizeof(int16_t));
        done += run;
    }
    m_read.store(read + static_cast<int64_t>(count), std::memory_order_seq_cst);
    m_reads.fetch_add(1, std::memory_order_seq_cst);
    return count;
}

int64_t FrameRing::rewindRead(int64_t index)
{
    int64_t read = m_read.load(std::memory_order_relaxed);
    // Frames older than the history may already be overwritten by the producer.
    int64_t oldest = std::max<int64_t>(0, read - static_cast<int64_t>(m_history));
    index = std::clamp(index, oldest, read);
    m_read.store(index, std::memory_order_release);
    return index;
}

bool FrameRing::copyHistory(int64_t first, size_t count, int16_t* out) const
{
    if (m_capacity == 0 || first < 0)
        return false;
    auto intact = [&] {
        int64_t read = m_read.load(std::memory_order_acquire);
        int64_t write = m_write.load(std::memory_order_acquire);
        // The producer may overwrite a played frame once it falls out of the history window.
        return first > read - static_cast<int64_t>(m_history) &&
               first + static_cast<int64_t>(count) <= write;
    };
    if (!intact())
        return false;
    for (size_t i = 0; i < count; ++i) {
        size_t slot = static_cast<size_t>(first + static_cast<int64_t>(i)) & m_mask;
        out[i * 2] = m_data[slot * kChannels];
        out[i * 2 + 1] = m_data[slot * kChannels + 1];
    }
    std::atomic_thread_fence(std::memory_order_acquire);
    return intact();
}
