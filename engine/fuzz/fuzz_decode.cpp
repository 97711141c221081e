// libFuzzer target: open and decode arbitrary bytes as an MP3 file, and read its stream info.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <unistd.h>

#include "decode/decoder.h"
#include "meta/mpeginfo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = "/tmp/morvane-fuzz-decode-" + std::to_string(getpid()) + ".mp3";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    TrackDecoder decoder;
    if (decoder.open(path, true)) {
        std::vector<int16_t> block(4096 * 2);
        int64_t total = 0;
        while (int got = decoder.read(block.data(), 4096)) {
            total += got;
            if (total == 4096 * 3)
                decoder.seek(decoder.lengthFrames() / 2);
            if (total > 50'000'000)
                break;
        }
    }
    MpegInfo info;
    ReadMpegInfo(path, info);
    return 0;
}
