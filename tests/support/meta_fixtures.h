// Raw ID3 bytes and MP3 files for tag and stream-info tests, built by hand or with sox and lame.
#pragma once

#include <string>
#include <utility>
#include <vector>

std::string ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);

// A 128-byte ID3v1.1 block; fields are raw bytes, cut or NUL-padded to their widths.
std::string MakeId3v1Block(const std::string& title, const std::string& artist,
                           const std::string& album = "", const std::string& year = "",
                           const std::string& comment = "", int track = 0, int genre = 255);

// An ID3v2.<major> tag (2, 3 or 4) holding frames given as (id, raw body); a body starts with
// its text-encoding byte where the frame has one.
std::string MakeId3v2Tag(int major, const std::vector<std::pair<std::string, std::string>>& frames);

// A text frame body: encoding byte 0 (Latin-1) followed by the raw bytes.
std::string Latin1Body(const std::string& bytes);

// sox makes a sine of seconds at rate/channels, lame encodes it with lameOptions (no tag unless
// the options add one). Returns false when the tools fail.
bool MakeMp3(const std::string& path, double seconds, int rate, int channels,
             const std::string& lameOptions);
