// Decodes Ogg Vorbis (libvorbisfile) and Ogg Opus (libopusfile) to 16-bit PCM. Both libraries
// count samples by the stream's granule positions, so the length is the true one (Opus pre-skip
// and end trimming applied) and seeks land on the asked sample. Opus always decodes at 48 kHz.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "decoder.h"

struct OggOpusFile;

class VorbisDecoder : public Decoder {
public:
    VorbisDecoder();
    ~VorbisDecoder() override;
    VorbisDecoder(const VorbisDecoder&) = delete;
    VorbisDecoder& operator=(const VorbisDecoder&) = delete;

    bool open(const std::string& path, bool scanLength, std::string* error = nullptr) override;
    void close() override;
    bool isOpen() const override { return m_open; }
    int read(int16_t* out, int maxFrames) override;
    int64_t seek(int64_t frame) override;

private:
    struct File;
    std::unique_ptr<File> m_file; // OggVorbis_File, kept out of this header
    bool m_open = false;
    bool m_ended = false;
};

class OpusDecoder : public Decoder {
public:
    OpusDecoder() = default;
    ~OpusDecoder() override;
    OpusDecoder(const OpusDecoder&) = delete;
    OpusDecoder& operator=(const OpusDecoder&) = delete;

    bool open(const std::string& path, bool scanLength, std::string* error = nullptr) override;
    void close() override;
    bool isOpen() const override { return m_file != nullptr; }
    int read(int16_t* out, int maxFrames) override;
    int64_t seek(int64_t frame) override;

private:
    OggOpusFile* m_file = nullptr;
    bool m_ended = false;
    std::vector<float> m_float;
};
