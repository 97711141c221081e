// Decodes the MP4 family (AAC and ALAC in .m4a/.mp4, and raw ADTS AAC) with FFmpeg's
// libavformat and libavcodec. The demuxer applies the file's edit list, so the encoder's delay
// and padding are cut and the length is the true one; a seek decodes from a packet before the
// asked sample and drops the samples before it, so it lands on that sample.
#pragma once

#include <string>
#include <vector>

#include "decoder.h"

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;

class Mp4Decoder : public Decoder {
public:
    Mp4Decoder() = default;
    ~Mp4Decoder() override;
    Mp4Decoder(const Mp4Decoder&) = delete;
    Mp4Decoder& operator=(const Mp4Decoder&) = delete;

    bool open(const std::string& path, bool scanLength, std::string* error = nullptr) override;
    void close() override;
    bool isOpen() const override { return m_codecContext != nullptr; }
    int readWide(int32_t* out, int maxFrames) override;
    int64_t seek(int64_t frame) override;

private:
    bool decodeFrame(); // the next decoded frame into m_frame; false at the end
    int takeFrame(int32_t* out, int maxFrames);

    AVFormatContext* m_formatContext = nullptr;
    AVCodecContext* m_codecContext = nullptr;
    AVPacket* m_packet = nullptr;
    AVFrame* m_frame = nullptr;
    int m_stream = -1;
    int m_frameUsed = 0;      // frames of m_frame already given
    int64_t m_frameStart = 0; // the track frame of m_frame's first sample
    int64_t m_dropUntil = 0;  // after a seek: samples before this frame are dropped
    bool m_flushing = false;  // the demuxer has ended; the decoder gives what it holds
    bool m_ended = false;
};
