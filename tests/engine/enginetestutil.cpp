// Test helpers for the playback engine.
#include "enginetestutil.h"

#include <chrono>
#include <cmath>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>
#include <mpg123.h>
#include <sndfile.h>

std::atomic<int> g_endNotices{0};

void CountEndNotice(int32_t code, int32_t)
{
    if (code == 4)
        g_endNotices.fetch_add(1);
}

bool ReadSoundFile(const std::string& path, Pcm& pcm)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file)
        return false;
    pcm.sampleRate = info.samplerate;
    pcm.channels = info.channels;
    pcm.samples.assign(static_cast<size_t>(info.frames) * info.channels, 0);
    sf_count_t got = sf_readf_short(file, pcm.samples.data(), info.frames);
    sf_close(file);
    pcm.samples.resize(static_cast<size_t>(got) * info.channels);
    return got == info.frames;
}

bool ReferenceDecode(const std::string& mp3, Pcm& pcm)
{
    std::string wav = mp3 + ".ref.wav";
    if (!std::filesystem::exists(wav) &&
        RunCommand("mpg123 -q -w '" + wav + "' '" + mp3 + "' 2>/dev/null") != 0)
        return false;
    return ReadSoundFile(wav, pcm);
}

bool LibraryDecode(const std::string& mp3, Pcm& pcm)
{
    mpg123_handle* handle = mpg123_new(nullptr, nullptr);
    if (!handle)
        return false;
    bool ok = false;
    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_open(handle, mp3.c_str()) == MPG123_OK &&
        mpg123_getformat(handle, &rate, &channels, &encoding) == MPG123_OK &&
        encoding == MPG123_ENC_SIGNED_16) {
        pcm.sampleRate = static_cast<int>(rate);
        pcm.channels = channels;
        pcm.samples.clear();
        std::vector<unsigned char> buffer(65536);
        for (;;) {
            size_t done = 0;
            int rc = mpg123_read(handle, buffer.data(), buffer.size(), &done);
            auto* s = reinterpret_cast<const int16_t*>(buffer.data());
            pcm.samples.insert(pcm.samples.end(), s, s + done / 2);
            if (rc != MPG123_OK && rc != MPG123_NEW_FORMAT)
                break;
        }
        ok = true;
    }
    mpg123_close(handle);
    mpg123_delete(handle);
    return ok;
}

std::string ToneFixture(const std::string& name, const ToneSpec& spec)
{
    std::string path = TestTempDir() + "/" + name;
    if (!std::filesystem::exists(path)) {
        EXPECT_TRUE(MakeToneMp3(path, spec)) << LastFixtureError();
    }
    return path;
}

std::string SoxFixture(const std::string& name, const std::string& soxSynth, int rate, int channels,
                       int kbps)
{
    std::string path = TestTempDir() + "/" + name;
    if (!std::filesystem::exists(path)) {
        std::string cmd = "sox -n -r " + std::to_string(rate) + " -c " + std::to_string(channels) +
                          " -b 16 -t wav - " + soxSynth + " 2>/dev/null | lame --quiet -b " +
                          std::to_string(kbps) + " --cbr - '" + path + "' 2>&1";
        EXPECT_EQ(RunCommand(cmd), 0) << cmd;
    }
    return path;
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return condition();
}

double Rms(const std::vector<int16_t>& samples, int channels, int channel, size_t first,
           size_t count)
{
    double sum = 0;
    size_t n = 0;
    for (size_t i = first; i < first + count && (i * channels + channel) < samples.size(); ++i) {
        double v = samples[i * channels + channel];
        sum += v * v;
        ++n;
    }
    return n ? std::sqrt(sum / n) : 0;
}

double ZeroCrossingHz(const std::vector<float>& mono, int sampleRate)
{
    // Interpolated rising crossings, first to last, for sub-sample accuracy.
    double first = -1, last = -1;
    int crossings = 0;
    for (size_t i = 1; i < mono.size(); ++i)
        if (mono[i - 1] < 0 && mono[i] >= 0) {
            double at = (i - 1) + mono[i - 1] / (mono[i - 1] - mono[i]);
            if (first < 0)
                first = at;
            last = at;
            ++crossings;
        }
    if (crossings < 2)
        return 0;
    return (crossings - 1) * sampleRate / (last - first);
}

int64_t FindExactly(const std::vector<int16_t>& captured, const std::vector<int16_t>& reference)
{
    if (reference.empty() || captured.size() < reference.size())
        return -1;
    for (size_t at = 0; at + reference.size() <= captured.size(); at += 2)
        if (std::equal(reference.begin(), reference.end(), captured.begin() + at))
            return static_cast<int64_t>(at / 2);
    return -1;
}

std::pair<size_t, size_t> AudibleSpan(const std::vector<int16_t>& stereo, int threshold)
{
    size_t first = 0, last = 0;
    bool any = false;
    for (size_t i = 0; i < stereo.size(); ++i)
        if (std::abs(stereo[i]) >= threshold) {
            if (!any)
                first = i / 2;
            any = true;
            last = i / 2 + 1;
        }
    return {first, last};
}

OutputConfig CaptureConfig(const std::string& path, double speed)
{
    OutputConfig config;
    config.kind = OutputConfig::Kind::Capture;
    config.capturePath = path;
    config.nullOptions.speed = speed;
    return config;
}

std::unique_ptr<PlaybackEngine> CaptureEngine(const std::string& path, double speed)
{
    auto engine = std::make_unique<PlaybackEngine>(CaptureConfig(path, speed));
    engine->init();
    engine->callback(CountEndNotice);
    return engine;
}
