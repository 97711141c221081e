// libvorbisfile and libopusfile readers.
#include "oggdecoder.h"

#include <algorithm>
#include <cmath>

#include <opus/opusfile.h> // not <opusfile.h>: TagLib has a header of that name
#include <vorbis/vorbisfile.h>

#include "engine/io/plainfile.h"

namespace {
// Consecutive damaged stretches (holes, bad packets) tolerated before a stream is taken as ended.
constexpr int kMaxDecodeErrors = 8;
} // namespace

struct VorbisDecoder::File {
    OggVorbis_File vf{};
};

VorbisDecoder::VorbisDecoder() : m_file(std::make_unique<File>()) {}

VorbisDecoder::~VorbisDecoder()
{
    close();
}

void VorbisDecoder::close()
{
    if (m_open)
        ov_clear(&m_file->vf);
    m_open = false;
    m_ended = false;
    clearFormat();
}

bool VorbisDecoder::open(const std::string& path, bool, std::string* error)
{
    close();
    if (!IsPlainFile(path))
        return fail(error, "not a regular file: " + path);
    if (ov_fopen(path.c_str(), &m_file->vf) != 0)
        return fail(error, "no Ogg Vorbis audio in " + path);
    m_open = true;
    const vorbis_info* info = ov_info(&m_file->vf, -1);
    // The channel order of three and more (left, centre, right...) has no stereo pair to keep.
    if (!info || info->rate <= 0 || info->channels < 1 || info->channels > 2) {
        return fail(error, "unsupported Ogg Vorbis stream in " + path);
    }
    m_format = AudioFormat::Vorbis;
    m_codec = "Vorbis";
    m_sampleRate = static_cast<int>(info->rate);
    m_channels = info->channels;
    m_samplesPerFrame = 1024;
    const ogg_int64_t total = ov_pcm_total(&m_file->vf, -1);
    m_lengthFrames = total > 0 ? total : 0;
    const long bitRate = ov_bitrate(&m_file->vf, -1);
    m_bitRateKbps = bitRate > 0 ? static_cast<int>((bitRate + 500) / 1000) : 0;
    return true;
}

int VorbisDecoder::read(int16_t* out, int maxFrames)
{
    if (!m_open || m_ended || maxFrames <= 0)
        return 0;
    auto* dest = reinterpret_cast<char*>(out);
    const long frameBytes = 2L * m_channels;
    const long wanted = frameBytes * maxFrames;
    long filled = 0;
    int errors = 0;
    while (filled < wanted) {
        int section = 0;
        long got = ov_read(&m_file->vf, dest + filled, static_cast<int>(wanted - filled), 0, 2, 1,
                           &section);
        if (got == 0) {
            m_ended = true;
            break;
        }
        if (got < 0) {
            if (++errors >= kMaxDecodeErrors) {
                m_ended = true;
                break;
            }
            continue;
        }
        // A chained stream that changes its layout ends here.
        const vorbis_info* info = ov_info(&m_file->vf, section);
        if (!info || info->channels != m_channels || info->rate != m_sampleRate) {
            m_ended = true;
            break;
        }
        errors = 0;
        filled += got;
    }
    const int frames = static_cast<int>(filled / frameBytes);
    m_positionFrames += frames;
    return frames;
}

int64_t VorbisDecoder::seek(int64_t frame)
{
    if (!m_open)
        return 0;
    frame = clampFrame(frame);
    m_ended = false;
    if (ov_pcm_seek(&m_file->vf, frame) != 0) {
        m_positionFrames = std::max<ogg_int64_t>(0, ov_pcm_tell(&m_file->vf));
        return m_positionFrames;
    }
    m_positionFrames = frame;
    return frame;
}

OpusDecoder::~OpusDecoder()
{
    close();
}

void OpusDecoder::close()
{
    if (m_file)
        op_free(m_file);
    m_file = nullptr;
    m_ended = false;
    clearFormat();
}

bool OpusDecoder::open(const std::string& path, bool, std::string* error)
{
    close();
    if (!IsPlainFile(path))
        return fail(error, "not a regular file: " + path);
    int err = 0;
    m_file = op_open_file(path.c_str(), &err);
    if (!m_file)
        return fail(error, "no Opus audio in " + path);
    const int channels = op_channel_count(m_file, -1);
    if (channels < 1) {
        return fail(error, "unsupported Opus stream in " + path);
    }
    m_format = AudioFormat::Opus;
    m_codec = "Opus";
    m_sampleRate = 48000;
    // More than two channels are mixed down to stereo by libopusfile.
    m_channels = channels == 1 ? 1 : 2;
    m_samplesPerFrame = 960;
    const ogg_int64_t total = op_pcm_total(m_file, -1);
    m_lengthFrames = total > 0 ? total : 0;
    const opus_int32 bitRate = op_bitrate(m_file, -1);
    m_bitRateKbps = bitRate > 0 ? static_cast<int>((bitRate + 500) / 1000) : 0;
    return true;
}

int OpusDecoder::read(int16_t* out, int maxFrames)
{
    if (!m_file || m_ended || maxFrames <= 0)
        return 0;
    // Float output rounded without dither, as the reference decoder does with --no-dither.
    m_float.resize(static_cast<size_t>(maxFrames) * m_channels);
    int done = 0;
    int errors = 0;
    while (done < maxFrames) {
        float* dest = m_float.data() + static_cast<size_t>(done) * m_channels;
        const int room = (maxFrames - done) * m_channels;
        const int got = m_channels == 1 ? op_read_float(m_file, dest, room, nullptr)
                                        : op_read_float_stereo(m_file, dest, room);
        if (got == 0) {
            m_ended = true;
            break;
        }
        if (got < 0) {
            if (got == OP_EOF || ++errors >= kMaxDecodeErrors) {
                m_ended = true;
                break;
            }
            continue;
        }
        errors = 0;
        done += got;
    }
    for (size_t i = 0; i < static_cast<size_t>(done) * m_channels; ++i)
        out[i] = static_cast<int16_t>(
            std::lrint(std::clamp(m_float[i] * 32768.0f, -32768.0f, 32767.0f)));
    m_positionFrames += done;
    return done;
}

int64_t OpusDecoder::seek(int64_t frame)
{
    if (!m_file)
        return 0;
    frame = clampFrame(frame);
    m_ended = false;
    if (op_pcm_seek(m_file, frame) != 0) {
        m_positionFrames = std::max<ogg_int64_t>(0, op_pcm_tell(m_file));
        return m_positionFrames;
    }
    m_positionFrames = frame;
    return frame;
}
