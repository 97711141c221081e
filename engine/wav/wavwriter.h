// Writes 16- or 24-bit PCM WAV files with libsndfile through the safe-write routine: a recognisable
// temporary renamed over the target only when complete, removed when abandoned or failed.
//
// One thread at a time per instance.
#pragma once

#include <cstdint>
#include <string>

#include "engine/io/safefile.h"

struct sf_private_tag;

class WavWriter {
public:
    WavWriter() = default;
    ~WavWriter(); // finishes an open file
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    // Starts a file for path in the same folder; false with error set when it cannot be created.
    bool open(const std::string& path, int sampleRate, int channels, std::string& error,
              int bits = 16);
    bool isOpen() const { return m_file != nullptr; }
    // Appends count interleaved frames; false (and the file abandoned on finish) on a write error.
    bool write(const int16_t* frames, int64_t count);
    // The same for samples of the file's depth, right-aligned in 32 bits.
    bool writeWide(const int32_t* frames, int64_t count);
    // Drops everything after the first frames frames (no-op when fewer were written).
    bool truncate(int64_t frames);
    // Closes the file and renames it over the target. False with error set on failure, the
    // temporary then removed.
    bool finish(std::string& error);
    // Closes and removes the temporary; the target is left as it was.
    void abandon();
    int64_t framesWritten() const { return m_frames; }
    // The system's error number of the failure (ENOSPC, EROFS...), 0 when none is known.
    int errorNumber() const { return m_errorNumber ? m_errorNumber : m_out.failure().errorNumber; }

private:
    sf_private_tag* m_file = nullptr;
    SafeFile m_out; // the temporary beside the target, removed on every failure
    int m_channels = 0;
    int m_bits = 16;
    int64_t m_frames = 0;
    bool m_failed = false;
    int m_errorNumber = 0;
};
