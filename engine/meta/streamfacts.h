// The facts of an audio file's stream (codec, bits, rate, channels, bit rate, encoder) as the
// file info window and the tag editor show them, read through TagLib for every format.
//
// Safe on any thread; never throws. Blocks on file I/O only.
#pragma once

#include <string>

struct StreamFacts {
    std::string codec;  // "MPEG-1 Layer 3", "FLAC", "Vorbis", "Opus", "AAC", "ALAC", "PCM"
    int bits = 0;       // bits per sample of a lossless source; 0 for lossy codecs
    int sampleRate = 0; // Hz
    int channels = 0;
    int bitRate = 0; // kbit/s, the average over the whole file
    int lengthMs = 0;
    std::string encoder; // the encoder the tag names, empty when none
};

// The facts of the file at path; false (facts empty) when TagLib cannot read its stream.
bool ReadStreamFacts(const std::string& path, StreamFacts& facts);
