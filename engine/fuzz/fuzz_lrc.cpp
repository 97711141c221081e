// libFuzzer target: parse arbitrary bytes as an LRC file and look lines up.
#include <cstdint>
#include <string_view>

#include "lyrics/lyrics.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Lyrics lyrics;
    if (lyrics.parse(std::string_view(reinterpret_cast<const char*>(data), size))) {
        LyricsRecord record;
        for (int64_t ms : {-1000L, 0L, 1000L, 60000L, 6000000L})
            lyrics.lookup(ms, record);
    }
    return 0;
}
