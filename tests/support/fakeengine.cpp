// The engine test double's bookkeeping.
#include "fakeengine.h"

#include <algorithm>

int FakeEngine::count(const std::string& call) const
{
    return static_cast<int>(std::count(calls.begin(), calls.end(), call));
}

int FakeEngine::init()
{
    calls.push_back("init");
    return 1;
}
void FakeEngine::free() { calls.push_back("free"); }
void FakeEngine::close() { calls.push_back("close"); }
void FakeEngine::callback(Callback proc)
{
    calls.push_back("callback");
    registered = proc;
}
int FakeEngine::open(const std::string& path, InputInfo& info)
{
    calls.push_back("open");
    lastOpened = path;
    nextTrack.clear();
    auto it = openResults.find(path);
    int result = it == openResults.end() ? openResult : it->second;
    if (result) {
        info = inputInfo;
        state = 0;
        sec = 0;
        playMs = 0;
    }
    return result;
}
int FakeEngine::reopen(const std::string& path, InputInfo& info)
{
    calls.push_back("reopen");
    if (reopenResult == 0 || path != lastOpened)
        return 0;
    info = inputInfo;
    return 1;
}

int FakeEngine::getTagInfo(TagInfo& out)
{
    calls.push_back("getTagInfo");
    if (tagResult)
        out = tag;
    return tagResult;
}
int FakeEngine::setTagInfo(const std::string&, const TagInfo& in, int32_t, int32_t b)
{
    calls.push_back("setTagInfo");
    if (b == 1)
        writtenTags.push_back(in);
    return 1;
}
int FakeEngine::getMpegInfo(MpegInfo& out)
{
    calls.push_back("getMpegInfo");
    if (mpegResult)
        out = mpeg;
    return mpegResult;
}
int FakeEngine::setOption(int32_t, int32_t, int32_t, int32_t)
{
    calls.push_back("setOption");
    return optionResult;
}
int FakeEngine::setLyricsFile(const std::string& path)
{
    calls.push_back("setLyricsFile");
    lastLyricsFile = path;
    return lyricsFileResult;
}
int FakeEngine::getLyrics(LyricsRecord& record)
{
    calls.push_back("getLyrics");
    record = lyrics;
    return lyricsResult;
}
void FakeEngine::setVolume(int left, int right)
{
    calls.push_back("setVolume");
    volumeLeft = left;
    volumeRight = right;
}
int FakeEngine::setNextTrack(const std::string& path, InputInfo& info)
{
    calls.push_back("setNextTrack");
    nextTrack = path;
    if (path.empty() || !nextResult)
        return 0;
    info = inputInfo;
    return 1;
}
void FakeEngine::play()
{
    calls.push_back("play");
    state = 1;
}
void FakeEngine::stop()
{
    calls.push_back("stop");
    nextTrack.clear();
    state = 0;
    sec = 0;
    playMs = 0;
}
void FakeEngine::pause()
{
    calls.push_back("pause");
    if (state == 1)
        state = 2;
}
void FakeEngine::restart()
{
    calls.push_back("restart");
    if (state == 2)
        state = 1;
}
int FakeEngine::getState(int32_t& outSec)
{
    calls.push_back("getState");
    outSec = sec;
    return state;
}
int32_t FakeEngine::getPlayMs()
{
    calls.push_back("getPlayMs");
    return playMs;
}
void FakeEngine::seek(int32_t toSec)
{
    calls.push_back("seek");
    lastSeek = toSec;
    sec = toSec;
    playMs = toSec * 1000;
}
void FakeEngine::setFadeIn(int on)
{
    calls.push_back("setFadeIn");
    fadeIn = on;
}
void FakeEngine::fadeOut() { calls.push_back("fadeOut"); }
int FakeEngine::getWave(int32_t* left, int32_t* right)
{
    calls.push_back("getWave");
    std::copy(waveLeft.begin(), waveLeft.end(), left);
    std::copy(waveRight.begin(), waveRight.end(), right);
    return 1;
}
int FakeEngine::getSpectrum(int32_t* left, int32_t* right)
{
    calls.push_back("getSpectrum");
    std::copy(spectrumLeft.begin(), spectrumLeft.end(), left);
    std::copy(spectrumRight.begin(), spectrumRight.end(), right);
    return 1;
}
void FakeEngine::setEqualizer(const int32_t* gains)
{
    calls.push_back("setEqualizer");
    std::copy(gains, gains + 10, equalizer.begin());
}
void FakeEngine::reload() { calls.push_back("reload"); }
void FakeEngine::setPitch(int percent)
{
    calls.push_back("setPitch");
    pitch = percent;
}
void FakeEngine::setStepPitch(int step, int)
{
    calls.push_back("setStepPitch");
    stepPitch = step;
}
int FakeEngine::getPitch()
{
    calls.push_back("getPitch");
    return pitch;
}
int FakeEngine::setDecodeOption(const DecodeOption&)
{
    calls.push_back("setDecodeOption");
    return decodeOptionResult;
}
int FakeEngine::decodeWave(const std::string& path)
{
    calls.push_back("decodeWave");
    decodedTo = path;
    return 1;
}
int FakeEngine::playDecodeWave(const std::string& path)
{
    calls.push_back("playDecodeWave");
    decodedTo = path;
    state = 1;
    return 1;
}
int FakeEngine::decodeProgress() { return progress; }
std::string FakeEngine::decodeError() { return error; }
int FakeEngine::getVersion() { return version; }
