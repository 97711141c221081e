// Decodes an MPEG audio file to interleaved 16-bit PCM with libmpg123 (gapless, sample-accurate
// seeks).
//
// One thread at a time uses an instance. The file stays open by descriptor, so a tag rewrite that
// renames a new file over the path does not disturb a decode in progress.
#pragma once

#include <cstdint>
#include <string>

struct mpg123_handle_struct;

class MpegDecoder {
public:
    MpegDecoder();
    ~MpegDecoder();
    MpegDecoder(const MpegDecoder&) = delete;
    MpegDecoder& operator=(const MpegDecoder&) = delete;

    // Opens path and fixes the output format to the first frame's rate and channel count (later
    // frames of another format are converted by libmpg123). False, with error set, when the file
    // is missing or holds no decodable MPEG audio. scanLength reads the whole file once so the
    // length is exact even without a Xing/Info header.
    bool open(const std::string& path, bool scanLength, std::string* error = nullptr);
    void close();
    bool isOpen() const { return m_handle != nullptr; }
    // Exchanges the two decoders' streams and positions (a track and its successor).
    void swap(MpegDecoder& other) noexcept;

    int sampleRate() const { return m_sampleRate; }
    int channels() const { return m_channels; }
    int samplesPerFrame() const { return m_samplesPerFrame; } // PCM frames per MPEG frame
    int bitRateKbps() const { return m_bitRateKbps; }         // of the first frame
    int64_t lengthFrames() const { return m_lengthFrames; }   // 0 when unknown

    // Decodes up to maxFrames frames into out (maxFrames * channels() samples). Returns the frames
    // written; 0 means the end of the stream (a run of decode errors counts as the end).
    int read(int16_t* out, int maxFrames);
    // Moves to frame (clamped to 0..length) and returns the frame the next read starts at.
    int64_t seek(int64_t frame);
    int64_t positionFrames() const { return m_positionFrames; }

private:
    mpg123_handle_struct* m_handle = nullptr;
    int m_sampleRate = 0;
    int m_channels = 0;
    int m_samplesPerFrame = 1152;
    int m_bitRateKbps = 0;
    int64_t m_lengthFrames = 0;
    int64_t m_positionFrames = 0;
    bool m_ended = false;
    bool m_indexed = false; // mpg123_scan has run on this handle
};
