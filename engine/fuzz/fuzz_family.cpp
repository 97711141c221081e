// libFuzzer target for one decoder family (FUZZ_DECODER, set per executable): open arbitrary
// bytes with that family's decoder directly (no content check in front), decode them whole at
// both widths, seek into the middle and past the end.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <unistd.h>

#include "decode/mp4decoder.h"
#include "decode/oggdecoder.h"
#include "decode/sndfiledecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = "/tmp/morvane-fuzz-family-" + std::to_string(getpid());
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    FUZZ_DECODER decoder;
    if (!decoder.open(path, true))
        return 0;
    std::vector<int16_t> narrow(4096 * 2);
    std::vector<int32_t> wide(4096 * 2);
    int64_t total = 0;
    for (bool seeked = false;;) {
        const int got =
            total % 2 ? decoder.readWide(wide.data(), 4096) : decoder.read(narrow.data(), 4096);
        if (got <= 0 || total > 50'000'000)
            break;
        total += got;
        if (!seeked && total >= 4096 * 3) {
            seeked = true;
            decoder.seek(decoder.lengthFrames() / 2);
        }
    }
    decoder.seek(decoder.lengthFrames() + 1000);
    decoder.read(narrow.data(), 4096);
    return 0;
}
