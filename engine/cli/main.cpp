// morvane-engine: the playback engine from the command line (info, tag, decode, play, lyrics,
// spectrum, wave, response), for tests, benchmarks and users.
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <sndfile.h>

#include "analysis/bandresponse.h"
#include "analysis/spectrum.h"
#include "analysis/wave.h"
#include "decode/decoder.h"
#include "dsp/equalizer.h"
#include "lyrics/lyrics.h"
#include "lyrics/taglyrics.h"
#include "meta/replaygain.h"
#include "meta/tagreader.h"
#include "meta/tagwriter.h"
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
    std::fprintf(
        stderr,
        "usage: morvane-engine info FILE\n"
        "       morvane-engine tag FILE [--title T] [--artist A] [--album B] [--year Y]\n"
        "                               [--comment C] [--genre N]\n"
        "       morvane-engine decode FILE OUT.wav\n"
        "       morvane-engine play FILE... [--seconds N] [--pitch PERCENT] [--speed 1|2|3]\n"
        "                 [--eq G0,...,G9] [--clock-ms N] [--replaygain off|track|album|auto]\n"
        "                 [--preamp DB] [--untagged-gain DB] [--gain-cache FILE]\n"
        "                 [--at SEC:seek:TO_SEC|SEC:pitch:PERCENT|SEC:volume:0..100]...\n"
        "                 (several files play as one list, without gaps)\n"
        "       morvane-engine lyrics FILE.lrc|AUDIO MS\n"
        "       morvane-engine spectrum FILE SEC\n"
        "       morvane-engine wave FILE SEC\n"
        "       morvane-engine response SOURCE.wav PROCESSED.wav\n"
        "--eq: the ten band gains in tenths of a dB (-120..120), band 60 Hz first.\n"
        "MORVANE_AUDIO = pulse or sdl (default: pulse, else sdl), null or capture:PATH chooses\n"
        "the output.\n");
    return 2;
}

// Seconds far past any track (about eleven days): larger values are refused, not clamped.
constexpr double kMaxSeconds = 1e6;

bool parseNumber(const char* text, double& value)
{
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0';
}

// A number in 0..max; NaN, infinities and values past the range are refused.
bool parseInRange(const char* text, double& value, double max)
{
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text, &end);
    return end != text && *end == '\0' && errno == 0 && std::isfinite(value) && value >= 0 &&
           value <= max;
}

int outOfRange(const char* text, const char* unit, double max)
{
    return fail(std::string("out of range: ") + text + " (a number of " + unit + " from 0 to " +
                std::to_string(static_cast<long long>(max)) + ")");
}

int info(const std::string& path)
{
    PlaybackEngine engine;
    InputInfo input;
    if (!engine.open(path, input))
        return fail("cannot open " + path + " (missing, unreadable or no audio it can decode)");
    if (std::unique_ptr<Decoder> decoder = OpenDecoder(path, false))
        std::printf("format=%s\ncodec=%s\nbits=%d\n", AudioFormatName(decoder->format()),
                    decoder->codec().c_str(), decoder->bitsPerSample());
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
    // The stored ReplayGain figures and the gain each mode would apply (no pre-amplification).
    const ReplayGainTags gains = ReadReplayGain(path);
    auto figure = [](const std::optional<double>& value, const char* format) {
        char text[32] = "";
        if (value)
            std::snprintf(text, sizeof text, format, *value);
        return std::string(text);
    };
    std::printf("replayGainSource=%s\ntrackGain=%s\ntrackPeak=%s\nalbumGain=%s\nalbumPeak=%s\n",
                gains.source.c_str(), figure(gains.trackGainDb, "%.2f dB").c_str(),
                figure(gains.trackPeak, "%.6f").c_str(),
                figure(gains.albumGainDb, "%.2f dB").c_str(),
                figure(gains.albumPeak, "%.6f").c_str());
    for (ReplayGainMode mode : {ReplayGainMode::Track, ReplayGainMode::Album}) {
        ReplayGainSettings settings;
        settings.mode = mode;
        const ReplayGainChoice used =
            ChooseReplayGain(gains, settings, mode == ReplayGainMode::Album);
        std::printf("%sGainUsed=%.2f dB (%s)\n", mode == ReplayGainMode::Track ? "track" : "album",
                    used.gainDb, used.basis.c_str());
    }
    return 0;
}

// Writes the fields given over the file's present tag, the way the tag editor writes what its
// boxes hold after loading that tag. Genre N is 0..255, or -1 for none.
int tag(const std::string& path, int argc, char** argv)
{
    TagInfo tag;
    ReadTag(path, tag); // a file without a tag starts from empty fields
    for (int i = 3; i < argc; i += 2) {
        const std::string option = argv[i];
        if (i + 1 >= argc)
            return usage();
        const std::string value = argv[i + 1];
        if (option == "--title")
            tag.title = value;
        else if (option == "--artist")
            tag.artist = value;
        else if (option == "--album")
            tag.album = value;
        else if (option == "--year")
            tag.year = value;
        else if (option == "--comment")
            tag.comment = value;
        else if (option == "--genre") {
            double genre = 0;
            if (!parseNumber(value.c_str(), genre) || genre < -1 || genre > 255 ||
                genre != static_cast<int>(genre))
                return fail("not a genre number (0 to 255, or -1 for none): " + value);
            tag.genre = static_cast<int>(genre);
        } else
            return usage();
    }
    std::string error;
    if (!WriteTag(path, tag, error))
        return fail(error);
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
    std::vector<int32_t> eq; // the equaliser's band gains; empty: flat
    ReplayGainSettings replayGain;
    std::string gainCache; // the file of measured gains; empty: kept in memory
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
    // Each number finite and in its range before any arithmetic on it.
    const double max = event.kind == PlayOptions::Event::Seek    ? kMaxSeconds
                       : event.kind == PlayOptions::Event::Pitch ? 300
                                                                 : 100;
    return parseInRange(text.substr(0, first).c_str(), event.atSec, kMaxSeconds) &&
           parseInRange(text.substr(second + 1).c_str(), event.value, max);
}

// "G0,...,G9": ten whole numbers from -120 to 120.
bool parseGains(const std::string& text, std::vector<int32_t>& gains)
{
    gains.clear();
    size_t at = 0;
    for (;;) {
        size_t comma = text.find(',', at);
        std::string item = text.substr(at, comma == std::string::npos ? comma : comma - at);
        char* end = nullptr;
        long value = std::strtol(item.c_str(), &end, 10);
        if (item.empty() || *end != '\0' || value < -120 || value > 120)
            return false;
        gains.push_back(static_cast<int32_t>(value));
        if (comma == std::string::npos)
            break;
        at = comma + 1;
    }
    return gains.size() == Equalizer::kBands;
}

// Plays the files as one list: each next file is handed to the engine as the successor when it
// asks, so that it follows without a gap; a file the engine cannot join (another sample rate)
// starts after the end instead. A line "track=N" names each file when it starts to be heard.
int play(const std::vector<std::string>& paths, const PlayOptions& options)
{
    PlaybackEngine engine;
    InputInfo input;
    size_t heard = 0;              // the entry heard now
    size_t queued = paths.size(); // the entry handed over as successor (none: size)
    // Neighbouring entries of the same album (the tag's album field) take the album's gain.
    engine.loudness().setAlbumTest([&paths](const std::string& path) {
        auto at = std::find(paths.begin(), paths.end(), path);
        auto album = [](const std::string& file) {
            TagInfo tag;
            ReadTag(file, tag);
            return tag.album;
        };
        const std::string own = at == paths.end() ? std::string() : album(path);
        if (own.empty())
            return false;
        return (at != paths.begin() && album(*(at - 1)) == own) ||
               (at + 1 != paths.end() && album(*(at + 1)) == own);
    });
    engine.loudness().setCacheFile(options.gainCache);
    engine.loudness().setSettings(options.replayGain);
    std::string shownGain;
    auto showGain = [&] {
        const ReplayGainChoice used = engine.loudness().choice();
        char line[96];
        std::snprintf(line, sizeof line, "replaygain=%.2f dB (%s)\n", used.gainDb,
                      used.basis.c_str());
        if (line != shownGain)
            std::fputs(line, stdout);
        shownGain = line;
    };
    auto announce = [&] {
        std::printf("track=%zu\n", heard + 1);
        showGain();
        std::fflush(stdout);
    };
    if (!engine.open(paths[0], input))
        return fail("cannot open " + paths[0]);
    engine.callback(onEngineEvent);
    engine.setPitch(options.pitch);
    engine.setStepPitch(options.speed, 5);
    if (!options.eq.empty())
        engine.setEqualizer(options.eq.data());
    engine.play();
    announce();
    // One line a second (or as asked), asleep in between: the CPU figures of bench/engine-cpu.sh
    // are then the engine's own. With --clock-ms each line also gives the steady clock, so the
    // position can be compared with a recording of the sound. While a successor waits to be heard
    // the engine is asked every 20 ms, so the track line and the next successor come as it is.
    using namespace std::chrono;
    const double seconds = options.seconds;
    const auto start = steady_clock::now();
    const auto limit = start + duration_cast<steady_clock::duration>(duration<double>(seconds));
    const auto step = options.clockMs > 0
                          ? duration_cast<steady_clock::duration>(duration<double, std::milli>(options.clockMs))
                          : duration_cast<steady_clock::duration>(std::chrono::seconds(1));
    size_t nextEvent = 0;
    auto nextLine = start;
    for (;;) {
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
        if (now >= nextLine) {
            showGain(); // a measurement finished since
            if (options.clockMs > 0)
                std::printf("clock=%lld positionMs=%d\n",
                            static_cast<long long>(
                                duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count()),
                            ms);
            else
                std::printf("position=%d:%02d.%03d\n", ms / 60000, ms / 1000 % 60, ms % 1000);
            std::fflush(stdout);
            nextLine += step;
        }
        if (seconds > 0 && now >= limit)
            break;
        auto wake = queued < paths.size() ? std::min(nextLine, now + milliseconds(20)) : nextLine;
        if (nextEvent < options.events.size())
            wake = std::min(wake, start + duration_cast<steady_clock::duration>(duration<double>(
                                              options.events[nextEvent].atSec)));
        if (seconds > 0)
            wake = std::min(wake, limit);
        std::unique_lock lock(g_endMutex);
        g_endWake.wait_until(lock, wake, [] {
            return g_ended.load() || g_successorWanted.load() || g_successorHeard.load();
        });
    }
    engine.stop();
    if (options.replayGain.mode != ReplayGainMode::Off) {
        // A measurement begun is finished and kept, so the next run finds it.
        engine.loudness().waitIdle(60000);
        showGain();
        std::printf("measured=%d\n", engine.loudness().measuredCount());
    }
    return 0;
}

int lyrics(const std::string& path, double ms)
{
    Lyrics lyrics;
    if (!LoadLyricsFrom(path, lyrics))
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
    TrackDecoder decoder;
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
bool readStereo(const std::string& path, std::vector<int16_t>& frames, int& rate)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file)
        return false;
    std::vector<int16_t> samples(static_cast<size_t>(info.frames) * info.channels);
    sf_readf_short(file, samples.data(), info.frames);
    sf_close(file);
    rate = info.samplerate;
    frames.resize(static_cast<size_t>(info.frames) * 2);
    for (size_t i = 0; i < static_cast<size_t>(info.frames); ++i)
        for (int c = 0; c < 2; ++c)
            frames[2 * i + c] = samples[i * info.channels + std::min(c, info.channels - 1)];
    return info.channels == 1 || info.channels == 2;
}

// The gain of processed against source at the equaliser's band centres, in dB.
int response(const std::string& sourcePath, const std::string& processedPath)
{
    std::vector<int16_t> source, processed;
    int rate = 0, processedRate = 0;
    if (!readStereo(sourcePath, source, rate))
        return fail("cannot read " + sourcePath);
    if (!readStereo(processedPath, processed, processedRate) || processedRate != rate)
        return fail("cannot read " + processedPath + " at the source's sample rate");
    std::vector<double> centres(Equalizer::kCentreHz.begin(), Equalizer::kCentreHz.end());
    std::vector<double> gains = MeasureBandGainsDb(source, processed, rate, centres);
    if (gains.empty())
        return fail("too short to measure");
    for (size_t band = 0; band < gains.size(); ++band)
        std::printf("%g=%+.2f\n", centres[band], gains[band]);
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
    if (command == "tag")
        return tag(path, argc, argv);
    if (command == "decode" && argc == 4)
        return decode(path, argv[3]);
    if (command == "play") {
        std::vector<std::string> paths;
        PlayOptions options;
        for (int i = 2; i < argc; ++i) {
            const std::string name = argv[i];
            if (name.rfind("--", 0) != 0) {
                paths.push_back(name);
                continue;
            }
            if (++i >= argc)
                return usage();
            const char* value = argv[i];
            PlayOptions::Event event{};
            if (name == "--at") {
                if (!parseEvent(value, event))
                    return fail(std::string("not SEC:seek:TO_SEC, SEC:pitch:PERCENT or "
                                            "SEC:volume:0..100 with numbers in range: ") +
                                value);
                options.events.push_back(event);
                continue;
            }
            if (name == "--eq") {
                if (!parseGains(value, options.eq))
                    return fail(std::string("not ten gains from -120 to 120: ") + value);
                continue;
            }
            if (name == "--replaygain") {
                const std::string mode = value;
                options.replayGain.mode = mode == "off"     ? ReplayGainMode::Off
                                          : mode == "track" ? ReplayGainMode::Track
                                          : mode == "album" ? ReplayGainMode::Album
                                          : mode == "auto"  ? ReplayGainMode::AlbumRuns
                                                            : ReplayGainMode(-1);
                if (options.replayGain.mode == ReplayGainMode(-1))
                    return usage();
                continue;
            }
            if (name == "--gain-cache") {
                options.gainCache = value;
                continue;
            }
            if (name == "--seconds" && !parseInRange(value, number, kMaxSeconds))
                return outOfRange(value, "seconds", kMaxSeconds);
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
            else if (name == "--preamp" && number >= -6 && number <= 12)
                options.replayGain.preampDb = number;
            else if (name == "--untagged-gain" && std::fabs(number) <= kMaxReplayGainDb)
                options.replayGain.untaggedDb = number;
            else
                return usage();
        }
        if (paths.empty())
            return usage();
        std::stable_sort(options.events.begin(), options.events.end(),
                         [](const auto& a, const auto& b) { return a.atSec < b.atSec; });
        return play(paths, options);
    }
    if ((command == "lyrics" || command == "spectrum" || command == "wave") && argc == 4) {
        // lyrics takes milliseconds, spectrum and wave seconds.
        const bool ms = command == "lyrics";
        const double max = ms ? kMaxSeconds * 1000 : kMaxSeconds;
        if (!parseInRange(argv[3], number, max))
            return outOfRange(argv[3], ms ? "milliseconds" : "seconds", max);
        if (command == "lyrics")
            return lyrics(path, number);
        return analyse(path, number, command == "spectrum");
    }
    if (command == "response" && argc == 4)
        return response(path, argv[3]);
    return usage();
}
