// libsndfile reader for the lossless families.
#include "sndfiledecoder.h"

#include <algorithm>
#include <cmath>

#include <sndfile.h>

#include "engine/io/plainfile.h"

namespace {
constexpr int kMaxRate = 768000;
constexpr int kMaxChannels = 32;
constexpr int kBlockFrames = 4096;

// Keeps the first two of fileChannels interleaved channels, in place.
template <typename Sample> void KeepFrontPair(Sample* samples, int frames, int fileChannels)
{
    for (int i = 0; i < frames; ++i) {
        samples[2 * i] = samples[static_cast<size_t>(i) * fileChannels];
        samples[2 * i + 1] = samples[static_cast<size_t>(i) * fileChannels + 1];
    }
}
} // namespace

SndfileDecoder::~SndfileDecoder()
{
    close();
}

void SndfileDecoder::close()
{
    if (m_file)
        sf_close(m_file);
    m_file = nullptr;
    m_fileChannels = 0;
    clearFormat();
}

bool SndfileDecoder::open(const std::string& path, bool, std::string* error)
{
    close();
    if (!IsPlainFile(path))
        return fail(error, "not a regular file: " + path);
    SF_INFO info{};
    m_file = sf_open(path.c_str(), SFM_READ, &info);
    if (!m_file)
        return fail(error, "no audio in " + path + " (" + sf_strerror(nullptr) + ")");
    if (info.samplerate <= 0 || info.samplerate > kMaxRate || info.channels < 1 ||
        info.channels > kMaxChannels || info.frames < 0)
        return fail(error, "unsupported audio format in " + path);
    const int major = info.format & SF_FORMAT_TYPEMASK;
    const int minor = info.format & SF_FORMAT_SUBMASK;
    switch (major) {
    case SF_FORMAT_FLAC:
        m_format = AudioFormat::Flac;
        break;
    case SF_FORMAT_AIFF:
        m_format = AudioFormat::Aiff;
        break;
    case SF_FORMAT_WAV:
    case SF_FORMAT_WAVEX:
    case SF_FORMAT_RF64:
        m_format = AudioFormat::Wav;
        break;
    default:
        return fail(error, "no audio in " + path);
    }
    switch (minor) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_PCM_16:
        m_bits = 16;
        break;
    case SF_FORMAT_PCM_24:
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT:
    case SF_FORMAT_DOUBLE:
        m_bits = 24;
        break;
    default:
        // Compressed WAV kinds (ADPCM, GSM, ...) are read as 16-bit.
        m_bits = 16;
    }
    m_codec = m_format == AudioFormat::Flac ? "FLAC" : "PCM";
    m_fileChannels = info.channels;
    m_channels = std::min(info.channels, 2);
    m_sampleRate = info.samplerate;
    m_samplesPerFrame = kBlockFrames;
    m_lengthFrames = info.frames;
    // No file of these kinds holds more than its samples uncompressed.
    const int sampleBits = minor == SF_FORMAT_PCM_S8 || minor == SF_FORMAT_PCM_U8  ? 8
                           : minor == SF_FORMAT_DOUBLE                             ? 64
                           : minor == SF_FORMAT_PCM_32 || minor == SF_FORMAT_FLOAT ? 32
                           : minor == SF_FORMAT_PCM_24                             ? 24
                                                                                   : 16;
    setAverageBitRate(PlainFileSize(path),
                      int64_t{m_sampleRate} * m_fileChannels * sampleBits / 1000);
    return true;
}

int SndfileDecoder::read(int16_t* out, int maxFrames)
{
    if (!m_file || maxFrames <= 0)
        return 0;
    if (m_bits > 16)
        return Decoder::read(out, maxFrames); // dithered from the wide samples
    int done = 0;
    if (m_fileChannels == m_channels) {
        done = static_cast<int>(sf_readf_short(m_file, out, maxFrames));
    } else {
        while (done < maxFrames) {
            const int want = std::min(kBlockFrames, maxFrames - done);
            m_narrow.resize(static_cast<size_t>(kBlockFrames) * m_fileChannels);
            const int got = static_cast<int>(sf_readf_short(m_file, m_narrow.data(), want));
            KeepFrontPair(m_narrow.data(), got, m_fileChannels);
            std::copy_n(m_narrow.data(), static_cast<size_t>(got) * 2, out + done * 2);
            done += got;
            if (got < want)
                break;
        }
    }
    done = std::max(done, 0);
    m_positionFrames += done;
    return done;
}

int SndfileDecoder::readWide(int32_t* out, int maxFrames)
{
    if (!m_file || maxFrames <= 0)
        return 0;
    if (m_bits <= 16)
        return Decoder::readWide(out, maxFrames);
    // libsndfile gives every depth left-aligned in 32 bits.
    const int shift = 32 - m_bits;
    int done = 0;
    while (done < maxFrames) {
        const int want = std::min(kBlockFrames, maxFrames - done);
        m_wide.resize(static_cast<size_t>(kBlockFrames) * m_fileChannels);
        const int got = std::max(0, static_cast<int>(sf_readf_int(m_file, m_wide.data(), want)));
        if (m_fileChannels != m_channels)
            KeepFrontPair(m_wide.data(), got, m_fileChannels);
        int32_t* dest = out + static_cast<size_t>(done) * m_channels;
        for (size_t i = 0; i < static_cast<size_t>(got) * m_channels; ++i)
            dest[i] = m_wide[i] >> shift;
        done += got;
        if (got < want)
            break;
    }
    m_positionFrames += done;
    return done;
}

int64_t SndfileDecoder::seek(int64_t frame)
{
    if (!m_file)
        return 0;
    frame = clampFrame(frame);
    const sf_count_t got = sf_seek(m_file, frame, SEEK_SET);
    if (got >= 0)
        m_positionFrames = got;
    return m_positionFrames;
}
