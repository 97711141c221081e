// Lenient ID3v2 text-frame walker used when TagLib stops early on a damaged tag.
#include "id3v2fallback.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "textcodec.h"

namespace {

// Generous for text frames; a larger tag is read only this far (pictures come last anyway).
constexpr size_t kMaxTagBytes = 1 << 20;

size_t syncSafe(const unsigned char* p)
{
    return size_t(p[0] & 0x7F) << 21 | size_t(p[1] & 0x7F) << 14 | size_t(p[2] & 0x7F) << 7 |
           size_t(p[3] & 0x7F);
}

size_t bigEndian(const unsigned char* p, int bytes)
{
    size_t value = 0;
    for (int k = 0; k < bytes; ++k)
        value = value << 8 | p[k];
    return value;
}

std::vector<unsigned char> removeUnsynchronisation(const unsigned char* p, size_t size)
{
    std::vector<unsigned char> out;
    out.reserve(size);
    for (size_t i = 0; i < size; ++i) {
        out.push_back(p[i]);
        if (p[i] == 0xFF && i + 1 < size && p[i + 1] == 0x00)
            ++i;
    }
    return out;
}

// Text of an encoded string up to its terminator; sets used to the bytes consumed.
std::string decodeString(int encoding, const unsigned char* p, size_t size, size_t& used)
{
    const bool wide = encoding == 1 || encoding == 2;
    size_t end = 0;
    if (wide) {
        while (end + 1 < size && !(p[end] == 0 && p[end + 1] == 0))
            end += 2;
        used = std::min(size, end + 2);
        end = std::min(end, size & ~size_t(1));
    } else {
        while (end < size && p[end] != 0)
            ++end;
        used = std::min(size, end + 1);
    }
    std::string_view bytes(reinterpret_cast<const char*>(p), end);
    switch (encoding) {
    case 0:
        return DecodeLegacyText(bytes);
    case 1: {
        bool bigEndianText = false;
        if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFE &&
            static_cast<unsigned char>(bytes[1]) == 0xFF) {
            bigEndianText = true;
            bytes.remove_prefix(2);
        } else if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
                   static_cast<unsigned char>(bytes[1]) == 0xFE) {
            bytes.remove_prefix(2);
        }
        return Utf16ToUtf8(bytes, bigEndianText);
    }
    case 2:
        return Utf16ToUtf8(bytes, true);
    default:
        return IsValidUtf8(bytes) ? std::string(bytes) : Latin1ToUtf8(bytes);
    }
}

void takeFrame(const std::string& id, const unsigned char* p, size_t size, TagInfo& tag)
{
    if (size < 2)
        return;
    const int encoding = p[0];
    if (encoding > 3)
        return;
    std::string* field = nullptr;
    if (id == "TIT2" || id == "TT2")
        field = &tag.title;
    else if (id == "TPE1" || id == "TP1")
        field = &tag.artist;
    else if (id == "TALB" || id == "TAL")
        field = &tag.album;
    else if (id == "TYER" || id == "TYE" || id == "TDRC")
        field = &tag.year;
    else if (id == "COMM" || id == "COM")
        field = &tag.comment;
    if (!field || !field->empty())
        return;
    size_t used = 0;
    if (id == "COMM" || id == "COM") {
        if (size < 4)
            return;
        // Language (3 bytes), then a description: only the plain comment counts.
        std::string description = decodeString(encoding, p + 4, size - 4, used);
        if (!description.empty())
            return;
        *field = decodeString(encoding, p + 4 + used, size - 4 - used, used);
        return;
    }
    *field = decodeString(encoding, p + 1, size - 1, used);
}

} // namespace

bool ReadId3v2Leniently(const std::string& path, TagInfo& tag)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    unsigned char header[10] = {};
    if (std::fread(header, 1, sizeof header, file) != sizeof header ||
        std::memcmp(header, "ID3", 3) != 0 || header[3] < 2 || header[3] > 4) {
        std::fclose(file);
        return false;
    }
    const int major = header[3];
    const size_t declared = std::min(syncSafe(header + 6), kMaxTagBytes);
    std::vector<unsigned char> raw(declared);
    raw.resize(std::fread(raw.data(), 1, raw.size(), file));
    std::fclose(file);

    std::vector<unsigned char> body =
        (header[5] & 0x80) && major < 4 ? removeUnsynchronisation(raw.data(), raw.size()) : raw;
    size_t pos = 0;
    if ((header[5] & 0x40) && major >= 3 && body.size() >= 4) {
        // Extended header: v2.3 gives its size without these 4 bytes, v2.4 with them.
        pos = major == 3 ? 4 + bigEndian(body.data(), 4) : syncSafe(body.data());
    }
    const size_t idBytes = major == 2 ? 3 : 4;
    const size_t headerBytes = major == 2 ? 6 : 10;
    while (pos + headerBytes <= body.size()) {
        const unsigned char* frame = body.data() + pos;
        if (frame[0] == 0)
            break; // padding
        const std::string id(reinterpret_cast<const char*>(frame), idBytes);
        size_t size = major == 2   ? bigEndian(frame + 3, 3)
                      : major == 3 ? bigEndian(frame + 4, 4)
                                   : syncSafe(frame + 4);
        const size_t available = body.size() - pos - headerBytes;
        if (size > available)
            size = available;
        const unsigned char* data = frame + headerBytes;
        const int flags = major == 2 ? 0 : frame[9];
        const bool skipped = major == 3 ? (flags & 0xC0) != 0 : major == 4 && (flags & 0x0C) != 0;
        // Grouping byte and (v2.4) data-length indicator come before the frame's own data.
        size_t extra = 0;
        if ((major == 3 && (flags & 0x20)) || (major == 4 && (flags & 0x40)))
            extra += 1;
        if (major == 4 && (flags & 0x01))
            extra += 4;
        if (!skipped && extra <= size) {
            data += extra;
            size -= extra;
            if (major == 4 && (flags & 0x02)) {
                auto plain = removeUnsynchronisation(data, size);
                takeFrame(id, plain.data(), plain.size(), tag);
            } else {
                takeFrame(id, data, size, tag);
            }
            size += extra;
        }
        pos += headerBytes + size;
    }
    return true;
}
