// libsndfile writer with a mkstemp temporary beside the target and an atomic rename.
#include "wavwriter.h"

#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

WavWriter::~WavWriter()
{
    std::string ignored;
    finish(ignored);
}

bool WavWriter::open(const std::string& path, int sampleRate, int channels, std::string& error)
{
    abandon();
    if (path.empty() || sampleRate <= 0 || channels < 1 || channels > 2) {
        error = "bad WAV target or format";
        return false;
    }
    std::vector<char> pattern(path.begin(), path.end());
    const char suffix[] = ".part-XXXXXX";
    pattern.insert(pattern.end(), suffix, suffix + sizeof(suffix));
    int fd = mkstemp(pattern.data());
    if (fd < 0) {
        error = "cannot create a file beside " + path;
        return false;
    }
    // mkstemp makes the file private; a finished WAV gets the usual permissions.
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    m_file = sf_open_fd(fd, SFM_WRITE, &info, SF_TRUE);
    if (!m_file) {
        ::close(fd);
        std::remove(pattern.data());
        error = "cannot write a WAV file beside " + path;
        return false;
    }
    m_path = path;
    m_tempPath = pattern.data();
    m_channels = channels;
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
    if (done != count)
        m_failed = true;
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
        std::remove(m_tempPath.c_str());
        error = "writing " + m_path + " failed (disk full?)";
        return false;
    }
    if (std::rename(m_tempPath.c_str(), m_path.c_str()) != 0) {
        std::remove(m_tempPath.c_str());
        error = "cannot replace " + m_path;
        return false;
    }
    return true;
}

void WavWriter::abandon()
{
    if (!m_file)
        return;
    sf_close(m_file);
    m_file = nullptr;
    std::remove(m_tempPath.c_str());
}
