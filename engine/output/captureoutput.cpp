// Capture: the null output's tap feeds a WAV writer.
#include "captureoutput.h"

CaptureOutput::CaptureOutput(std::string path, NullOutputOptions options)
    : m_path(std::move(path)), m_clock(options, [this](const int16_t* frames, int count, int64_t) {
          m_writer.write(frames, count);
      })
{
}

CaptureOutput::~CaptureOutput()
{
    stop();
}

bool CaptureOutput::start(int sampleRate, AudioRenderer* renderer, std::string& error)
{
    stop();
    if (!m_writer.open(m_path, sampleRate, 2, error))
        return false;
    return m_clock.start(sampleRate, renderer, error);
}

void CaptureOutput::stop()
{
    m_clock.stop();
    std::string ignored;
    if (m_writer.isOpen())
        m_writer.finish(ignored);
}
