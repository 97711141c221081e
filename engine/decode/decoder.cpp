// The factory, the content sniffing and the conversions between the two sample widths.
#include "decoder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/io/plainfile.h"
#include "mp4decoder.h"
#include "mpegdecoder.h"
#include "oggdecoder.h"
#include "sndfiledecoder.h"

namespace {
// Reads size bytes at offset; fewer when the file is shorter.
size_t ReadAt(std::FILE* file, long offset, unsigned char* out, size_t size)
{
    if (std::fseek(file, offset, SEEK_SET) != 0)
        return 0;
    return std::fread(out, 1, size, file);
}

// The offset of the audio after any ID3v2 tags at the start (a FLAC or AAC file may carry one).
long SkipId3v2(std::FILE* file)
{
    long offset = 0;
    unsigned char head[10];
    for (int tags = 0; tags < 4 && ReadAt(file, offset, head, 10) == 10; ++tags) {
        if (std::memcmp(head, "ID3", 3) != 0 || ((head[6] | head[7] | head[8] | head[9]) & 0x80))
            break;
        long size = (long{head[6]} << 21) | (long{head[7]} << 14) | (long{head[8]} << 7) | head[9];
        offset += 10 + size + ((head[5] & 0x10) ? 10 : 0);
    }
    return offset;
}

AudioFormat SniffOgg(std::FILE* file, long offset)
{
    // The first page holds the first packet alone: its segment table, then the codec's header.
    unsigned char page[27 + 255 + 8];
    size_t got = ReadAt(file, offset, page, sizeof page);
    if (got < 27)
        return AudioFormat::Unknown;
    const size_t packet = 27 + size_t{page[26]};
    if (got < packet + 8)
        return AudioFormat::Unknown;
    const unsigned char* p = page + packet;
    if (std::memcmp(p, "\x01vorbis", 7) == 0)
        return AudioFormat::Vorbis;
    if (std::memcmp(p, "OpusHead", 8) == 0)
        return AudioFormat::Opus;
    return AudioFormat::Unknown;
}
} // namespace

AudioFormat SniffAudioFormat(const std::string& path)
{
    if (!IsPlainFile(path))
        return AudioFormat::Unknown;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return AudioFormat::Unknown;
    AudioFormat format = AudioFormat::Unknown;
    unsigned char head[12] = {};
    const long offset = SkipId3v2(file);
    const size_t got = ReadAt(file, offset, head, sizeof head);
    auto is = [&](size_t at, const char* text) {
        const size_t size = std::strlen(text);
        return got >= at + size && std::memcmp(head + at, text, size) == 0;
    };
    if (is(0, "fLaC"))
        format = AudioFormat::Flac;
    else if (is(0, "OggS"))
        format = SniffOgg(file, offset);
    else if ((is(0, "RIFF") || is(0, "RF64")) && is(8, "WAVE"))
        format = AudioFormat::Wav;
    else if (is(0, "FORM") && (is(8, "AIFF") || is(8, "AIFC")))
        format = AudioFormat::Aiff;
    else if (is(4, "ftyp"))
        format = AudioFormat::Mp4;
    else if (got >= 2 && head[0] == 0xFF && (head[1] & 0xF6) == 0xF0) // ADTS: layer bits 00
        format = AudioFormat::Aac;
    else if (got > 0 || offset > 0)
        format = AudioFormat::Mpeg;
    std::fclose(file);
    return format;
}

const char* AudioFormatName(AudioFormat format)
{
    switch (format) {
    case AudioFormat::Mpeg:
        return "MP3";
    case AudioFormat::Flac:
        return "FLAC";
    case AudioFormat::Vorbis:
        return "Ogg Vorbis";
    case AudioFormat::Opus:
        return "Opus";
    case AudioFormat::Mp4:
        return "MP4";
    case AudioFormat::Aac:
        return "AAC";
    case AudioFormat::Wav:
        return "WAV";
    case AudioFormat::Aiff:
        return "AIFF";
    case AudioFormat::Unknown:
        break;
    }
    return "";
}

std::unique_ptr<Decoder> OpenDecoder(const std::string& path, bool scanLength, std::string* error)
{
    std::unique_ptr<Decoder> decoder;
    switch (SniffAudioFormat(path)) {
    case AudioFormat::Mpeg:
        decoder = std::make_unique<MpegDecoder>();
        break;
    case AudioFormat::Flac:
    case AudioFormat::Wav:
    case AudioFormat::Aiff:
        decoder = std::make_unique<SndfileDecoder>();
        break;
    case AudioFormat::Vorbis:
        decoder = std::make_unique<VorbisDecoder>();
        break;
    case AudioFormat::Opus:
        decoder = std::make_unique<OpusDecoder>();
        break;
    case AudioFormat::Mp4:
    case AudioFormat::Aac:
        decoder = std::make_unique<Mp4Decoder>();
        break;
    case AudioFormat::Unknown:
        if (error)
            *error = IsPlainFile(path) ? "no audio in " + path : "not a regular file: " + path;
        return nullptr;
    }
    if (!decoder->open(path, scanLength, error))
        return nullptr;
    return decoder;
}

void Decoder::clearFormat()
{
    m_codec.clear();
    m_sampleRate = m_channels = m_bitRateKbps = 0;
    m_bits = 16;
    m_samplesPerFrame = 1152;
    m_lengthFrames = m_positionFrames = 0;
}

bool Decoder::fail(std::string* error, const std::string& why)
{
    if (error)
        *error = why;
    close();
    return false;
}

int64_t Decoder::clampFrame(int64_t frame) const
{
    frame = std::max<int64_t>(0, frame);
    return m_lengthFrames > 0 ? std::min(frame, m_lengthFrames) : frame;
}

void Decoder::setAverageBitRate(int64_t bytes, int64_t ceilingKbps)
{
    if (m_lengthFrames <= 0 || bytes <= 0 || m_sampleRate <= 0 || ceilingKbps <= 0)
        return;
    const double kbps = static_cast<double>(bytes) * 8 * m_sampleRate / m_lengthFrames / 1000;
    m_bitRateKbps =
        static_cast<int>(std::llround(std::min(kbps, static_cast<double>(ceilingKbps))));
}

int Decoder::read(int16_t* out, int maxFrames)
{
    if (maxFrames <= 0 || m_channels <= 0)
        return 0;
    // Through readWide in blocks; deeper samples get triangular dither of one 16-bit step.
    constexpr int kBlock = 1024;
    std::vector<int32_t> wide(static_cast<size_t>(kBlock) * m_channels);
    const int shift = std::max(0, m_bits - 16);
    const int64_t half = shift > 0 ? int64_t{1} << (shift - 1) : 0;
    const uint64_t mask = (uint64_t{1} << shift) - 1;
    int done = 0;
    while (done < maxFrames) {
        const int64_t first = m_positionFrames;
        const int got = readWide(wide.data(), std::min(kBlock, maxFrames - done));
        int16_t* dest = out + static_cast<size_t>(done) * m_channels;
        for (size_t i = 0; i < static_cast<size_t>(got) * m_channels; ++i) {
            int64_t v = wide[i];
            if (shift > 0) {
                // The noise of a sample depends on its place in the track alone, so a decode
                // gives the same samples however it is read, seeked or reopened.
                uint64_t h = static_cast<uint64_t>(first * m_channels) + i + 0x9E3779B97F4A7C15u;
                h = (h ^ (h >> 30)) * 0xBF58476D1CE4E5B9u;
                h = (h ^ (h >> 27)) * 0x94D049BB133111EBu;
                h ^= h >> 31;
                // Two uniform values in [0, 2^shift) make noise from -2^shift to 2^shift.
                const int64_t noise =
                    static_cast<int64_t>(h & mask) - static_cast<int64_t>((h >> 32) & mask);
                v = (v + noise + half) >> shift;
            }
            dest[i] = static_cast<int16_t>(std::clamp<int64_t>(v, -32768, 32767));
        }
        done += got;
        if (got == 0)
            break;
    }
    return done;
}

int Decoder::readWide(int32_t* out, int maxFrames)
{
    // 16-bit samples widened in place from the back of the block.
    auto* narrow = reinterpret_cast<int16_t*>(out);
    const int got = read(narrow, maxFrames);
    for (size_t i = static_cast<size_t>(got) * m_channels; i-- > 0;)
        out[i] = narrow[i];
    return got;
}
