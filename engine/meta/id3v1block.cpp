// Hand parsing of the ID3v1 (and v1.1) block.
#include "id3v1block.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr size_t kBlockBytes = 128;

std::string field(const unsigned char* data, size_t length)
{
    size_t end = 0;
    while (end < length && data[end] != 0)
        ++end;
    while (end > 0 && (data[end - 1] == ' ' || data[end - 1] == '\t'))
        --end;
    return std::string(reinterpret_cast<const char*>(data), end);
}

} // namespace

bool ParseId3v1Block(const unsigned char* data, size_t size, Id3v1Block& block)
{
    block = Id3v1Block{};
    if (!data || size != kBlockBytes || std::memcmp(data, "TAG", 3) != 0)
        return false;
    block.title = field(data + 3, 30);
    block.artist = field(data + 33, 30);
    block.album = field(data + 63, 30);
    block.year = field(data + 93, 4);
    // ID3v1.1: a zero byte before the last comment byte makes that byte the track number.
    if (data[125] == 0 && data[126] != 0) {
        block.comment = field(data + 97, 28);
        block.track = data[126];
    } else {
        block.comment = field(data + 97, 30);
    }
    block.genre = data[127];
    return true;
}

bool ReadId3v1Block(const std::string& path, Id3v1Block& block)
{
    block = Id3v1Block{};
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    unsigned char data[kBlockBytes];
    bool ok = std::fseek(file, -static_cast<long>(kBlockBytes), SEEK_END) == 0 &&
              std::fread(data, 1, kBlockBytes, file) == kBlockBytes;
    std::fclose(file);
    return ok && ParseId3v1Block(data, kBlockBytes, block);
}
