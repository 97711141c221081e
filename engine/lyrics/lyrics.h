// Time-synchronised lyrics from an LRC file and the lines that belong to a play position.
//
// Not synchronised: one thread loads and looks up (the engine's caller thread), or the owner locks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/records.h"

// One timed line: when it is shown (offset applied, may be negative) and its UTF-8 text.
struct LyricsLine {
    int64_t timeMs = 0;
    std::string text;
};

class Lyrics {
public:
    // Files larger than this are read only up to it, so a huge file cannot exhaust memory.
    static constexpr size_t kMaxFileBytes = 4 * 1024 * 1024;

    // Replaces the lines with those of the LRC file at path (encoding detected). Returns false,
    // leaving no lines, when the file is missing, unreadable or has no timed line.
    bool load(const std::string& path);
    // Same as load for bytes already in memory (any encoding load accepts; capped the same way).
    bool parse(std::string_view bytes);
    // Replaces the lines with these (times in ms, in any order; text UTF-8): sorted by time,
    // text cut to kLyricsLineChars. False, leaving no lines, when there are none.
    bool setLines(std::vector<LyricsLine> lines);
    void clear();

    // Fills record for a play position in ms: lines[2] the current line, lines[0..1] the two
    // before, lines[3..4] the two after, "" where none; field = the current line's time in ms.
    // Returns 0 (record cleared) before the first line's time or without lines, else 1.
    int lookup(int64_t positionMs, LyricsRecord& record) const;

    // Lines sorted by time, lines of the same time in file order; text cut to kLyricsLineChars.
    const std::vector<LyricsLine>& lines() const { return m_lines; }
    int64_t offsetMs() const { return m_offsetMs; }

private:
    std::vector<LyricsLine> m_lines;
    int64_t m_offsetMs = 0;
};
