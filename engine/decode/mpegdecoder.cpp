// libmpg123 reader: format fixing, read loop past NEW_FORMAT and errors, clamped seeks.
#include "mpegdecoder.h"

#include "engine/io/plainfile.h"
#include "engine/meta/mpeginfo.h"
#include "engine/meta/vbrheader.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include <mpg123.h>

namespace {
// The highest bit rate the first frame's version and layer allow, in kbit/s.
int maxKbps(const mpg123_frameinfo2& frame)
{
    if (frame.version == MPG123_1_0)
        return frame.layer == 1 ? 448 : frame.layer == 2 ? 384 : 320;
    return frame.layer == 1 ? 256 : 160;
}

// Consecutive decode errors tolerated before a damaged stream is treated as ended.
constexpr int kMaxDecodeErrors = 8;
} // namespace

MpegDecoder::MpegDecoder() = default;

MpegDecoder::~MpegDecoder()
{
    close();
}

void MpegDecoder::close()
{
    if (m_handle) {
        mpg123_close(m_handle);
        mpg123_delete(m_handle);
        m_handle = nullptr;
    }
    clearFormat();
    m_ended = false;
}

bool MpegDecoder::open(const std::string& path, bool scanLength, std::string* error)
{
    close();
    // A FIFO would block the caller until a writer comes, a device never ends.
    if (!IsPlainFile(path))
        return fail(error, "not a regular file: " + path);
    int err = MPG123_OK;
    m_handle = mpg123_new(nullptr, &err);
    if (!m_handle)
        return fail(error, "cannot create an mpg123 decoder");
    // ADD_FLAGS keeps the defaults (gapless decoding, automatic resampling) that FLAGS would drop.
    mpg123_param(m_handle, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_SKIP_ID3V2, 0.0);
    // The exact length from a scan on a handle of its own: scanning (or any seek) changes
    // libmpg123's output by a least significant bit here and there in MPEG-2 streams, so the
    // decoding handle must stay untouched for its output to equal a plain decode. A header the
    // scan found wrong is ignored by the decode as well, so that it gives the length scanned.
    const MpegScan scan = scanLength ? ScanMpegStream(path) : MpegScan{};
    if (!scan.gapless)
        mpg123_param(m_handle, MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0.0);
    mpg123_param(m_handle, MPG123_RESYNC_LIMIT, 64 * 1024, 0.0);
    mpg123_format_none(m_handle);
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i)
        mpg123_format(m_handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if (mpg123_open(m_handle, path.c_str()) != MPG123_OK)
        return fail(error, "cannot open " + path);
    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_getformat(m_handle, &rate, &channels, &encoding) != MPG123_OK || rate <= 0 ||
        channels < 1 || channels > 2 || encoding != MPG123_ENC_SIGNED_16)
        return fail(error, "no MPEG audio in " + path);
    // Lock the format so a stream that changes rate or mode mid-way is converted, not
    // re-negotiated.
    mpg123_format_none(m_handle);
    mpg123_format(m_handle, rate, channels, MPG123_ENC_SIGNED_16);
    m_format = AudioFormat::Mpeg;
    m_sampleRate = static_cast<int>(rate);
    m_channels = channels;
    mpg123_frameinfo2 info{};
    bool variable = false;
    if (mpg123_info(m_handle, &info) == MPG123_OK) {
        variable = info.vbr != MPG123_CBR;
        m_codec = info.layer == 1 ? "MP1" : info.layer == 2 ? "MP2" : "MP3";
        m_bitRateKbps =
            std::min(variable && info.abr_rate > 0 ? info.abr_rate : info.bitrate, maxKbps(info));
    }
    int spf = mpg123_spf(m_handle);
    m_samplesPerFrame = spf > 0 ? spf : 1152;
    const int64_t mpegFrames = scan.frames;
    int64_t length = scan.samples;
    if (length < 0)
        length = static_cast<int64_t>(mpg123_length(m_handle));
    m_lengthFrames = length > 0 ? length : 0;
    // A VBR file's first frame says little (libmpg123 takes no notice of a VBRI header): give
    // the average of its audio bytes (tags, such as a large cover picture, are no part of it)
    // over every frame's samples (the header's own frame among them), gapless trimming left out.
    const VbrHeader header = FindVbrHeader(path);
    variable = variable || header.kind == VbrHeader::Kind::Vbri;
    const int64_t headerFrames = header.kind == VbrHeader::Kind::Xing ? 1 : 0;
    const long long audioBytes = variable && mpegFrames > 0 ? AudioBytes(path) : -1;
    if (audioBytes > 0) {
        const double seconds =
            static_cast<double>(mpegFrames + headerFrames) * m_samplesPerFrame / m_sampleRate;
        const long long kbps = std::llround(static_cast<double>(audioBytes) * 8 / seconds / 1000);
        m_bitRateKbps = static_cast<int>(std::clamp<long long>(kbps, 1, maxKbps(info)));
    }
    m_positionFrames = 0;
    m_ended = false;
    m_indexed = false;
    return true;
}

int MpegDecoder::read(int16_t* out, int maxFrames)
{
    if (!m_handle || m_ended || maxFrames <= 0)
        return 0;
    const size_t frameBytes = sizeof(int16_t) * static_cast<size_t>(m_channels);
    auto* dest = reinterpret_cast<unsigned char*>(out);
    size_t wanted = frameBytes * static_cast<size_t>(maxFrames);
    size_t filled = 0;
    int errors = 0;
    while (filled < wanted) {
        size_t done = 0;
        int rc = mpg123_read(m_handle, dest + filled, wanted - filled, &done);
        filled += done;
        if (rc == MPG123_OK || rc == MPG123_NEW_FORMAT) {
            errors = 0;
            continue;
        }
        if (rc == MPG123_DONE) {
            m_ended = true;
            break;
        }
        // A damaged frame: libmpg123 resyncs on the next call; give up after a run of failures.
        if (done == 0 && ++errors >= kMaxDecodeErrors) {
            m_ended = true;
            break;
        }
    }
    int frames = static_cast<int>(filled / frameBytes);
    m_positionFrames += frames;
    return frames;
}

int64_t MpegDecoder::seek(int64_t frame)
{
    if (!m_handle)
        return 0;
    frame = clampFrame(frame); // mpg123_seek does not clamp past the end

    // Already there (a play from the start of a fresh track): leave the stream untouched.
    if (frame == m_positionFrames && !m_ended)
        return frame;
    // The first real seek indexes the whole stream once (tens of ms for an hour), so that this
    // and every later seek jumps through the index instead of parsing frames up to the target.
    if (!m_indexed) {
        mpg123_scan(m_handle);
        m_indexed = true;
    }
    off_t got = mpg123_seek(m_handle, static_cast<off_t>(frame), SEEK_SET);
    m_ended = false;
    if (got < 0) {
        // The stream cannot seek there (damaged index); report where the decoder really stands.
        got = mpg123_tell(m_handle);
        m_positionFrames = got > 0 ? static_cast<int64_t>(got) : 0;
        return m_positionFrames;
    }
    m_positionFrames = static_cast<int64_t>(got);
    if (m_lengthFrames > 0 && m_positionFrames >= m_lengthFrames)
        m_ended = true;
    return m_positionFrames;
}
