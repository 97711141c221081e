// morvane-engine: the playback engine from the command line (info, decode, play, lyrics,
// spectrum, wave), for tests, benchmarks and users.
#include <algorithm>
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
std::mutex g_endMutex; // with g_endWake: play sleeps until the next second or the end
std::condition_variable g_endWake;

void onEngineEvent(int32_t code, int32_t)
{
    if (code == 4) {
        {
            std::lock_guard lock(g_endMutex);
            g_ended.store(true);
        }
        g_endWake.notify_all();
    }
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
                 "       morvane-engine play FILE [--seconds N] [--pitch PERCENT] [--speed 1|2|3]\n"
                 "                 [--clock-ms N] [--at SEC:seek:TO_SEC|SEC:pitch:PERCENT|SEC:volume:0..100]...\n"
                 "       morvane-engine lyrics FILE.lrc MS\n"
                 "       morvane-engine spectrum FILE SEC\n"
                 "       morvane-engine wave FILE SEC\n"
                 "MORVANE_AUDIO = pulse or sdl (default: pulse, else sdl), null or capture:PATH chooses\n"
                 "the output.\n");
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

// What play does besides playing: pitch, speed, timed seeks and pitch changes, a fine clock.
struct PlayOptions {
    double seconds = 0;
    int pitch = 100;
    int speed = 1;
    double clockMs = 0; // print the clock this often (0 = once a second)
    struct Event {
        double atSec;
        enum Kind { Seek, Pitch, Volume } kind;
        double value;
    };
    std::vector<Event> events;
};

bool parseEvent(const std::string& text, PlayOptions::Event& event)
{
    size_t first = text.find(':');
    size_t second = first == std::string::npos ? first : text.find(':', first + 1);
    if (second == std::string::npos)
        return false;
    std::string kind = text.substr(first + 1, second - first - 1);
    if (kind == "seek")
        event.kind = PlayOptions::Event::Seek;
    else if (kind == "pitch")
        event.kind = PlayOptions::Event::Pitch;
    else if (kind == "volume")
        event.kind = PlayOptions::Event::Volume;
    else
        return false;
    return parseNumber(text.substr(0, first).c_str(), event.atSec) &&
           parseNumber(text.substr(second + 1).c_str(), event.value);
}

int play(const std::string& path, const PlayOptions& options)
{
    PlaybackEngine engine;
    InputInfo input;
    if (!engine.open(path, input))
        return fail("cannot open " + path);
    engine.callback(onEngineEvent);
    engine.setPitch(options.pitch);
    engine.setStepPitch(options.speed, 5);
    engine.play();
    // One line a second (or as asked), asleep in between: the CPU figures of bench/engine-cpu.sh
    // are then the engine's own. With --clock-ms each line also gives the steady clock, so the
    // position can be compared with a recording of the sound.
    using namespace std::chrono;
    const double seconds = options.seconds;
    const auto start = steady_clock::now();
    const auto limit = start + duration_cast<steady_clock::duration>(duration<double>(seconds));
    const auto step = options.clockMs > 0
                          ? duration_cast<steady_clock::duration>(duration<double, std::milli>(options.clockMs))
                          : duration_cast<steady_clock::duration>(std::chrono::seconds(1));
    size_t nextEvent = 0;
    for (int tick = 0;; ++tick) {
        const auto now = steady_clock::now();
        while (nextEvent < options.events.size() &&
               now - start >= duration<double>(options.events[nextEvent].atSec)) {
            const auto& event = options.events[nextEvent++];
            static const char* const kNames[] = {"seek", "pitch", "volume"};
            if (event.kind == PlayOptions::Event::Seek)
                engine.seekMs(static_cast<int64_t>(event.value * 1000));
            else if (event.kind == PlayOptions::Event::Pitch)
                engine.setPitch(static_cast<int>(event.value));
            else
                engine.setVolume(static_cast<int>(event.value), static_cast<int>(event.value));
            std::printf("event=%s:%g clock=%lld\n", kNames[event.kind], event.value,
                        static_cast<long long>(
                            duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count()));
        }
        int32_t ms = engine.getPlayMs();
        if (options.clockMs > 0)
            std::printf("clock=%lld positionMs=%d\n",
                        static_cast<long long>(
                            duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count()),
                        ms);
        else
            std::printf("position=%d:%02d.%03d\n", ms / 60000, ms / 1000 % 60, ms % 1000);
        std::fflush(stdout);
        auto next = start + step * (tick + 1);
        if (nextEvent < options.events.size())
            next = std::min(next, start + duration_cast<steady_clock::duration>(duration<double>(
                                              options.events[nextEvent].atSec)));
        if (seconds > 0)
            next = std::min(next, limit);
        std::unique_lock lock(g_endMutex);
        if (g_endWake.wait_until(lock, next, [] { return g_ended.load(); }))
            break;
        if (seconds > 0 && steady_clock::now() >= limit)
            break;
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
    if (command == "play" && argc % 2 == 1) {
        PlayOptions options;
        for (int i = 3; i + 1 < argc; i += 2) {
            const std::string name = argv[i];
            const char* value = argv[i + 1];
            PlayOptions::Event event{};
            if (name == "--at" && parseEvent(value, event)) {
                options.events.push_back(event);
                continue;
            }
            if (!parseNumber(value, number))
                return usage();
            if (name == "--seconds")
                options.seconds = number;
            else if (name == "--pitch" && number >= 50 && number <= 300)
                options.pitch = static_cast<int>(number);
            else if (name == "--speed" && (number == 1 || number == 2 || number == 3))
                options.speed = static_cast<int>(number);
            else if (name == "--clock-ms" && number > 0)
                options.clockMs = number;
            else
                return usage();
        }
        std::stable_sort(options.events.begin(), options.events.end(),
                         [](const auto& a, const auto& b) { return a.atSec < b.atSec; });
        return play(path, options);
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
