// Helpers for the playback engine's tests: fixtures, WAV reading, reference decodes, waiting.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "playbackengine.h"
#include "support/fixtures.h"

struct Pcm {
    int sampleRate = 0;
    int channels = 0;
    std::vector<int16_t> samples; // interleaved
    size_t frames() const { return channels ? samples.size() / channels : 0; }
};

// Reads a WAV (or any libsndfile format) file; false when it is not a valid sound file.
bool ReadSoundFile(const std::string& path, Pcm& pcm);
// The reference decode: the mpg123 program's own WAV output of an MP3 file.
bool ReferenceDecode(const std::string& mp3, Pcm& pcm);
// The reference decode through libmpg123 with its default settings (own handle, plain loop).
bool LibraryDecode(const std::string& mp3, Pcm& pcm);
// A fixture MP3 in the test folder, made once per name; fails the test when the tools fail.
std::string ToneFixture(const std::string& name, const ToneSpec& spec);
// A WAV file made by sox from an effect chain, then encoded by lame at kbps CBR.
std::string SoxFixture(const std::string& name, const std::string& soxSynth, int rate = 44100,
                       int channels = 2, int kbps = 192);
// Polls condition every 2 ms for at most timeoutMs; true when it held.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs);

// Counts end-of-track notices; the engine takes a plain function pointer.
extern std::atomic<int> g_endNotices;
void CountEndNotice(int32_t code, int32_t value);

// An output that writes what would be heard to path, with its clock speed times real time.
OutputConfig CaptureConfig(const std::string& path, double speed);
// An initialised engine on that output whose end notices CountEndNotice counts.
std::unique_ptr<PlaybackEngine> CaptureEngine(const std::string& path, double speed);

// Root mean square of one channel of interleaved frames [first, first + count).
double Rms(const std::vector<int16_t>& samples, int channels, int channel, size_t first,
           size_t count);
// Frequency of the strongest tone by counting rising zero crossings.
double ZeroCrossingHz(const std::vector<float>& mono, int sampleRate);

// Where reference (all of it) starts inside captured, both interleaved stereo; -1 when it does
// not appear whole and unchanged.
int64_t FindExactly(const std::vector<int16_t>& captured, const std::vector<int16_t>& reference);
// First and one-past-last frame with any sample of magnitude at least threshold; {0, 0} if none.
std::pair<size_t, size_t> AudibleSpan(const std::vector<int16_t>& stereo, int threshold);
