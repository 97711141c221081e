// Finds the Xing/Info or VBRI header in the first MPEG frame of a file, which gives the number
// of frames without a scan (and the only right count for a file cut short).
#pragma once

#include <string>

struct VbrHeader {
    enum class Kind { None, Xing, Vbri };
    Kind kind = Kind::None;
    long long frames = 0; // frames after the header frame; 0 when the header does not say
    int sampleRate = 0;       // of the header's frame
    int samplesPerFrame = 0;  // of the header's frame
    long long audioBytes = 0;  // the file less its ID3v2 tag and ID3v1 block
    long long headerBytes = 0; // the stream's bytes as the header states them; 0 when it does not
    // The LAME extension of a Xing/Info header: the replay gain fields as stored (3 bits name,
    // 3 bits originator, a sign bit, 9 bits of tenths of a dB) and the peak in units of 2^-23.
    bool lame = false;
    unsigned lameTrackGain = 0;
    unsigned lameAlbumGain = 0;
    unsigned long lamePeak = 0;
};

// Looks at the first frame after any ID3v2 tag (a few kilobytes of reading). Any thread.
VbrHeader FindVbrHeader(const std::string& path);

// True when the header's frame count agrees with the file's size: the average bit rate it
// implies lies within what MPEG audio carries. A file cut short (a stopped download) agrees when
// it holds less than the header's own byte count and that count agrees with the frames. A
// damaged or forged count is not to be believed.
bool VbrFramesAgree(const VbrHeader& header);

// The bytes of the file that hold audio: its size less a leading ID3v2 tag and a trailing
// ID3v1 block; -1 when it cannot be read. Any thread.
long long AudioBytes(const std::string& path);
