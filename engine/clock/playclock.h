// The position clock: which ring frame is being heard now, and which track frame that is.
//
// Threads: the audio callback writes blocks (recordBlock), the decode thread writes markers
// (addMarker), any thread reads. Each record is guarded by its own sequence counter, so writers
// never wait and readers retry. reset() only while neither writer runs.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

class PlayClock {
public:
    void reset(int sampleRate);
    // The rate of the blocks recorded from now on (the output reopened at another rate); the
    // blocks and markers recorded so far keep their meaning. Only while no block is recorded.
    void setSampleRate(int sampleRate);
    int sampleRate() const { return m_sampleRate.load(std::memory_order_acquire); }

    // Audio callback: a block of totalFrames frames whose last one is heard at heardEndNs; its
    // first ringFrames frames came from ring indices [firstIndex, firstIndex + ringFrames), the
    // rest was silence.
    void recordBlock(int64_t firstIndex, int ringFrames, int totalFrames, int64_t heardEndNs);
    // Decode thread: from ring index outIndex on, output frame k plays frame
    // trackFrame + k * tempo (tempo = track frames per output frame) of the track numbered track,
    // never less than startFrame, which is also what the clock shows until outIndex is heard. A
    // marker follows a discard of the queued audio; a continuous one (a new pitch or tempo
    // spliced into the queue, or the next track joined without a gap, at outIndex) leaves the
    // frames before outIndex to the marker before it.
    void addMarker(int64_t outIndex, int64_t trackFrame, double tempo, int64_t startFrame,
                   bool continuous = false, int track = 0);
    void clearMarkers();

    // The ring index heard at nowNs (fractions dropped). -1 before any block was recorded.
    int64_t heardIndex(int64_t nowNs) const;
    // The track frame that ring index plays, and in track the number of its track; a marker
    // not yet reached (a seek or start still queued) gives its own track frame. -1 without
    // markers.
    int64_t trackFrameAt(int64_t ringIndex, int* track = nullptr) const;

private:
    static constexpr int kBlocks = 64;
    static constexpr int kMarkers = 64;
    struct Block {
        std::atomic<uint32_t> seq{0};
        std::atomic<int64_t> firstIndex{0};
        std::atomic<int32_t> ringFrames{0};
        std::atomic<int32_t> totalFrames{0};
        std::atomic<int64_t> heardEndNs{0};
        std::atomic<int32_t> sampleRate{44100};
    };
    struct Marker {
        std::atomic<uint32_t> seq{0};
        std::atomic<int64_t> outIndex{0};
        std::atomic<int64_t> trackFrame{0};
        std::atomic<double> tempo{1.0};
        std::atomic<int64_t> startFrame{0};
        std::atomic<bool> continuous{false};
        std::atomic<int32_t> track{0};
    };
    struct BlockCopy {
        int64_t firstIndex, heardEndNs;
        int32_t ringFrames, totalFrames, sampleRate;
    };
    struct MarkerCopy {
        int64_t outIndex, trackFrame;
        double tempo;
        int64_t startFrame;
        bool continuous;
        int32_t track;
    };
    bool loadBlock(uint64_t number, BlockCopy& out) const;
    bool loadMarker(uint64_t number, MarkerCopy& out) const;

    std::atomic<int> m_sampleRate{44100};
    std::array<Block, kBlocks> m_blocks;
    std::array<Marker, kMarkers> m_markers;
    std::atomic<uint64_t> m_blockCount{0};
    std::atomic<uint64_t> m_markerCount{0};
    std::atomic<uint64_t> m_markerBase{0}; // markers before this one are cleared
};
