// An engine test double: tests set exact states, spectra, waves and lyric lines, and read back
// every call the program made.
#pragma once

#include "engine/engine.h"

#include <array>
#include <map>
#include <string>
#include <vector>

class FakeEngine : public Engine {
public:
    // What the engine answers.
    int state = 0;             // 0 stopped, 1 playing, 2 paused
    int32_t sec = 0;
    int32_t playMs = 0;
    int openResult = 1;        // returned by open for every path not in openResults
    std::map<std::string, int> openResults;
    int reopenResult = 1;      // reopen of the path last opened (any other path gives 0)
    InputInfo inputInfo;
    int nextResult = 1;        // returned by setNextTrack for a path
    int tagResult = 1;
    TagInfo tag;
    int mpegResult = 1;
    MpegInfo mpeg;
    int optionResult = 1;
    int lyricsFileResult = 0;
    int lyricsResult = 0;
    LyricsRecord lyrics;
    std::array<int32_t, 256> waveLeft{}, waveRight{};
    std::array<int32_t, 256> spectrumLeft{}, spectrumRight{};
    int pitch = 100;
    int decodeOptionResult = 1;
    int progress = 0;
    std::string error;
    int version = 230;

    // What the program did.
    std::vector<std::string> calls;  // method names in call order, e.g. "open", "play"
    std::string lastOpened;
    std::string nextTrack;  // the successor handed over last ("" = withdrawn)
    std::string lastLyricsFile;
    int volumeLeft = -1, volumeRight = -1;
    int fadeIn = 0;
    int stepPitch = 1;
    std::array<int32_t, 10> equalizer{};
    std::vector<TagInfo> writtenTags;  // records handed to setTagInfo with b = 1
    std::string decodedTo;
    Callback registered = nullptr;
    int32_t lastSeek = -1;

    int count(const std::string& call) const;
    void clearCalls() { calls.clear(); }

    int init() override;
    void free() override;
    void close() override;
    void callback(Callback proc) override;
    int open(const std::string& path, InputInfo& info) override;
    int setNextTrack(const std::string& path, InputInfo& info) override;
    int reopen(const std::string& path, InputInfo& info) override;
    int getTagInfo(TagInfo& out) override;
    int setTagInfo(const std::string& path, const TagInfo& in, int32_t a, int32_t b) override;
    int getMpegInfo(MpegInfo& out) override;
    int setOption(int32_t inBlock, int32_t outBlock, int32_t inSleep, int32_t outSleep) override;
    int setLyricsFile(const std::string& path) override;
    int getLyrics(LyricsRecord& record) override;
    void setVolume(int left, int right) override;
    void play() override;
    void stop() override;
    void pause() override;
    void restart() override;
    int getState(int32_t& outSec) override;
    int32_t getPlayMs() override;
    void seek(int32_t toSec) override;
    void setFadeIn(int on) override;
    void fadeOut() override;
    int getWave(int32_t* left, int32_t* right) override;
    int getSpectrum(int32_t* left, int32_t* right) override;
    void setEqualizer(const int32_t* gains) override;
    void reload() override;
    void setPitch(int percent) override;
    void setStepPitch(int step, int divisor) override;
    int getPitch() override;
    int setDecodeOption(const DecodeOption& option) override;
    int decodeWave(const std::string& path) override;
    int playDecodeWave(const std::string& path) override;
    int decodeProgress() override;
    std::string decodeError() override;
    int getVersion() override;
};
