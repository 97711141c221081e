// MPEG stream information with libmpg123: header fields of the first audio frame, frame count
// and length from the Xing/Info header when present, otherwise from a scan of every frame.
#include "mpeginfo.h"

#include <algorithm>
#include <climits>

#include <sys/stat.h>

#include <mpg123.h>

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

bool ReadMpegInfo(const std::string& path, MpegInfo& info)
{
    info = MpegInfo{};
    struct stat st {};
    // Only regular files: a FIFO or device could block or never end.
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0)
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

    // libmpg123 takes the frame count from a Xing/Info header but otherwise only estimates it
    // from the file size, and it ignores VBRI: count the frames unless a header gives them.
    // A header's count is believed only when it agrees with the file's size.
    const VbrHeader header = FindVbrHeader(path);
    const bool believed = VbrFramesAgree(header);
    if ((header.kind != VbrHeader::Kind::Xing || !believed) && mpg123_scan(handle) != MPG123_OK)
        return false;
    long long frames = mpg123_framelength(handle);
    long long samples = mpg123_length(handle);
    if (header.kind == VbrHeader::Kind::Vbri && believed) {
        const long long samplesPerFrame = frame.layer == 1                                  ? 384
                                          : frame.layer == 3 && frame.version != MPG123_1_0 ? 576
                                                                                            : 1152;
        frames = header.frames;
        samples = header.frames * samplesPerFrame;
    }
    if (frames <= 0 || samples <= 0)
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
    info.fileSize = clampToInt32(st.st_size);
    info.frameCount = clampToInt32(frames);
    info.lengthMs = clampToInt32(samples * 1000 / frame.rate);
    return true;
}
