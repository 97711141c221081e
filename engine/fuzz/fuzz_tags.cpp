// libFuzzer target: read ID3 tags from arbitrary bytes.
#include <cstdint>
#include <cstdio>
#include <string>

#include <unistd.h>

#include "meta/tagreader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = "/tmp/morvane-fuzz-tags-" + std::to_string(getpid()) + ".mp3";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    TagInfo tag;
    InputInfo info;
    ReadTag(path, tag, &info);
    return 0;
}
