// Ten-band graphic equaliser: a cascade of peaking filters whose gains are solved from the wanted
// band gains, so that the response at every band centre is that band's gain less one common
// headroom, which keeps the loudest frequency of the whole response at 0 dB.
//
// Threads: setGains and configure on the caller's thread (configure only while process does not
// run); process and rewind on the audio thread. A new setting is designed on the caller's thread
// and handed over through three slots and one atomic index (no lock, no allocation on the audio
// thread); process then glides every filter gain and the headroom to it over kGlideFrames, so a
// change never clicks. All gains 0 leaves the samples untouched. The filters' state is a function
// of the ring index alone (runs and glide steps fall on fixed multiples of it), and a snapshot is
// kept every kSnapshotFrames, so a device that drops what it holds and asks for it again (rewind)
// hears the same samples from the same point, then the newest setting glides in.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>

class FrameRing;

class Equalizer {
public:
    static constexpr int kBands = 10;
    static constexpr std::array<double, kBands> kCentreHz = {60,   170,  310,   600,   1000,
                                                             3000, 6000, 12000, 14000, 16000};
    // Frames over which a new setting replaces the old one (23 ms at 44.1 kHz).
    static constexpr int kGlideFrames = 1024;

    // The filters for wanted band gains in dB at a sample rate. Bands whose centre lies too
    // close to half the rate are left out (their filter gain is 0).
    struct Design {
        std::array<double, kBands> filterGainDb{};
        double headroomDb = 0; // <= 0, applied to the input
        bool operator==(const Design&) const = default;
    };
    static Design design(const std::array<double, kBands>& bandGainDb, int sampleRate);
    // The headroom in dB that gains in tenths of a dB (band 0 first) need at sampleRate.
    static double headroomFor(const int32_t* tenthsDb, int sampleRate = 44100);

    void configure(int sampleRate);
    // Gains in tenths of a decibel, clamped to -120..120; band 0 first. True when they differ
    // from the last ones set.
    bool setGains(const int32_t* tenthsDb);
    // Audio thread: filters count stereo 16-bit frames in place; they are the ring's frames from
    // firstIndex on.
    void process(int16_t* frames, int count, int64_t firstIndex);
    // Audio thread: the frames from index on are to be processed again. The filters return to
    // their state at index, replaying from the last snapshot before it the played frames the ring
    // still holds, scaled by preGain (the stage before, in force now). False (state unchanged)
    // when no snapshot lies far enough back.
    bool rewind(int64_t index, const FrameRing& ring, float preGain = 1.0f);
    // Audio thread: true when process would leave the samples untouched.
    bool bypassed();
    // Audio thread, as playback starts: the newest setting applies from the first frame, with no
    // glide from the one before (nothing was heard in between).
    void settle();

private:
    struct Biquad {
        double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
        double z1[2] = {0, 0}, z2[2] = {0, 0};
        bool identity() const { return b0 == 1 && b1 == 0 && b2 == 0 && a1 == 0 && a2 == 0; }
    };
    void publish(const Design& design);
    bool takeNewDesign();
    void applyGains(const Design& gains); // audio thread: coefficients for these gains
    void filterRun(double* samples, int frames);
    void run(int16_t* frames, int count, int64_t firstIndex);
    void saveSnapshot(int64_t index);

    // Caller's side.
    std::mutex m_mutex; // guards m_bandGainDb, m_sampleRate, m_writeSlot
    std::array<double, kBands> m_bandGainDb{};
    int m_sampleRate = 44100;
    int m_writeSlot = 0;

    // The hand-over: the slot holding the newest design, with kFresh while the audio thread has
    // not taken it.
    static constexpr int kFresh = 4;
    std::array<Design, 3> m_slots{};
    std::atomic<int> m_latest{1};

    // Audio thread.
    int m_readSlot = 2;
    int m_rate = 44100; // the rate the coefficients are made for (set by configure)
    Design m_from{}, m_to{}, m_now{};
    int m_glidePos = kGlideFrames; // frames of the glide done; kGlideFrames when none runs
    double m_headroomFactor = 1;
    std::array<Biquad, kBands> m_filters;

    // Audio thread: the state at every kSnapshotFrames-th ring index, newest last written.
    static constexpr int kSnapshotFrames = 1024;
    static constexpr int kSnapshots = 64; // 1.5 s at 44.1 kHz: more than a device holds
    struct Snapshot {
        int64_t index = -1;
        Design from{}, to{}, now{};
        int glidePos = 0;
        std::array<std::array<double, 4>, kBands> z{};
    };
    std::array<Snapshot, kSnapshots> m_snapshots{};
};
