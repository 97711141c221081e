// libavformat/libavcodec reader: packets of one audio stream, frames converted to integers.
#include "mp4decoder.h"

#include <algorithm>
#include <cmath>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "engine/io/plainfile.h"

namespace {
constexpr int kMaxRate = 768000;
// A seek starts decoding this far before the asked sample, so the decoder's overlap is filled.
constexpr int64_t kSeekPrerollFrames = 4096;
// Consecutive packets the decoder rejects before a damaged stream is taken as ended.
constexpr int kMaxDecodeErrors = 8;

int32_t FloatToInt(float v, int bits)
{
    const float scale = static_cast<float>(1 << (bits - 1));
    return static_cast<int32_t>(std::lrint(std::clamp(v * scale, -scale, scale - 1.0f)));
}
} // namespace

Mp4Decoder::~Mp4Decoder()
{
    close();
}

void Mp4Decoder::close()
{
    av_frame_free(&m_frame);
    av_packet_free(&m_packet);
    avcodec_free_context(&m_codecContext);
    avformat_close_input(&m_formatContext);
    m_stream = -1;
    m_frameUsed = 0;
    m_frameStart = m_dropUntil = 0;
    m_flushing = m_ended = false;
    clearFormat();
}

bool Mp4Decoder::open(const std::string& path, bool, std::string* error)
{
    close();
    if (!IsPlainFile(path))
        return fail(error, "not a regular file: " + path);
    av_log_set_level(AV_LOG_QUIET);
    if (avformat_open_input(&m_formatContext, path.c_str(), nullptr, nullptr) < 0)
        return fail(error, "no MP4 audio in " + path);
    if (avformat_find_stream_info(m_formatContext, nullptr) < 0)
        return fail(error, "no MP4 audio in " + path);
    const AVCodec* codec = nullptr;
    m_stream = av_find_best_stream(m_formatContext, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (m_stream < 0 || !codec)
        return fail(error, "no audio stream in " + path);
    const AVStream* stream = m_formatContext->streams[m_stream];
    const AVCodecParameters* par = stream->codecpar;
    if (par->sample_rate <= 0 || par->sample_rate > kMaxRate || par->ch_layout.nb_channels < 1)
        return fail(error, "unsupported audio format in " + path);
    m_codecContext = avcodec_alloc_context3(codec);
    if (!m_codecContext || avcodec_parameters_to_context(m_codecContext, par) < 0 ||
        avcodec_open2(m_codecContext, codec, nullptr) < 0)
        return fail(error, "cannot decode the audio in " + path);
    m_packet = av_packet_alloc();
    m_frame = av_frame_alloc();
    if (!m_packet || !m_frame)
        return fail(error, "out of memory opening " + path);
    for (unsigned i = 0; i < m_formatContext->nb_streams; ++i)
        if (static_cast<int>(i) != m_stream)
            m_formatContext->streams[i]->discard = AVDISCARD_ALL;
    m_format = m_formatContext->iformat && std::string(m_formatContext->iformat->name) == "aac"
                   ? AudioFormat::Aac
                   : AudioFormat::Mp4;
    m_codec = par->codec_id == AV_CODEC_ID_AAC    ? "AAC"
              : par->codec_id == AV_CODEC_ID_ALAC ? "ALAC"
                                                  : codec->name;
    m_sampleRate = par->sample_rate;
    m_channels = std::min(par->ch_layout.nb_channels, 2);
    // Lossless integer codecs keep their depth; everything else is given as 16 bits.
    const int raw = par->bits_per_raw_sample;
    m_bits = par->codec_id == AV_CODEC_ID_ALAC && raw > 16 ? 24 : 16;
    m_samplesPerFrame = par->frame_size > 0 ? par->frame_size : 1024;
    if (stream->duration > 0 && stream->duration != AV_NOPTS_VALUE)
        m_lengthFrames =
            av_rescale_q(stream->duration, stream->time_base, AVRational{1, m_sampleRate});
    else if (m_formatContext->duration > 0)
        m_lengthFrames = av_rescale(m_formatContext->duration, m_sampleRate, AV_TIME_BASE);
    const int64_t bytes = PlainFileSize(path);
    // No stream holds more than its samples uncompressed.
    const int64_t ceiling = int64_t{m_sampleRate} * std::max(1, par->ch_layout.nb_channels) *
                            std::clamp(raw, 16, 32) / 1000;
    if (par->bit_rate > 0)
        m_bitRateKbps = static_cast<int>(std::min<int64_t>((par->bit_rate + 500) / 1000, ceiling));
    else
        setAverageBitRate(bytes, ceiling);
    return true;
}

bool Mp4Decoder::decodeFrame()
{
    int errors = 0;
    for (;;) {
        const int got = avcodec_receive_frame(m_codecContext, m_frame);
        if (got == 0) {
            if (m_frame->nb_samples <= 0)
                continue;
            // The demuxer's times count from the first sample heard (the edit list applied).
            const int64_t pts = m_frame->best_effort_timestamp;
            if (pts != AV_NOPTS_VALUE)
                m_frameStart = av_rescale_q(pts, m_formatContext->streams[m_stream]->time_base,
                                            AVRational{1, m_sampleRate});
            m_frameUsed = 0;
            return true;
        }
        if (got == AVERROR_EOF || m_flushing)
            return false;
        if (got != AVERROR(EAGAIN))
            return false;
        const int read = av_read_frame(m_formatContext, m_packet);
        if (read < 0) {
            m_flushing = true;
            avcodec_send_packet(m_codecContext, nullptr);
            continue;
        }
        if (m_packet->stream_index == m_stream) {
            const int sent = avcodec_send_packet(m_codecContext, m_packet);
            if (sent < 0 && sent != AVERROR(EAGAIN) && ++errors >= kMaxDecodeErrors) {
                av_packet_unref(m_packet);
                return false;
            }
        }
        av_packet_unref(m_packet);
    }
}

int Mp4Decoder::takeFrame(int32_t* out, int maxFrames)
{
    const int available = m_frame->nb_samples - m_frameUsed;
    const int count = std::min(available, maxFrames);
    const int fileChannels = m_frame->ch_layout.nb_channels;
    const auto format = static_cast<AVSampleFormat>(m_frame->format);
    const bool planar = av_sample_fmt_is_planar(format);
    for (int i = 0; i < count; ++i) {
        const int index = m_frameUsed + i;
        for (int c = 0; c < m_channels; ++c) {
            const int channel = std::min(c, fileChannels - 1);
            const uint8_t* base =
                planar ? m_frame->extended_data[channel] : m_frame->extended_data[0];
            const size_t at = planar ? static_cast<size_t>(index)
                                     : static_cast<size_t>(index) * fileChannels + channel;
            int32_t v = 0;
            switch (av_get_packed_sample_fmt(format)) {
            case AV_SAMPLE_FMT_FLT:
                v = FloatToInt(reinterpret_cast<const float*>(base)[at], m_bits);
                break;
            case AV_SAMPLE_FMT_DBL:
                v = FloatToInt(static_cast<float>(reinterpret_cast<const double*>(base)[at]),
                               m_bits);
                break;
            case AV_SAMPLE_FMT_S16:
                v = reinterpret_cast<const int16_t*>(base)[at] * (1 << (m_bits - 16));
                break;
            case AV_SAMPLE_FMT_S32:
                v = reinterpret_cast<const int32_t*>(base)[at] >> (32 - m_bits);
                break;
            case AV_SAMPLE_FMT_U8:
                v = (reinterpret_cast<const uint8_t*>(base)[at] - 128) * (1 << (m_bits - 8));
                break;
            default:
                break;
            }
            out[static_cast<size_t>(i) * m_channels + c] = v;
        }
    }
    m_frameUsed += count;
    return count;
}

int Mp4Decoder::readWide(int32_t* out, int maxFrames)
{
    if (!m_codecContext || m_ended || maxFrames <= 0)
        return 0;
    int done = 0;
    while (done < maxFrames) {
        if (m_frameUsed >= m_frame->nb_samples) {
            if (!decodeFrame()) {
                m_ended = true;
                break;
            }
            // After a seek, the samples before the asked one are dropped.
            const int64_t skip = std::min<int64_t>(m_dropUntil - m_frameStart, m_frame->nb_samples);
            if (skip > 0)
                m_frameUsed = static_cast<int>(skip);
            if (m_frameUsed >= m_frame->nb_samples)
                continue;
        }
        // The end of the track is its stated length (the edit list's padding is cut there).
        int room = maxFrames - done;
        if (m_lengthFrames > 0) {
            const int64_t left = m_lengthFrames - m_positionFrames;
            if (left <= 0) {
                m_ended = true;
                break;
            }
            room = static_cast<int>(std::min<int64_t>(room, left));
        }
        const int got = takeFrame(out + static_cast<size_t>(done) * m_channels, room);
        done += got;
        m_positionFrames += got;
    }
    return done;
}

int64_t Mp4Decoder::seek(int64_t frame)
{
    if (!m_codecContext)
        return 0;
    frame = clampFrame(frame);
    const AVStream* stream = m_formatContext->streams[m_stream];
    // Already there (a play from the start of a fresh track): the stream is left untouched.
    if (frame == m_positionFrames && !m_ended)
        return frame;
    // Before the first sample too: the encoder's priming packets precede time 0.
    const int64_t from = frame - kSeekPrerollFrames;
    const int64_t ts = av_rescale_q(from, AVRational{1, m_sampleRate}, stream->time_base);
    if (av_seek_frame(m_formatContext, m_stream, ts, AVSEEK_FLAG_BACKWARD) < 0 &&
        av_seek_frame(m_formatContext, m_stream, 0, AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY) < 0)
        return m_positionFrames;
    avcodec_flush_buffers(m_codecContext);
    av_frame_unref(m_frame);
    m_frameUsed = 0;
    m_flushing = false;
    m_ended = false;
    m_dropUntil = frame;
    m_positionFrames = frame;
    return frame;
}
