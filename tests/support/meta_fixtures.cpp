// Raw ID3 bytes and MP3 fixtures for the engine's tag and stream-info tests.
#include "meta_fixtures.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "fixtures.h"

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool WriteFileBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return static_cast<bool>(out);
}

namespace {

std::string fixed(const std::string& bytes, size_t width)
{
    std::string out = bytes.substr(0, width);
    out.resize(width, '\0');
    return out;
}

std::string bigEndian(size_t value, int bytes, bool syncSafe)
{
    std::string out(static_cast<size_t>(bytes), '\0');
    const int bitsPerByte = syncSafe ? 7 : 8;
    for (int k = bytes - 1; k >= 0; --k) {
        out[static_cast<size_t>(k)] = static_cast<char>(value & ((1u << bitsPerByte) - 1));
        value >>= bitsPerByte;
    }
    return out;
}

} // namespace

std::string MakeId3v1Block(const std::string& title, const std::string& artist,
                           const std::string& album, const std::string& year,
                           const std::string& comment, int track, int genre)
{
    std::string block =
        "TAG" + fixed(title, 30) + fixed(artist, 30) + fixed(album, 30) + fixed(year, 4);
    if (track > 0)
        block += fixed(comment, 28) + '\0' + static_cast<char>(track);
    else
        block += fixed(comment, 30);
    block += static_cast<char>(genre);
    return block;
}

std::string MakeId3v2Tag(int major, const std::vector<std::pair<std::string, std::string>>& frames)
{
    std::string body;
    for (const auto& [id, payload] : frames) {
        if (major == 2)
            body += id.substr(0, 3) + bigEndian(payload.size(), 3, false);
        else
            body +=
                id.substr(0, 4) + bigEndian(payload.size(), 4, major == 4) + std::string(2, '\0');
        body += payload;
    }
    return std::string("ID3") + static_cast<char>(major) + '\0' + '\0' +
           bigEndian(body.size(), 4, true) + body;
}

std::string Latin1Body(const std::string& bytes)
{
    return std::string(1, '\0') + bytes;
}

bool MakeMp3(const std::string& path, double seconds, int rate, int channels,
             const std::string& lameOptions)
{
    std::ostringstream cmd;
    cmd << "sox -n -r " << rate << " -c " << channels << " -b 16 -t wav - synth " << seconds
        << " sine 440 vol 0.5 2>/dev/null | lame --quiet " << lameOptions << " - '" << path
        << "' 2>&1";
    return RunCommand(cmd.str()) == 0 && std::filesystem::exists(path);
}
