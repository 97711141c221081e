// Decodes an MPEG audio file to interleaved 16-bit PCM with libmpg123 (gapless, sample-accurate
// seeks).
//
// One thread at a time uses an instance. The file stays open by descriptor, so a tag rewrite that
// renames a new file over the path does not disturb a decode in progress.
#pragma once

#include <cstdint>
#include <string>

#include "decoder.h"

struct mpg123_handle_struct;

class MpegDecoder : public Decoder {
public:
    MpegDecoder();
    ~MpegDecoder() override;
    MpegDecoder(const MpegDecoder&) = delete;
    MpegDecoder& operator=(const MpegDecoder&) = delete;

    // Opens path and fixes the output format to the first frame's rate and channel count (later
    // frames of another format are converted by libmpg123). False, with error set, when the file
    // is missing or holds no decodable MPEG audio. scanLength reads the whole file once so the
    // length is exact even without a Xing/Info header.
    bool open(const std::string& path, bool scanLength, std::string* error = nullptr) override;
    void close() override;
    bool isOpen() const override { return m_handle != nullptr; }

    int read(int16_t* out, int maxFrames) override;
    int64_t seek(int64_t frame) override;

private:
    mpg123_handle_struct* m_handle = nullptr;
    bool m_ended = false;
    bool m_indexed = false; // mpg123_scan has run on this handle
};
