// The 128-byte ID3v1 block at the end of a file, parsed by hand so that every field's raw bytes
// are available for Shift-JIS detection.
#pragma once

#include <cstdint>
#include <string>

struct Id3v1Block {
    // Raw field bytes, cut at the first NUL and without trailing blanks.
    std::string title;
    std::string artist;
    std::string album;
    std::string year;
    std::string comment;
    int track = 0;   // ID3v1.1 track number, 0 = none
    int genre = 255; // 255 = none
};

// Reads the last 128 bytes of the file at path; false when they do not start with "TAG".
// Any thread; blocks on file I/O.
bool ReadId3v1Block(const std::string& path, Id3v1Block& block);
// Parses a 128-byte block in memory; false when it is not an ID3v1 block.
bool ParseId3v1Block(const unsigned char* data, size_t size, Id3v1Block& block);
