// Decodes FLAC, WAV and AIFF with libsndfile: integer samples exactly as stored (16 or 24 bits;
// 8-bit data widened to 16, 32-bit and float data given as 24), sample-exact seeks. Of a file
// with more than two channels the first two (front left and right) are played.
#pragma once

#include <string>
#include <vector>

#include "decoder.h"

struct sf_private_tag;

class SndfileDecoder : public Decoder {
public:
    SndfileDecoder() = default;
    ~SndfileDecoder() override;
    SndfileDecoder(const SndfileDecoder&) = delete;
    SndfileDecoder& operator=(const SndfileDecoder&) = delete;

    bool open(const std::string& path, bool scanLength, std::string* error = nullptr) override;
    void close() override;
    bool isOpen() const override { return m_file != nullptr; }
    int read(int16_t* out, int maxFrames) override;
    int readWide(int32_t* out, int maxFrames) override;
    int64_t seek(int64_t frame) override;

private:
    sf_private_tag* m_file = nullptr;
    int m_fileChannels = 0;
    std::vector<int32_t> m_wide; // a block of all the file's channels
    std::vector<int16_t> m_narrow;
};
