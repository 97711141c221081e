// Lyrics kept inside an audio file's tag: ID3v2 SYLT (timed) and USLT, or the lyrics field of
// Vorbis comments, MP4 and APE tags.
//
// Reads are pure file reads and writing goes through TagWriter's copy and rename; both are safe on
// any thread (two writers must not target one file at once) and never throw.
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

// Writes text (UTF-8 lines with time stamps) as the file's lyrics, replacing the lyrics this
// program reads first: MP3, WAV and AIFF get an unsynchronised lyrics frame without description
// (USLT, what most players and taggers read) and lose their synchronised lyrics frames (SYLT,
// which would otherwise win over the new text); Vorbis comments and MP4 get their lyrics field.
// Every other frame, field and picture stays. Stamps written by the lyrics editor
// ("[mm:ss:xx]") go in as "[mm:ss.xx]", the form every LRC reader takes. An empty text removes
// the lyrics. False with error set (English, for logs) when the file cannot be tagged; the
// original is then untouched.
bool WriteTagLyrics(const std::string& path, const std::string& text, std::string& error);
