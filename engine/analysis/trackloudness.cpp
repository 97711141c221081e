// ReplayGain per track: figures from the file, else from the cache or a measurement.
#include "trackloudness.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <vector>

#include <ebur128.h>
#include <sys/stat.h>

#include "decode/decoder.h"
#include "io/plainfile.h"
#include "io/safefile.h"

namespace {
// ReplayGain 2.0's reference loudness.
constexpr double kReferenceLufs = -18.0;
// Only the newest tracks (the open one, its successor, a few before) keep their choice.
constexpr size_t kTracksKept = 4;
// A cache beyond this is damaged or not ours: it is started afresh.
constexpr long kMaxCacheBytes = 8L << 20;
constexpr size_t kMaxCacheEntries = 50000;

bool fileStamp(const std::string& path, int64_t& size, int64_t& mtimeNs)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    size = st.st_size;
    mtimeNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return true;
}

// The cache names a file by its absolute path, however the caller named it.
std::string cacheKey(const std::string& path)
{
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

template <typename T> bool parseField(std::string_view text, T& value)
{
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}
} // namespace

TrackLoudness::~TrackLoudness()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit.store(true);
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void TrackLoudness::setCacheFile(const std::string& path)
{
    std::string bytes;
    if (!path.empty() && PlainFileSize(path) > 0 && PlainFileSize(path) <= kMaxCacheBytes) {
        if (FILE* file = std::fopen(path.c_str(), "rb")) {
            bytes.resize(static_cast<size_t>(PlainFileSize(path)));
            bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
            std::fclose(file);
        }
    }
    // One line a file: gain dB, peak, size, modification time in ns, path (UTF-8, may hold tabs).
    std::map<std::string, CacheEntry> entries;
    size_t at = 0;
    while (at < bytes.size() && entries.size() < kMaxCacheEntries) {
        size_t end = bytes.find('\n', at);
        if (end == std::string::npos)
            end = bytes.size();
        std::string_view line(bytes.data() + at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        std::string_view fields[4];
        bool ok = true;
        for (auto& field : fields) {
            size_t tab = line.find('\t');
            if (tab == std::string_view::npos) {
                ok = false;
                break;
            }
            field = line.substr(0, tab);
            line.remove_prefix(tab + 1);
        }
        CacheEntry entry;
        std::optional<double> gain = ok ? ParseGainDb(fields[0]) : std::nullopt;
        std::optional<double> peak = ok ? ParsePeak(fields[1]) : std::nullopt;
        if (!gain || !peak || !parseField(fields[2], entry.size) ||
            !parseField(fields[3], entry.mtimeNs) || line.empty())
            continue;
        entry.gainDb = *gain;
        entry.peak = *peak;
        entries[std::string(line)] = entry;
    }
    std::lock_guard lock(m_mutex);
    m_cacheFile = path;
    m_cache = std::move(entries);
}

void TrackLoudness::setSettings(const ReplayGainSettings& settings)
{
    ReplayGainSettings checked = settings;
    checked.preampDb =
        std::isfinite(checked.preampDb) ? std::clamp(checked.preampDb, -6.0, 12.0) : 0;
    checked.untaggedDb = std::isfinite(checked.untaggedDb)
                             ? std::clamp(checked.untaggedDb, -kMaxReplayGainDb, kMaxReplayGainDb)
                             : 0;
    std::vector<std::pair<int, std::string>> open;
    AlbumTest test;
    {
        std::lock_guard lock(m_mutex);
        m_settings = checked;
        test = m_albumTest;
        for (const auto& track : m_tracks)
            open.emplace_back(track.number, track.path);
    }
    // The album test may read tags: outside the lock.
    std::vector<bool> album;
    for (const auto& [number, path] : open)
        album.push_back(checked.mode == ReplayGainMode::Album ||
                        (checked.mode == ReplayGainMode::AlbumRuns && test && test(path)));
    std::vector<std::string> unmeasured;
    {
        std::lock_guard lock(m_mutex);
        for (size_t i = 0; i < open.size(); ++i) {
            for (auto& track : m_tracks) {
                if (track.number != open[i].first)
                    continue;
                track.album = album[i];
                applyLocked(track);
                if (m_settings.mode != ReplayGainMode::Off && !track.tags.any() &&
                    !cachedLocked(track.path))
                    unmeasured.push_back(track.path);
            }
        }
        for (auto& path : unmeasured)
            if (std::find(m_queue.begin(), m_queue.end(), path) == m_queue.end())
                m_queue.push_back(path);
        if (!unmeasured.empty() && !m_thread.joinable())
            m_thread = std::thread([this] { measureLoop(); });
    }
    m_wake.notify_all();
}

ReplayGainSettings TrackLoudness::settings() const
{
    std::lock_guard lock(m_mutex);
    return m_settings;
}

void TrackLoudness::setAlbumTest(AlbumTest test)
{
    std::lock_guard lock(m_mutex);
    m_albumTest = std::move(test);
}

void TrackLoudness::trackOpened(int number, const std::string& path)
{
    Track track;
    track.number = number;
    track.path = path;
    track.tags = ReadReplayGain(path);
    ReplayGainSettings settings;
    AlbumTest test;
    {
        std::lock_guard lock(m_mutex);
        settings = m_settings;
        test = m_albumTest;
    }
    track.album = settings.mode == ReplayGainMode::Album ||
                  (settings.mode == ReplayGainMode::AlbumRuns && test && test(path));
    bool queued = false;
    {
        std::lock_guard lock(m_mutex);
        applyLocked(track);
        m_tracks.erase(std::remove_if(m_tracks.begin(), m_tracks.end(),
                                      [&](const Track& t) { return t.number == number; }),
                       m_tracks.end());
        m_tracks.push_back(track);
        if (m_tracks.size() > kTracksKept)
            m_tracks.erase(m_tracks.begin());
        if (m_settings.mode != ReplayGainMode::Off && !track.tags.any() && !cachedLocked(path) &&
            std::find(m_queue.begin(), m_queue.end(), path) == m_queue.end()) {
            m_queue.push_back(path);
            queued = true;
            if (!m_thread.joinable())
                m_thread = std::thread([this] { measureLoop(); });
        }
    }
    if (queued)
        m_wake.notify_all();
}

ReplayGainChoice TrackLoudness::choice(int number) const
{
    std::lock_guard lock(m_mutex);
    for (auto it = m_tracks.rbegin(); it != m_tracks.rend(); ++it)
        if (number == 0 || it->number == number)
            return it->choice;
    return {};
}

ReplayGainTags TrackLoudness::tags(int number) const
{
    std::lock_guard lock(m_mutex);
    for (auto it = m_tracks.rbegin(); it != m_tracks.rend(); ++it)
        if (number == 0 || it->number == number)
            return it->tags;
    return {};
}

std::optional<ReplayGainTags> TrackLoudness::cached(const std::string& path) const
{
    std::lock_guard lock(m_mutex);
    return cachedLocked(path);
}

std::optional<ReplayGainTags> TrackLoudness::cachedLocked(const std::string& path) const
{
    auto it = m_cache.find(cacheKey(path));
    int64_t size = 0, mtimeNs = 0;
    if (it == m_cache.end() || !fileStamp(path, size, mtimeNs) || size != it->second.size ||
        mtimeNs != it->second.mtimeNs)
        return std::nullopt;
    ReplayGainTags tags;
    tags.trackGainDb = it->second.gainDb;
    tags.trackPeak = it->second.peak;
    tags.source = "measured";
    return tags;
}

void TrackLoudness::applyLocked(Track& track)
{
    std::optional<ReplayGainTags> measured;
    if (!track.tags.any())
        measured = cachedLocked(track.path);
    track.choice =
        ChooseReplayGain(track.tags, m_settings, track.album, measured ? &*measured : nullptr);
    m_gain.setFactor(track.number, track.choice.factor);
}

int TrackLoudness::measuredCount() const
{
    std::lock_guard lock(m_mutex);
    return m_measured;
}

bool TrackLoudness::waitIdle(int timeoutMs)
{
    std::unique_lock lock(m_mutex);
    return m_idle.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [this] { return m_queue.empty() && !m_measuring; });
}

std::optional<ReplayGainTags> TrackLoudness::measure(const std::string& path,
                                                     const std::atomic<bool>* abort)
{
    if (!IsPlainFile(path))
        return std::nullopt;
    TrackDecoder decoder;
    if (!decoder.open(path, false))
        return std::nullopt;
    const int channels = decoder.channels();
    ebur128_state* state = ebur128_init(static_cast<unsigned>(channels),
                                        static_cast<unsigned long>(decoder.sampleRate()),
                                        EBUR128_MODE_I | EBUR128_MODE_SAMPLE_PEAK);
    if (!state)
        return std::nullopt;
    std::vector<int16_t> block(4096 * static_cast<size_t>(channels));
    bool ok = true;
    for (;;) {
        if (abort && abort->load()) {
            ok = false;
            break;
        }
        const int frames = decoder.read(block.data(), 4096);
        if (frames <= 0)
            break;
        if (ebur128_add_frames_short(state, block.data(), static_cast<size_t>(frames)) !=
            EBUR128_SUCCESS) {
            ok = false;
            break;
        }
    }
    double lufs = 0, peak = 0;
    ok = ok && ebur128_loudness_global(state, &lufs) == EBUR128_SUCCESS && std::isfinite(lufs);
    for (int c = 0; ok && c < channels; ++c) {
        double channelPeak = 0;
        if (ebur128_sample_peak(state, static_cast<unsigned>(c), &channelPeak) == EBUR128_SUCCESS)
            peak = std::max(peak, channelPeak);
    }
    ebur128_destroy(&state);
    if (!ok)
        return std::nullopt;
    ReplayGainTags tags;
    tags.trackGainDb = std::clamp(kReferenceLufs - lufs, -kMaxReplayGainDb, kMaxReplayGainDb);
    if (peak > 0)
        tags.trackPeak = std::min(peak, 100.0);
    tags.source = "measured";
    return tags;
}

void TrackLoudness::measureLoop()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_quit.load() || !m_queue.empty(); });
        if (m_quit.load())
            return;
        const std::string path = m_queue.front();
        m_queue.pop_front();
        m_measuring = true;
        int64_t size = 0, mtimeNs = 0;
        const bool stamped = fileStamp(path, size, mtimeNs);
        lock.unlock();
        std::optional<ReplayGainTags> result = stamped ? measure(path, &m_quit) : std::nullopt;
        lock.lock();
        m_measuring = false;
        if (result) {
            ++m_measured;
            if (path.find_first_of("\r\n") != std::string::npos)
                result.reset(); // a line of the cache could not hold it
        }
        if (result) {
            m_cache[cacheKey(path)] =
                CacheEntry{size, mtimeNs, *result->trackGainDb, result->trackPeak.value_or(1.0)};
            if (m_cache.size() > kMaxCacheEntries)
                m_cache.erase(m_cache.begin());
            saveCacheLocked();
            for (auto& track : m_tracks)
                if (track.path == path)
                    applyLocked(track);
        }
        if (m_queue.empty())
            m_idle.notify_all();
    }
}

void TrackLoudness::saveCacheLocked()
{
    if (m_cacheFile.empty())
        return;
    std::string text;
    char number[64];
    for (const auto& [path, entry] : m_cache) {
        std::snprintf(number, sizeof number, "%.2f\t%.6f\t%lld\t%lld\t", entry.gainDb, entry.peak,
                      static_cast<long long>(entry.size), static_cast<long long>(entry.mtimeNs));
        text += number;
        text += path;
        text += "\r\n";
    }
    WriteFailure failure;
    WriteFileAtomically(m_cacheFile, text, failure); // a cache that cannot be kept is remade
}
