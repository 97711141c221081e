// The conversion worker: decode, write, rename, report.
#include "wavconverter.h"

#include <vector>

#include "decode/decoder.h"
#include "wavwriter.h"

WavConverter::~WavConverter()
{
    cancel();
}

bool WavConverter::start(const std::string& source, const std::string& target, int blockFrames,
                         Finished finished)
{
    cancel();
    m_cancel.store(false);
    m_progress.store(0);
    {
        std::lock_guard lock(m_mutex);
        m_error.clear();
    }
    m_running.store(true, std::memory_order_release);
    m_thread = std::thread(&WavConverter::run, this, source, target,
                           blockFrames > 0 ? blockFrames : 24000, std::move(finished));
    return true;
}

void WavConverter::cancel()
{
    m_cancel.store(true, std::memory_order_release);
    if (m_thread.joinable())
        m_thread.join();
}

void WavConverter::wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

std::string WavConverter::error() const
{
    std::lock_guard lock(m_mutex);
    return m_error;
}

void WavConverter::run(std::string source, std::string target, int blockFrames, Finished finished)
{
    std::string error;
    TrackDecoder decoder;
    WavWriter writer;
    // A deeper source is written as 24-bit, every sample as decoded. The reasons are the
    // user's to read: in the program's Japanese, and the true one.
    const bool opened = decoder.open(source, true, &error);
    const bool wide = decoder.bitsPerSample() > 16;
    if (!opened) {
        error = "音声ファイルとして読めません。";
    } else if (!writer.open(target, decoder.sampleRate(), decoder.channels(), error,
                            wide ? 24 : 16)) {
        error = WriteFailureReason(writer.errorNumber());
    } else {
        std::vector<int16_t> block(static_cast<size_t>(blockFrames) * decoder.channels());
        std::vector<int32_t> wideBlock(wide ? block.size() : 0);
        const int64_t length = decoder.lengthFrames();
        for (;;) {
            if (m_cancel.load(std::memory_order_acquire)) {
                writer.abandon();
                error = "cancelled";
                break;
            }
            int got = wide ? decoder.readWide(wideBlock.data(), blockFrames)
                           : decoder.read(block.data(), blockFrames);
            if (got == 0)
                break;
            if (!(wide ? writer.writeWide(wideBlock.data(), got)
                       : writer.write(block.data(), got))) {
                error = WriteFailureReason(writer.errorNumber());
                writer.abandon();
                break;
            }
            if (length > 0) {
                int64_t percent = decoder.positionFrames() * 100 / length;
                m_progress.store(static_cast<int>(percent > 99 ? 99 : percent),
                                 std::memory_order_release);
            }
        }
        std::string detail;
        if (writer.isOpen() && !writer.finish(detail) && error.empty())
            error = WriteFailureReason(writer.errorNumber());
    }
    {
        std::lock_guard lock(m_mutex);
        m_error = error;
    }
    m_progress.store(100, std::memory_order_release);
    m_running.store(false, std::memory_order_release);
    if (finished)
        finished();
}
