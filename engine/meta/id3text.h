// The encoding of the ID3v2 text frames the program writes.
#pragma once

#include <string>

#include <taglib/tstring.h>

// Non-ASCII text goes out as UTF-16 even when Latin-1 could hold it: Latin-1 frames are read
// back with Shift-JIS detection, which some Latin-1 text (such as "±²") would not survive.
inline TagLib::String::Type Id3EncodingFor(const std::string& utf8)
{
    for (char c : utf8) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return TagLib::String::UTF16;
    }
    return TagLib::String::Latin1;
}
