// Each playing track's ReplayGain: the stored figures, the user's setting, and for a track
// without figures a measurement (EBU R128 loudness and sample peak) made in the background the
// first time it is opened for playing, kept in a cache file beside the settings and never
// written into the music file.
//
// Threads: every public method runs on the engine's caller thread (the decode thread never calls
// in); one measuring thread of its own decodes a file at a time and hands the figure to the
// TrackGain stage. m_mutex guards everything the two share; it is held for no file I/O except
// the cache's small write, and never while decoding.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "dsp/trackgain.h"
#include "meta/replaygain.h"

class TrackLoudness {
public:
    // Whether a file's neighbouring rows hold the same album (AlbumRuns mode); caller's thread.
    using AlbumTest = std::function<bool(const std::string& path)>;

    explicit TrackLoudness(TrackGain& gain) : m_gain(gain) {}
    ~TrackLoudness();
    TrackLoudness(const TrackLoudness&) = delete;
    TrackLoudness& operator=(const TrackLoudness&) = delete;

    // The cache file (UTF-8, CR LF); empty: measurements are kept in memory only. Loads it.
    void setCacheFile(const std::string& path);
    void setSettings(const ReplayGainSettings& settings);
    ReplayGainSettings settings() const;
    void setAlbumTest(AlbumTest test);

    // A track opened under clock number track (the open one or its successor): its figures are
    // read from the file, its gain set, and a measurement queued when it has none.
    void trackOpened(int track, const std::string& path);
    // The gain chosen for track (the last one opened when track is 0).
    ReplayGainChoice choice(int track = 0) const;
    ReplayGainTags tags(int track = 0) const;

    // The cached measurement of path, when its size and time still match.
    std::optional<ReplayGainTags> cached(const std::string& path) const;
    // Measures path now, on the calling thread; nothing when it cannot be decoded.
    static std::optional<ReplayGainTags> measure(const std::string& path,
                                                 const std::atomic<bool>* abort = nullptr);
    // Measurements finished so far (tests).
    int measuredCount() const;
    // Blocks until no measurement is queued or running, at most timeoutMs; true when idle.
    bool waitIdle(int timeoutMs);

private:
    struct Track {
        int number = 0;
        std::string path;
        ReplayGainTags tags;
        ReplayGainChoice choice;
        bool album = false;
    };
    struct CacheEntry {
        int64_t size = 0;
        int64_t mtimeNs = 0;
        double gainDb = 0;
        double peak = 0;
    };
    void applyLocked(Track& track);
    std::optional<ReplayGainTags> cachedLocked(const std::string& path) const;
    void measureLoop();
    void saveCacheLocked();

    TrackGain& m_gain;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    ReplayGainSettings m_settings;
    AlbumTest m_albumTest;
    std::vector<Track> m_tracks; // the newest few, last opened last
    std::string m_cacheFile;
    std::map<std::string, CacheEntry> m_cache;
    std::deque<std::string> m_queue;
    bool m_measuring = false;
    std::atomic<bool> m_quit{false};
    int m_measured = 0;
    std::thread m_thread;
};
