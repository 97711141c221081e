// Xing/Info and VBRI header detection in the first frame of an MPEG audio file.
#include "vbrheader.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// Junk before the first frame is tolerated up to this many bytes (as libmpg123's default).
constexpr size_t kSearchBytes = 4096;
constexpr size_t kFrameBytes = 2048; // more than the largest frame's first 64 bytes need

uint32_t bigEndian32(const unsigned char* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// Bytes of the ID3v2 tag at the start of file (header and footer included), 0 when none.
long id3v2Bytes(FILE* file)
{
    unsigned char id3[10] = {};
    if (std::fseek(file, 0, SEEK_SET) != 0 || std::fread(id3, 1, sizeof id3, file) != sizeof id3 ||
        std::memcmp(id3, "ID3", 3) != 0)
        return 0;
    long bytes = 10 + (long(id3[6] & 0x7F) << 21 | long(id3[7] & 0x7F) << 14 |
                       long(id3[8] & 0x7F) << 7 | long(id3[9] & 0x7F));
    if (id3[5] & 0x10)
        bytes += 10; // footer
    return bytes;
}

// The file's size less its ID3v2 tag and ID3v1 block.
long long audioBytesOf(FILE* file, long id3v2)
{
    if (std::fseek(file, 0, SEEK_END) != 0)
        return -1;
    long long size = std::ftell(file);
    char tag[3] = {};
    if (size >= 128 + id3v2 && std::fseek(file, -128, SEEK_END) == 0 &&
        std::fread(tag, 1, 3, file) == 3 && std::memcmp(tag, "TAG", 3) == 0)
        size -= 128;
    return std::max<long long>(0, size - id3v2);
}

struct FrameHeader {
    int version = 0; // 1 MPEG-1, 2 MPEG-2, 3 MPEG-2.5
    int layer = 0;
    bool mono = false;
    int sampleRate = 0;
    int length = 0; // bytes, 0 for free format
};

bool parseHeader(const unsigned char* p, FrameHeader& h)
{
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0)
        return false;
    const int versionBits = (p[1] >> 3) & 3;
    const int layerBits = (p[1] >> 1) & 3;
    const int bitrateIndex = p[2] >> 4;
    const int rateIndex = (p[2] >> 2) & 3;
    if (versionBits == 1 || layerBits == 0 || bitrateIndex == 15 || rateIndex == 3)
        return false;
    h.version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 3;
    h.layer = 4 - layerBits;
    h.mono = (p[3] >> 6) == 3;
    static const int kRates[3] = {44100, 48000, 32000};
    h.sampleRate = kRates[rateIndex] / (h.version == 1 ? 1 : h.version == 2 ? 2 : 4);
    static const int kBitrates[2][3][15] = {
        {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
         {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
         {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
        {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}}};
    const int kbps = kBitrates[h.version == 1 ? 0 : 1][h.layer - 1][bitrateIndex];
    const int padding = (p[2] >> 1) & 1;
    if (kbps == 0)
        h.length = 0;
    else if (h.layer == 1)
        h.length = (12000 * kbps / h.sampleRate + padding) * 4;
    else if (h.layer == 3 && h.version != 1)
        h.length = 72000 * kbps / h.sampleRate + padding;
    else
        h.length = 144000 * kbps / h.sampleRate + padding;
    return true;
}

} // namespace

VbrHeader FindVbrHeader(const std::string& path)
{
    VbrHeader result;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return result;
    const long start = id3v2Bytes(file);
    result.audioBytes = audioBytesOf(file, start);
    std::vector<unsigned char> data(kSearchBytes + kFrameBytes);
    size_t got = 0;
    if (std::fseek(file, start, SEEK_SET) == 0)
        got = std::fread(data.data(), 1, data.size(), file);
    std::fclose(file);

    for (size_t pos = 0; pos < kSearchBytes && pos + 4 <= got; ++pos) {
        FrameHeader h;
        if (!parseHeader(&data[pos], h))
            continue;
        result.sampleRate = h.sampleRate;
        result.samplesPerFrame = h.layer == 1 ? 384 : h.layer == 3 && h.version != 1 ? 576 : 1152;
        const size_t xingOffset = pos + (h.version == 1 ? (h.mono ? 21 : 36) : (h.mono ? 13 : 21));
        if (h.layer == 3 && xingOffset + 12 <= got &&
            (std::memcmp(&data[xingOffset], "Xing", 4) == 0 ||
             std::memcmp(&data[xingOffset], "Info", 4) == 0)) {
            result.kind = VbrHeader::Kind::Xing;
            const unsigned char flags = data[xingOffset + 7];
            if (flags & 1)
                result.frames = bigEndian32(&data[xingOffset + 8]);
            const size_t bytesAt = xingOffset + ((flags & 1) ? 12 : 8);
            if ((flags & 2) && bytesAt + 4 <= got)
                result.headerBytes = bigEndian32(&data[bytesAt]);
            // The encoder's extension follows the fields the flags announce.
            const size_t lameAt =
                bytesAt + ((flags & 2) ? 4 : 0) + ((flags & 4) ? 100 : 0) + ((flags & 8) ? 4 : 0);
            if (lameAt + 19 <= got && (std::memcmp(&data[lameAt], "LAME", 4) == 0 ||
                                       std::memcmp(&data[lameAt], "Lavc", 4) == 0)) {
                result.lame = true;
                result.lamePeak = bigEndian32(&data[lameAt + 11]);
                result.lameTrackGain = unsigned(data[lameAt + 15]) << 8 | data[lameAt + 16];
                result.lameAlbumGain = unsigned(data[lameAt + 17]) << 8 | data[lameAt + 18];
            }
            return result;
        }
        if (pos + 36 + 18 <= got && std::memcmp(&data[pos + 36], "VBRI", 4) == 0) {
            result.kind = VbrHeader::Kind::Vbri;
            result.headerBytes = bigEndian32(&data[pos + 36 + 10]);
            result.frames = bigEndian32(&data[pos + 36 + 14]);
            return result;
        }
        // A real first frame is followed by another of the same kind; a false sync rarely is.
        FrameHeader next;
        if (h.length > 0 && pos + h.length + 4 <= got && parseHeader(&data[pos + h.length], next) &&
            next.version == h.version && next.layer == h.layer && next.sampleRate == h.sampleRate)
            return result; // a plain first frame: no header
    }
    return result;
}

bool VbrFramesAgree(const VbrHeader& header)
{
    if (header.frames <= 0 || header.sampleRate <= 0 || header.samplesPerFrame <= 0)
        return false;
    const double seconds =
        static_cast<double>(header.frames) * header.samplesPerFrame / header.sampleRate;
    // MPEG audio runs from 8 kbit/s (MPEG-2.5) to 448 (layer I); a little room for rounding.
    auto plausible = [&](long long bytes) {
        const double kbps = static_cast<double>(bytes) * 8 / seconds / 1000;
        return bytes > 0 && kbps >= 6 && kbps <= 460;
    };
    if (plausible(header.audioBytes))
        return true;
    return header.headerBytes > header.audioBytes && plausible(header.headerBytes);
}

long long AudioBytes(const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return -1;
    const long long bytes = audioBytesOf(file, id3v2Bytes(file));
    std::fclose(file);
    return bytes;
}
