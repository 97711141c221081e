// Records the engine fills or takes: track info, MPEG stream info, tag, lyrics, decode options.
#pragma once

#include <array>
#include <cstdint>
#include <string>

// Text fields are UTF-8; each is limited by characters (see the k*Chars constants), never bytes.
inline constexpr int kInfoTextChars = 128;
inline constexpr int kTagTextChars = 128;
inline constexpr int kTagYearChars = 5;
inline constexpr int kTagTrackChars = 7;
inline constexpr int kLyricsLineChars = 128;

// Filled by Engine::open.
struct InputInfo {
    std::string title;   // from the tag, empty without one
    std::string artist;  // from the tag, empty without one
    int32_t channels = 0;
    int32_t bitRate = 0;     // kbit/s
    int32_t sampleRate = 0;  // Hz
    int32_t totalSec = 0;    // track length in whole seconds
    int64_t lengthMs = 0;    // the same to the millisecond
};

// Filled by Engine::getMpegInfo from the first valid frame; fourteen 32-bit fields.
struct MpegInfo {
    int32_t version = 0;        // 1 MPEG-1, 2 MPEG-2, 3 MPEG-2.5
    int32_t layer = 0;          // 1..3
    int32_t protection = 0;     // header bit: 0 = CRC present
    int32_t privateBit = 0;
    int32_t channelMode = 0;    // 0 stereo, 1 joint stereo, 2 dual channel, 3 mono
    int32_t copyright = 0;
    int32_t original = 0;
    int32_t emphasis = 0;
    int32_t bitRate = 0;        // kbit/s
    int32_t sampleRate = 0;     // Hz
    int32_t modeExtension = 0;
    int32_t fileSize = 0;       // bytes
    int32_t frameCount = 0;
    int32_t lengthMs = 0;
};

// The tag record exchanged with the engine (ID3 fields).
struct TagInfo {
    std::string title;    // up to kTagTextChars characters
    std::string artist;   // up to kTagTextChars
    std::string album;    // up to kTagTextChars
    std::string year;     // up to kTagYearChars
    std::string comment;  // up to kTagTextChars
    int32_t genre = -1;   // ID3v1 genre number 0..255, -1 = none (MP3 only)
    std::string genreText; // up to kTagTextChars: the genre as text in every format (an MP3's
                           // number gives its name); written for every format but MP3
    std::string track;     // up to kTagTrackChars: "3" or "3/12"
    std::string unused;
};

// Filled by Engine::getLyrics: line 3 is the line belonging to the position now,
// lines 1 and 2 the two before it, 4 and 5 the two after (empty where there are none).
struct LyricsRecord {
    int32_t field = 0;  // time of the current line in milliseconds
    std::array<std::string, 5> lines;
};

// Handed to Engine::setDecodeOption; the only accepted value is (0, 0, 24000):
// 16-bit PCM, the source's channels, blocks of 24000 samples.
struct DecodeOption {
    int32_t format = 0;
    int32_t channels = 0;
    int32_t blockSamples = 24000;
};

// Cuts a UTF-8 string to at most maxChars code points (never splits a character).
std::string CutUtf8(const std::string& text, int maxChars);
