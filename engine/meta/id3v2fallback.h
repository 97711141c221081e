// A lenient reader for the text frames of an ID3v2 tag that TagLib gives up on (for example a
// frame with a non-standard ID such as "Date" ahead of the title, where TagLib stops).
#pragma once

#include <string>

#include "engine/records.h"

// Fills title, artist, album, year, comment and genre text found in the ID3v2 tag at the start
// of the file at path (fields cut by the caller; genre left alone). Frames with unknown IDs are
// skipped by their size; compressed or encrypted frames are skipped. Reads at most the declared
// tag size and never past the end of the file. Returns false when there is no ID3v2 tag.
bool ReadId3v2Leniently(const std::string& path, TagInfo& tag);
