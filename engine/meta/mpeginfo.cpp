// MPEG stream information with libmpg123: header fields of the first audio frame, frame count
// and length from a scan of every frame.
#include "mpeginfo.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include <mpg123.h>

#include "engine/io/plainfile.h"
#include "vbrheader.h"

namespace {

int32_t clampToInt32(long long value)
{
    return static_cast<int32_t>(std::clamp<long long>(value, 0, INT32_MAX));
}

struct HandleCloser {
    mpg123_handle* handle;
    ~HandleCloser()
    {
        mpg123_close(handle);
        mpg123_delete(handle);
    }
};

} // namespace

MpegScan ScanMpegStream(const std::string& path)
{
    MpegScan result;
    if (!IsPlainFile(path))
        return result;
    auto scan = [&](bool gapless) {
        mpg123_handle* handle = mpg123_new(nullptr, nullptr);
        if (!handle)
            return false;
        HandleCloser closer{handle};
        mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_SKIP_ID3V2, 0.0);
        if (!gapless)
            mpg123_param(handle, MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0.0);
        if (mpg123_open(handle, path.c_str()) != MPG123_OK || mpg123_scan(handle) != MPG123_OK)
            return false;
        result.frames = std::max<long long>(0, mpg123_framelength(handle));
        result.samples = std::max<long long>(0, mpg123_length(handle));
        return result.frames > 0;
    };
    if (!scan(true)) {
        result = MpegScan{};
        return result;
    }
    const VbrHeader header = FindVbrHeader(path);
    if (header.kind == VbrHeader::Kind::Xing && header.frames > 0 &&
        std::llabs(header.frames - result.frames) > 1) {
        result.gapless = false;
        if (!scan(false))
            result = MpegScan{};
    }
    return result;
}

bool ReadMpegInfo(const std::string& path, MpegInfo& info)
{
    info = MpegInfo{};
    // Only regular files: a FIFO, a device or /proc/kmsg could block or never end.
    const int64_t size = PlainFileSize(path);
    if (size <= 0)
        return false;

    int error = MPG123_OK;
    mpg123_handle* handle = mpg123_new(nullptr, &error);
    if (!handle)
        return false;
    HandleCloser closer{handle};
    // ADD_FLAGS keeps the defaults (gapless trimming) that the decoder also uses.
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_SKIP_ID3V2, 0.0);
    if (mpg123_open(handle, path.c_str()) != MPG123_OK)
        return false;

    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(handle, &rate, &channels, &encoding) != MPG123_OK || rate <= 0)
        return false;
    mpg123_frameinfo frame{};
    if (mpg123_info(handle, &frame) != MPG123_OK)
        return false;

    // The frames are always counted: a Xing/Info or VBRI header may belong to a longer file this
    // one was cut from, or be forged, and the length shown must be the one that plays. A file
    // whose frames decode to no samples (all encoder delay and padding) still has its facts.
    const MpegScan scan = ScanMpegStream(path);
    const long long frames = scan.frames;
    const long long samples = scan.samples;
    if (frames <= 0)
        return false;

    info.version = frame.version == MPG123_1_0 ? 1 : frame.version == MPG123_2_0 ? 2 : 3;
    info.layer = frame.layer;
    info.protection = (frame.flags & MPG123_CRC) ? 0 : 1;
    info.privateBit = (frame.flags & MPG123_PRIVATE) ? 1 : 0;
    info.channelMode = static_cast<int32_t>(frame.mode);
    info.copyright = (frame.flags & MPG123_COPYRIGHT) ? 1 : 0;
    info.original = (frame.flags & MPG123_ORIGINAL) ? 1 : 0;
    info.emphasis = frame.emphasis;
    info.bitRate = frame.bitrate;
    info.sampleRate = static_cast<int32_t>(frame.rate);
    info.modeExtension = frame.mode_ext;
    info.fileSize = clampToInt32(size);
    info.frameCount = clampToInt32(frames);
    info.lengthMs = clampToInt32(samples * 1000 / frame.rate);
    return true;
}
