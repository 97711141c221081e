// ReplayGain figures stored with a track (tags, the LAME header) and the gain a setting makes of
// them.
//
// Pure functions and file reads, safe on any thread; never throws.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// Track and album gain (dB, relative to the ReplayGain reference of -18 LUFS) and peak (linear,
// 1 = full scale). A figure that is missing, not a number or out of range stays empty.
struct ReplayGainTags {
    std::optional<double> trackGainDb;
    std::optional<double> trackPeak;
    std::optional<double> albumGainDb;
    std::optional<double> albumPeak;
    std::string source; // where the figures came from ("TXXX", "RVA2", "LAME", "R128", ...)
    bool any() const { return trackGainDb || albumGainDb; }
};

// Gains beyond this are damaged or forged, and ignored.
inline constexpr double kMaxReplayGainDb = 51.0;

// "-6.00 dB", "+3.5", "-6,00 dB": the gain in dB; nothing when it is not a number within
// ±kMaxReplayGainDb.
std::optional<double> ParseGainDb(std::string_view text);
// "0.988": a peak within (0, 100]; nothing otherwise.
std::optional<double> ParsePeak(std::string_view text);

// Reads the figures of the file at path: ID3v2 TXXX:REPLAYGAIN_* (then RVA2, then the LAME
// header), Vorbis comments (Ogg, FLAC), Opus R128_*_GAIN, APE items and MP4 freeform atoms.
// Blocks on file I/O only.
ReplayGainTags ReadReplayGain(const std::string& path);

// How the gain of a track is chosen.
enum class ReplayGainMode { Off = 0, Track = 1, Album = 2, AlbumRuns = 3 };

struct ReplayGainSettings {
    ReplayGainMode mode = ReplayGainMode::Off;
    double preampDb = 0;   // added to a stored or measured gain, -6..12
    double untaggedDb = 0; // the gain of a track without figures, until it is measured
    bool preventClipping = true;
};

// What is applied to one track: a gain in dB, the linear factor (the peak rule included) and
// where it came from ("off", "track", "album", "measured", "untagged").
struct ReplayGainChoice {
    double gainDb = 0;
    float factor = 1.0f;
    std::string basis = "off";
};

// The gain for a track with these figures. album: the album's gain is wanted (mode Album, or
// AlbumRuns when the neighbouring rows hold the same album). measured: the track's own measured
// figures, used when it has none stored.
ReplayGainChoice ChooseReplayGain(const ReplayGainTags& tags, const ReplayGainSettings& settings,
                                  bool album, const ReplayGainTags* measured = nullptr);
