// Reads a file's tag into TagInfo, whatever its format: for MP3 its ID3 tags (ID3v2.2/2.3/2.4
// preferred, ID3v1 for what v2 lacks); for FLAC, Ogg Vorbis and Opus their Vorbis comments
// (FLAC: an ID3v2 tag when it has none); for MP4 its atoms; for WAV and AIFF their ID3v2 tag
// (WAV: its RIFF INFO list when it has none). The format is judged by content, not by name.
//
// Safe on any thread (TagLib objects are local to each call); never throws.
#pragma once

#include <string>

#include "engine/meta/textcodec.h"
#include "engine/records.h"

enum class AudioFormat;

// True for the formats whose tag is not ID3 at the file's start and end (MP3's and raw AAC's):
// FLAC, Ogg Vorbis, Opus, MP4, WAV and AIFF. Their genre is free text (TagInfo::genreText).
bool HasOwnTagKind(AudioFormat format);

// Fills tag (fields cut to their character limits, genre -1 when none) and, when info is given,
// info->title and info->artist (cut to kInfoTextChars; other fields untouched). Fields without a
// tag value are left empty. Returns true when the file has an ID3v2 or ID3v1 tag. Reads the file
// at path; blocks on file I/O only.
bool ReadTag(const std::string& path, TagInfo& tag, InputInfo* info = nullptr);

// True when the ID3v2 tag at the start of the file (if any) is small enough in frames and bytes
// for TagLib to build in memory. Reads only frame headers.
bool Id3v2FitsTagLib(const std::string& path);

// ReadTag with the legacy 8-bit text (ID3v2 frames marked Latin-1, ID3v1) read in encoding
// (Automatic: as ReadTag reads it). used, when given, receives the encoding the first such
// field that is not plain ASCII was read in (Automatic when there is none).
bool ReadTagAs(const std::string& path, TagInfo& tag, LegacyEncoding encoding,
               LegacyEncoding* used = nullptr);
