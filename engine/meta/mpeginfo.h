// MPEG audio stream information of a file, read with its own libmpg123 handle.
#pragma once

#include <string>

#include "engine/records.h"

// Fills info from the first valid MPEG audio frame, the frame count from a full scan (a header's
// claim is not taken), the length in milliseconds (gapless) and the file size in bytes. Returns
// false and leaves info zeroed when the file holds no valid MPEG audio (missing, empty, not MP3,
// garbage). Safe on any thread; blocks on file I/O (a scan reads the whole file, about 0.4 ms per
// 10 s).
bool ReadMpegInfo(const std::string& path, MpegInfo& info);

// The stream as decoding gives it, from a full scan on a handle of its own.
struct MpegScan {
    long long frames = 0;   // MPEG frames found (a Xing/Info frame not counted)
    long long samples = -1; // PCM frames a decode gives; -1 when the file holds no MPEG audio
    bool gapless = true;    // the encoder's delay and padding are trimmed
};
// An Xing/Info header whose frame count disagrees with the frames found by more than one (a file
// cut short, joined or forged) is ignored, its delay and padding too: then gapless is false,
// and a decode of the file must be opened without gapless trimming to give samples.
MpegScan ScanMpegStream(const std::string& path);
