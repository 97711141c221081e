// morvane-engine: the playback engine from the command line (info, decode, play, lyrics,
// spectrum, wave), for tests, benchmarks and users.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "analysis/spectrum.h"
#include "analysis/wave.h"
#include "decode/mpegdecoder.h"
#include "lyrics/lyrics.h"
#include "playbackengine.h"

namespace {
std::atomic<bool> g_ended{false};
std::atomic<bool> g_successorWanted{false};
std::atomic<bool> g_successorHeard{false};
std::mutex g_endMutex; // with g_endWake: play sleeps until the next second or an engine event
std::condition_variable g_endWake;

void onEngineEvent(int32_t code, int32_t)
{
    std::atomic<bool>* flag = code == Engine::kTrackEnded       ? &g_ended
                              : code == Engine::kSuccessorWanted ? &g_successorWanted
                              : code == Engine::kSuccessorHeard  ? &g_successorHeard
                                                                 : nullptr;
    if (!flag)
        return;
    {
        std::lock_guard lock(g_endMutex);
        flag->store(true);
    }
    g_endWake.notify_all();
}

int fail(const std::string& message)
{
    std::fprintf(stderr, "morvane-engine: %s\n", message.c_str());
    return 1;
}

int usage()
{
    std::fprintf(stderr,
                 "usage: morvane-engine info FILE\n"
                 "       morvane-engine decode FILE OUT.wav\n"
                 "       morvane-engine play FILE... [--seconds N]   (one list, without gaps)\n"
                 "       morvane-engine lyrics FILE.lrc MS\n"
                 "       morvane-engine spectrum FILE SEC\n"
                 "       morvane-engine wave FILE SEC\n"
                 "MORVANE_AUDIO = sdl (default), null or capture:PATH chooses the output.\n");
    return 2;
}

bool parseNumber(const char* text, double& value)
{
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0';
}

int info(const std::string& path)
{
    PlaybackEngine engine;
    InputInfo input;
    if (!engine.open(path, input))
        return fail("cannot open " + path + " (missing, unreadable or no MPEG audio)");
    std::printf("title=%s\nartist=%s\nchannels=%d\nbitRate=%d\nsampleRate=%d\ntotalSec=%d\n",
                input.title.c_str(), input.artist.c_str(), input.channels, input.bitRate,
                input.sampleRate, input.totalSec);
    MpegInfo mpeg;
    std::printf("mpeg=%d\n", engine.getMpegInfo(mpeg));
    std::printf("version=%d\nlayer=%d\nprotection=%d\nprivateBit=%d\nchannelMode=%d\n"
                "copyright=%d\noriginal=%d\nemphasis=%d\nmpegBitRate=%d\nmpegSampleRate=%d\n"
                "modeExtension=%d\nfileSize=%d\nframeCount=%d\nlengthMs=%d\n",
                mpeg.version, mpeg.layer, mpeg.protection, mpeg.privateBit, mpeg.channelMode,
                mpeg.copyright, mpeg.original, mpeg.emphasis, mpeg.bitRate, mpeg.sampleRate,
                mpeg.modeExtension, mpeg.fileSize, mpeg.frameCount, mpeg.lengthMs);
    TagInfo tag;
    std::printf("tag=%d\n", engine.getTagInfo(tag));
    std::printf("tagTitle=%s\ntagArtist=%s\nalbum=%s\nyear=%s\ncomment=%s\ngenre=%d\n",
                tag.title.c_str(), tag.artist.c_str(), tag.album.c_str(), tag.year.c_str(),
                tag.comment.c_str(), tag.genre);
    return 0;
}

int decode(const std::string& path, const std::string& out)
{
    OutputConfig config;
    config.kind = OutputConfig::Kind::Null;
    PlaybackEngine engine(config);
    InputInfo input;
    if (!engine.open(path, input))
        return fail("cannot open " + path);
    engine.callback(onEngineEvent);
    engine.setDecodeOption(DecodeOption{0, 0, 24000});
    if (!engine.decodeWave(out))
        return fail("cannot start the conversion to " + out);
    int shown = -1;
    while (!g_ended.load()) {
        int progress = engine.decodeProgress();
        if (progress != shown) {
            std::fprintf(stderr, "\rprogress %3d%%", progress);
            shown = progress;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::fprintf(stderr, "\rprogress 100%%\n");
    std::string error = engine.decodeError();
    if (!error.empty())
        return fail(error);
    return 0;
}

// Plays the files as one list: each next file is handed to the engine as the successor when it
// asks, so that it follows without a gap; a file the engine cannot join (another sample rate)
// starts after the end instead. A line "track=N PATH" names each file when it starts to be heard.
int play(const std::vector<std::string>& paths, double seconds)
{
    PlaybackEngine engine;
    InputInfo input;
    size_t heard = 0;              // the entry heard now
    size_t queued = paths.size(); // the entry handed over as successor (none: size)
    auto announce = [&] {
        std::printf("track=%zu %s\n", heard + 1, paths[heard].c_str());
        std::fflush(stdout);
    };
    if (!engine.open(paths[0], input))
        return fail("cannot open " + paths[0]);
    engine.callback(onEngineEvent);
    engine.play();
    announce();
    // One line a second, asleep in between (the CPU figures of bench/engine-cpu.sh are then the
    // engine's own); while a successor waits to be heard the engine is asked every 20 ms, so the
    // title line and the next successor come as it is heard.
    using namespace std::chrono;
    const auto start = steady_clock::now();
    const auto limit = start + duration_cast<steady_clock::duration>(duration<double>(seconds));
    auto nextLine = start;
    for (;;) {
        int32_t ms = engine.getPlayMs();
        if (g_successorHeard.exchange(false) && queued < paths.size()) {
            heard = queued;
            queued = paths.size();
            announce();
        }
        // Asked for before its own track was heard, the engine asks again once it is.
        const bool wanted = g_successorWanted.exchange(false);
        if (wanted && queued == paths.size() && heard + 1 < paths.size() &&
            engine.setNextTrack(paths[heard + 1], input) != 0)
            queued = heard + 1;
        if (g_ended.exchange(false)) {
            if (heard + 1 >= paths.size())
                break;
            heard += 1;
            queued = paths.size();
            if (!engine.open(paths[heard], input))
                return fail("cannot open " + paths[heard]);
            engine.play();
            announce();
            continue;
        }
        const auto now = steady_clock::now();
        if (now >= nextLine) {
            std::printf("position=%d:%02d.%03d\n", ms / 60000, ms / 1000 % 60, ms % 1000);
            std::fflush(stdout);
            nextLine += std::chrono::seconds(1);
        }
        if (seconds > 0 && now >= limit)
            break;
        auto wake = queued < paths.size() ? std::min(nextLine, now + milliseconds(20)) : nextLine;
        if (seconds > 0)
            wake = std::min(wake, limit);
        std::unique_lock lock(g_endMutex);
        g_endWake.wait_until(lock, wake, [] {
            return g_ended.load() || g_successorWanted.load() || g_successorHeard.load();
        });
    }
    engine.stop();
    return 0;
}

int lyrics(const std::string& path, double ms)
{
    Lyrics lyrics;
    if (!lyrics.load(path))
        return fail("no timed lyrics in " + path);
    LyricsRecord record;
    int found = lyrics.lookup(static_cast<int64_t>(ms), record);
    std::printf("found=%d\ntime=%d\n", found, record.field);
    for (int i = 0; i < 5; ++i)
        std::printf("line%d=%s\n", i + 1, record.lines[i].c_str());
    return 0;
}

// The frames that play at sec, straight from the decoder (no DSP, no volume).
bool framesAt(const std::string& path, double sec, int count, std::vector<int16_t>& frames,
              int& channels)
{
    MpegDecoder decoder;
    std::string error;
    if (!decoder.open(path, true, &error))
        return false;
    channels = decoder.channels();
    decoder.seek(static_cast<int64_t>(sec * decoder.sampleRate()));
    frames.assign(static_cast<size_t>(count) * channels, 0);
    decoder.read(frames.data(), count);
    return true;
}

int analyse(const std::string& path, double sec, bool spectrum)
{
    std::vector<int16_t> frames;
    int channels = 0;
    int count = spectrum ? kSpectrumFftSize : kWaveSamples;
    if (!framesAt(path, sec, count, frames, channels))
        return fail("cannot open " + path);
    int32_t left[kSpectrumBands] = {}, right[kSpectrumBands] = {};
    if (spectrum) {
        SpectrumAnalyzer analyzer;
        analyzer.compute(frames.data(), count, channels, left, right);
    } else {
        ComputeWave(frames.data(), count, channels, left, right);
    }
    const int values = spectrum ? kSpectrumBands : kWaveSamples;
    for (int side = 0; side < 2; ++side) {
        std::printf("%s=", side == 0 ? "left" : "right");
        for (int i = 0; i < values; ++i)
            std::printf(i ? ",%d" : "%d", side == 0 ? left[i] : right[i]);
        std::printf("\n");
    }
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return usage();
    std::string command = argv[1];
    std::string path = argv[2];
    double number = 0;
    if (command == "info" && argc == 3)
        return info(path);
    if (command == "decode" && argc == 4)
        return decode(path, argv[3]);
    if (command == "play") {
        std::vector<std::string> paths;
        for (int i = 2; i < argc; ++i) {
            if (std::strcmp(argv[i], "--seconds") != 0) {
                paths.emplace_back(argv[i]);
                continue;
            }
            if (++i >= argc || !parseNumber(argv[i], number))
                return usage();
        }
        if (paths.empty())
            return usage();
        return play(paths, number);
    }
    if ((command == "lyrics" || command == "spectrum" || command == "wave") && argc == 4) {
        if (!parseNumber(argv[3], number) || number < 0)
            return fail(std::string("not a position: ") + argv[3]);
        if (command == "lyrics")
            return lyrics(path, number);
        return analyse(path, number, command == "spectrum");
    }
    return usage();
}
