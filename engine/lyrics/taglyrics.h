// Lyrics kept inside an audio file's tag: ID3v2 SYLT (timed) and USLT, or the lyrics field of
// Vorbis comments, MP4 and APE tags.
//
// Pure file reads, safe on any thread; never throws.
#pragma once

#include <string>
#include <vector>

#include "lyrics.h"

// A lyric frame or field larger than this is skipped (damaged or not lyrics).
inline constexpr size_t kMaxTagLyricsBytes = 1 << 20;

struct TagLyrics {
    std::vector<LyricsLine> synced; // SYLT lines in the frame's order, times in ms
    std::string text;               // USLT or the lyrics field, UTF-8 (it may hold [mm:ss] stamps)
};

// Reads the lyrics of the audio file at path. Blocks on file I/O only.
TagLyrics ReadTagLyrics(const std::string& path);

// Fills lyrics from the tag of the audio file at path: SYLT first, then the text when it holds
// time stamps. False, lyrics empty, when neither gives a timed line.
bool LoadTagLyrics(const std::string& path, Lyrics& lyrics);
// A file whose name ends in .lrc (any case) is read as LRC, any other as an audio file's tag.
bool LoadLyricsFrom(const std::string& path, Lyrics& lyrics);
