// The decoder seam: one interface over every audio format the engine plays, the holder the
// engine keeps a track's stream in, and the factory that picks the implementation from a file's
// first bytes (its name is never consulted: a FLAC file called .mp3 plays as FLAC).
//
// One thread at a time uses an instance. Implementations keep the file open by descriptor, so a
// tag rewrite that renames a new file over the path does not disturb a decode in progress.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// The container or stream family of a file, known from its content.
enum class AudioFormat { Unknown, Mpeg, Flac, Vorbis, Opus, Mp4, Aac, Wav, Aiff };

// Reads the first bytes of path (skipping an ID3v2 tag) and names the family. Unknown when the
// file cannot be read or is none of the above; a file with no other signature is taken as MPEG
// (libmpg123 decides on open whether it really is).
AudioFormat SniffAudioFormat(const std::string& path);
// A short name for display: "MP3", "FLAC", "Ogg Vorbis", "Opus", "MP4", "AAC", "WAV", "AIFF".
const char* AudioFormatName(AudioFormat format);

// One family's decoder. Samples are interleaved; a frame is one sample per channel.
class Decoder {
public:
    virtual ~Decoder() = default;

    // Opens path; false, with error set, when the file is missing or holds no audio of this
    // family. scanLength lets a family without a stored length read the file once for it.
    virtual bool open(const std::string& path, bool scanLength, std::string* error) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    AudioFormat format() const { return m_format; }
    // The codec inside the container, for display: "MP3", "FLAC", "Vorbis", "Opus", "AAC", "PCM".
    const std::string& codec() const { return m_codec; }
    int sampleRate() const { return m_sampleRate; }
    int channels() const { return m_channels; }
    // The depth readWide gives: 16 for lossy codecs, the stored depth for lossless ones.
    int bitsPerSample() const { return m_bits; }
    // The frames one compressed block holds (the engine's unit of work between checks).
    int samplesPerFrame() const { return m_samplesPerFrame; }
    int bitRateKbps() const { return m_bitRateKbps; }       // the average over the audio when known
    int64_t lengthFrames() const { return m_lengthFrames; } // the true length; 0 when unknown
    int64_t positionFrames() const { return m_positionFrames; }

    // Decodes up to maxFrames frames. Returns the frames written; 0 means the end of the stream
    // (a damaged stream ends where it can no longer be decoded). read gives 16-bit samples,
    // deeper sources reduced with triangular dither; readWide gives bitsPerSample()-bit samples
    // (right-aligned). A family overrides at least one; the other converts.
    virtual int read(int16_t* out, int maxFrames);
    virtual int readWide(int32_t* out, int maxFrames);
    // Moves to frame (clamped to 0..length) and returns the frame the next read starts at.
    virtual int64_t seek(int64_t frame) = 0;

protected:
    void clearFormat();
    // Sets error, closes and returns false: the end of a failed open.
    bool fail(std::string* error, const std::string& why);
    // frame within 0..length (no upper bound while the length is unknown).
    int64_t clampFrame(int64_t frame) const;
    // The bit rate of bytes of audio spread over the length, at most ceilingKbps: the bytes of a
    // file count pictures and other chunks too, and a short track would show a figure no audio
    // of its kind can have.
    void setAverageBitRate(int64_t bytes, int64_t ceilingKbps);

    AudioFormat m_format = AudioFormat::Unknown;
    std::string m_codec;
    int m_sampleRate = 0;
    int m_channels = 0;
    int m_bits = 16;
    int m_samplesPerFrame = 1152;
    int m_bitRateKbps = 0;
    int64_t m_lengthFrames = 0;
    int64_t m_positionFrames = 0;
};

// Opens path with the decoder its content calls for; null, error set, when none can.
std::unique_ptr<Decoder> OpenDecoder(const std::string& path, bool scanLength,
                                     std::string* error = nullptr);

// The open track's stream as the engine holds it: any family, swapped whole with a successor's.
class TrackDecoder {
public:
    bool open(const std::string& path, bool scanLength, std::string* error = nullptr)
    {
        m_decoder = OpenDecoder(path, scanLength, error);
        return m_decoder != nullptr;
    }
    void close() { m_decoder.reset(); }
    bool isOpen() const { return m_decoder != nullptr; }
    void swap(TrackDecoder& other) noexcept { m_decoder.swap(other.m_decoder); }
    const Decoder* get() const { return m_decoder.get(); }

    AudioFormat format() const { return m_decoder ? m_decoder->format() : AudioFormat::Unknown; }
    int sampleRate() const { return m_decoder ? m_decoder->sampleRate() : 0; }
    int channels() const { return m_decoder ? m_decoder->channels() : 0; }
    int bitsPerSample() const { return m_decoder ? m_decoder->bitsPerSample() : 0; }
    int samplesPerFrame() const { return m_decoder ? m_decoder->samplesPerFrame() : 1152; }
    int bitRateKbps() const { return m_decoder ? m_decoder->bitRateKbps() : 0; }
    int64_t lengthFrames() const { return m_decoder ? m_decoder->lengthFrames() : 0; }
    int64_t positionFrames() const { return m_decoder ? m_decoder->positionFrames() : 0; }
    int read(int16_t* out, int maxFrames)
    {
        return m_decoder ? m_decoder->read(out, maxFrames) : 0;
    }
    int readWide(int32_t* out, int maxFrames)
    {
        return m_decoder ? m_decoder->readWide(out, maxFrames) : 0;
    }
    int64_t seek(int64_t frame) { return m_decoder ? m_decoder->seek(frame) : 0; }

private:
    std::unique_ptr<Decoder> m_decoder;
};
