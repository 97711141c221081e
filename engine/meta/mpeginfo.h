// MPEG audio stream information of a file, read with its own libmpg123 handle.
#pragma once

#include <string>

#include "engine/records.h"

// Fills info from the first valid MPEG audio frame, the frame count from the Xing/Info header or
// a full scan, the length in milliseconds (gapless) and the file size in bytes. Returns false and
// leaves info zeroed when the file holds no valid MPEG audio (missing, empty, not MP3, garbage).
// Safe on any thread; blocks on file I/O (a scan reads the whole file, about 0.4 ms per 10 s).
bool ReadMpegInfo(const std::string& path, MpegInfo& info);
