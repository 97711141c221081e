// libsndfile writer on the safe-write routine's temporary, renamed over the target when complete.
#include "wavwriter.h"

#include <algorithm>
#include <cerrno>
#include <vector>

#include <sndfile.h>

WavWriter::~WavWriter()
{
    std::string ignored;
    finish(ignored);
}

bool WavWriter::open(const std::string& path, int sampleRate, int channels, std::string& error,
                     int bits)
{
    abandon();
    if (path.empty() || sampleRate <= 0 || channels < 1 || channels > 2 ||
        (bits != 16 && bits != 24)) {
        error = "bad WAV target or format";
        return false;
    }
    if (!m_out.open(path)) {
        error = m_out.failure().detail;
        return false;
    }
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | (bits == 24 ? SF_FORMAT_PCM_24 : SF_FORMAT_PCM_16);
    m_file = sf_open_fd(m_out.fd(), SFM_WRITE, &info, SF_FALSE);
    if (!m_file) {
        m_out.abandon();
        error = "cannot write a WAV file beside " + path;
        return false;
    }
    m_channels = channels;
    m_bits = bits;
    m_frames = 0;
    m_failed = false;
    return true;
}

bool WavWriter::write(const int16_t* frames, int64_t count)
{
    if (!m_file || m_failed)
        return false;
    if (count <= 0)
        return true;
    sf_count_t done = sf_writef_short(m_file, frames, count);
    m_frames += done;
    if (done != count) {
        m_failed = true;
        m_errorNumber = errno;
    }
    return !m_failed;
}

bool WavWriter::writeWide(const int32_t* frames, int64_t count)
{
    if (!m_file || m_failed)
        return false;
    // libsndfile takes integers left-aligned in 32 bits.
    std::vector<int32_t> block(static_cast<size_t>(std::max<int64_t>(count, 0)) * m_channels);
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<int32_t>(static_cast<uint32_t>(frames[i]) << (32 - m_bits));
    sf_count_t done = sf_writef_int(m_file, block.data(), count);
    m_frames += std::max<sf_count_t>(done, 0);
    if (done != count) {
        m_failed = true;
        m_errorNumber = errno;
    }
    return !m_failed;
}

bool WavWriter::truncate(int64_t frames)
{
    if (!m_file || frames < 0 || frames >= m_frames)
        return false;
    sf_count_t length = frames;
    if (sf_command(m_file, SFC_FILE_TRUNCATE, &length, sizeof(length)) != 0)
        return false;
    m_frames = frames;
    return true;
}

bool WavWriter::finish(std::string& error)
{
    if (!m_file)
        return false;
    sf_write_sync(m_file);
    int closeResult = sf_close(m_file);
    m_file = nullptr;
    if (m_failed || closeResult != 0) {
        m_out.abandon();
        error = "writing " + m_out.failure().path + " failed (disk full?)";
        return false;
    }
    if (!m_out.commit()) {
        error = m_out.failure().detail;
        return false;
    }
    return true;
}

void WavWriter::abandon()
{
    if (m_file) {
        sf_close(m_file);
        m_file = nullptr;
    }
    m_out.abandon();
}
