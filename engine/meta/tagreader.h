// Reads a file's ID3 tags (ID3v2.2/2.3/2.4 preferred, ID3v1 for what v2 lacks) into TagInfo.
//
// Safe on any thread (TagLib objects are local to each call); never throws.
#pragma once

#include <string>

#include "engine/records.h"

// Fills tag (fields cut to their character limits, genre -1 when none) and, when info is given,
// info->title and info->artist (cut to kInfoTextChars; other fields untouched). Fields without a
// tag value are left empty. Returns true when the file has an ID3v2 or ID3v1 tag. Reads the file
// at path; blocks on file I/O only.
bool ReadTag(const std::string& path, TagInfo& tag, InputInfo* info = nullptr);
