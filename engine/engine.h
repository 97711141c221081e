// The playback engine as the windows see it: decoding, output, DSP, tags, lyrics, WAV writing.
//
// Every method is called from the UI thread and returns without waiting for audio.
// The end callback may be called from an engine thread: it must only set a flag.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "records.h"

// The rule of the engine's load options: InBlock 1..1000 frames per read, OutBlock 1..InBlock,
// sleeps 0..1000 ms.
inline bool OptionsValid(int32_t inBlock, int32_t outBlock, int32_t inSleep, int32_t outSleep)
{
    return inBlock >= 1 && inBlock <= 1000 && outBlock >= 1 && outBlock <= inBlock &&
           inSleep >= 0 && inSleep <= 1000 && outSleep >= 0 && outSleep <= 1000;
}

class Engine {
public:
    // code 4 = the open track has been heard to its end; 5 = the open track nears its end, a
    // successor given now follows it without a gap; 6 = the successor is heard now and has
    // become the open track (sent from within a call of the caller's, before it returns).
    // Other codes may be ignored.
    using Callback = void (*)(int32_t code, int32_t value);
    static constexpr int32_t kTrackEnded = 4;
    static constexpr int32_t kSuccessorWanted = 5;
    static constexpr int32_t kSuccessorHeard = 6;

    virtual ~Engine() = default;

    virtual int init() = 0;   // non-zero on success; init after free works any number of times
    virtual void free() = 0;  // releases everything init acquired
    virtual void close() = 0; // closes the open track
    virtual void callback(Callback proc) = 0;

    // Opens a track (stopped, position 0). Non-zero = opened; info filled. Zero = the file cannot
    // be played; the track open before stays open as it was.
    virtual int open(const std::string& path, InputInfo& info) = 0;
    // Opens the open track's file again to read what changed in it (a tag written since), while
    // the sound goes on: the state, the exact sample position and the device are kept. Zero when
    // path is not the open track or cannot be read; nothing changes then.
    virtual int reopen(const std::string& path, InputInfo& info) = 0;
    // Non-zero when the open file has an ID3 tag.
    virtual int getTagInfo(TagInfo& tag) = 0;
    // b = 0 writes nothing; b = 1 writes ID3v2.3 + ID3v1 crash-safely. a = 1 when the track plays.
    virtual int setTagInfo(const std::string& path, const TagInfo& tag, int32_t a, int32_t b) = 0;
    // The track to play after the open one without a gap, info filled as open fills it. Non-zero
    // = it will follow; zero = refused (unreadable, another sample rate, or nothing plays): the
    // open track then ends as before. An empty path withdraws the successor; stop, open and close
    // withdraw it too, a seek keeps it.
    virtual int setNextTrack(const std::string& path, InputInfo& info) = 0;
    // Non-zero = the open file holds valid MPEG audio.
    virtual int getMpegInfo(MpegInfo& info) = 0;
    // Zero = refused: the values break OptionsValid's rule.
    virtual int setOption(int32_t inBlock, int32_t outBlock, int32_t inSleep, int32_t outSleep) = 0;

    // Non-zero when the file has at least one timed line.
    virtual int setLyricsFile(const std::string& path) = 0;
    // Non-zero once the first line's time has been reached.
    virtual int getLyrics(LyricsRecord& record) = 0;

    virtual void setVolume(int left, int right) = 0;  // 0..100 per channel
    virtual void play() = 0;
    virtual void stop() = 0;
    virtual void pause() = 0;
    virtual void restart() = 0;  // resumes after pause
    // 0 stopped, 1 playing, 2 paused; sec = elapsed whole seconds of the sample heard now.
    virtual int getState(int32_t& sec) = 0;
    virtual int32_t getPlayMs() = 0;
    virtual void seek(int32_t sec) = 0;
    // seek to a millisecond (an engine without that precision goes to its whole second).
    virtual void seekMs(int64_t ms) { seek(static_cast<int32_t>(ms / 1000)); }
    virtual void setFadeIn(int on) = 0;
    virtual void fadeOut() = 0;

    // 256 samples per channel being heard now, 16-bit sample / 256; zeros when not playing.
    virtual int getWave(int32_t* left, int32_t* right) = 0;
    // 256 band levels per channel, 0 (silence) .. about 120 (full-scale sine); zeros when not playing.
    virtual int getSpectrum(int32_t* left, int32_t* right) = 0;

    // Ten gains in tenths of a decibel (-120..120), band 0 (60 Hz) first.
    virtual void setEqualizer(const int32_t* gains) = 0;
    virtual void reload() = 0;  // drops queued audio and filter state
    virtual void setPitch(int percent) = 0;  // 50..300, clamped
    virtual void setStepPitch(int step, int divisor) = 0;  // tempo x step (1..3); divisor is 5
    virtual int getPitch() = 0;

    virtual int setDecodeOption(const DecodeOption& option) = 0;
    virtual int decodeWave(const std::string& path) = 0;      // at full speed, in the background
    virtual int playDecodeWave(const std::string& path) = 0;  // writes while playing
    virtual int decodeProgress() = 0;                          // 0..100 of the running conversion
    virtual std::string decodeError() = 0;                     // empty when the last one succeeded
    virtual int getVersion() = 0;  // version in hundredths

    // ReplayGain: mode 0 off, 1 track, 2 album, 3 album while the neighbouring rows hold the
    // same album (as albumTest answers); the pre-amplification and the gain of untagged tracks
    // in tenths of a dB. Heard at once, gliding. An engine without ReplayGain ignores them.
    virtual void setReplayGain(int32_t /*mode*/, int32_t /*preampTenths*/,
                               int32_t /*untaggedTenths*/)
    {
    }
    virtual void setAlbumTest(std::function<bool(const std::string& path)> /*albumTest*/) {}
};
