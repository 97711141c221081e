// PlaybackEngine: the caller-side state machine and the decode thread.
#include "playbackengine.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>

#include <pthread.h>
#include <time.h>

#include "analysis/wave.h"
#include "dsp/samplecast.h"
#include "meta/mpeginfo.h"
#include "meta/tagreader.h"
#include "meta/tagwriter.h"
#include "output/silentnotice.h"

namespace {
// Played frames kept in the ring for the visualisations and for a device's rewind: more than the
// sound server's buffer at any rate.
constexpr size_t kHistoryFrames = 65536;
// The queue never gets shorter than this, whatever OutBlock says, so the device cannot starve.
constexpr size_t kMinQueueFrames = 8192;
// A successor is asked for when the decoder is this close to the end of the stream (or a burst,
// when longer), so the caller has seconds to answer before the last frame is heard.
constexpr int64_t kAskAheadSeconds = 10;
// MPEG frames decoded between checks for a new command (keeps seeks fast with a large InBlock).
constexpr int kChunkMpegFrames = 16;
constexpr size_t kMaxOutBlock = 1000;
// A burst decoded into the ring is InBlock or this many OutBlocks of MPEG frames, whichever is
// more, but no more than kMaxBurstSeconds of audio (the default settings give eight seconds).
constexpr size_t kBurstOutBlocks = 16;
constexpr size_t kMaxBurstSeconds = 8;
// The longest wait for the device to play the queue down (between bursts, before the end), longer
// than a burst lasts: a device slower than its clock costs only another wake-up, as the queue is
// measured each time.
constexpr double kLongestQueueWaitNs = (kMaxBurstSeconds + 2) * 1e9;
// A new pitch or tempo is joined to the queue this far ahead of the frame heard (it must be made
// and the device refreshed before then), from this much earlier input so SoundTouch is running.
constexpr int64_t kRetuneLeadMs = 80;
constexpr int64_t kRetunePrerollMs = 150;
// The new audio is made in small steps, so that no more is made before the join than needed.
constexpr int kRetuneMpegFrames = 4;
constexpr int64_t kRetuneCoverFrames = 8192;
constexpr int kRetuneSpacingMs = 40;

void NoticeOutputFallback(const std::string& why, const AudioOutput* output)
{
    // No device at all: said once on standard error and handed to the interface for the user.
    if (dynamic_cast<const NullOutput*>(output)) {
        NoteSilentOutput(why);
        return;
    }
    static std::atomic<bool> told{false};
    if (!told.exchange(true))
        std::fprintf(stderr, "morvane: no sound server (%s); using SDL2\n", why.c_str());
}
} // namespace

PlaybackEngine::PlaybackEngine(OutputConfig output) : m_outputConfig(std::move(output)) {}

PlaybackEngine::~PlaybackEngine()
{
    free();
}

int PlaybackEngine::init()
{
    if (m_initialized)
        return 1;
    m_quit = false;
    m_running = false;
    m_stopRequest = false;
    m_jumpRequest = -1;
    m_spectrum = std::make_unique<SpectrumAnalyzer>();
    m_thread = std::thread(&PlaybackEngine::decodeLoop, this);
    m_initialized = true;
    return 1;
}

void PlaybackEngine::free()
{
    if (!m_initialized)
        return;
    close();
    m_converter.cancel();
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    m_thread.join();
    if (m_output)
        m_output->stop();
    m_output.reset();
    m_outputRate = 0;
    m_ringCapacity = 0;
    m_spectrum.reset();
    m_initialized = false;
}

void PlaybackEngine::close()
{
    if (!m_initialized)
        return;
    stop();
    {
        std::lock_guard lock(m_mutex);
        m_decoder.close();
        m_queue.reset(0);
    }
    m_open = false;
    m_path.clear();
    m_info = {};
    m_lengthFrames = 0;
    m_lyrics.clear();
}

void PlaybackEngine::callback(Callback proc)
{
    m_callback.store(proc);
}

void PlaybackEngine::notify(int32_t code)
{
    if (Callback proc = m_callback.load())
        proc(code, 0);
}

size_t PlaybackEngine::queueLimitFrames() const
{
    size_t spf = static_cast<size_t>(m_decoder.isOpen() ? m_decoder.samplesPerFrame() : 1152);
    return std::max(kMinQueueFrames, static_cast<size_t>(m_outBlock.load()) * spf);
}

void PlaybackEngine::ensureOutput(int sampleRate)
{
    // Room for a full queue and a burst on top, the same again written after a discard, and
    // the played history.
    size_t capacity = 2 * (queueLimitFrames() + burstFrames());
    // A device lost while playing is opened again (the server may be back).
    if (m_output && !m_output->lost() && m_outputRate == sampleRate && capacity <= m_ringCapacity)
        return;
    if (m_output)
        m_output->stop();
    m_ring.reset(capacity, kHistoryFrames);
    m_ringCapacity = capacity;
    m_clock.reset(sampleRate);
    m_gain.configure(sampleRate);
    m_renderer.configure(sampleRate);
    std::string why;
    m_output = StartOutput(m_outputConfig, sampleRate, &m_renderer, why);
    // No device (a headless machine, a busy card): the null output keeps time instead.
    if (!why.empty())
        NoticeOutputFallback(why, m_output.get());
    m_outputRate = sampleRate;
}

int PlaybackEngine::open(const std::string& path, InputInfo& info)
{
    init();
    info = {};
    // The track before stays open (and goes on playing) until this one has opened, so a list
    // can go on from it when the file cannot be read.
    TrackDecoder fresh;
    TrackRecord track;
    if (!OpenTrackFile(path, fresh, track))
        return 0;
    close();
    {
        std::lock_guard lock(m_mutex);
        m_decoder.swap(fresh);
        track.number = ++m_trackCount;
        m_queue.reset(track.number);
        m_successorAsked = false;
        m_pitchTempo.configure(track.info.sampleRate);
    }
    m_loudness.trackOpened(track.number, path);
    takeTrack(track);
    info = m_info;
    m_clock.clearMarkers();
    m_stopFrame.store(0);
    return 1;
}

void PlaybackEngine::takeTrack(const TrackRecord& track)
{
    m_path = track.path;
    m_info = track.info;
    m_lengthFrames = track.lengthFrames;
    m_open = true;
}

int PlaybackEngine::setNextTrack(const std::string& path, InputInfo& info)
{
    info = {};
    followHeardTrack();
    bool rewind = false;
    int accepted = 0;
    auto nextIsPath = [&] {
        std::lock_guard lock(m_mutex);
        const TrackRecord* next = m_queue.successor();
        if (next && next->path == path)
            info = next->info;
        return next && next->path == path;
    };
    auto decoder = std::make_unique<TrackDecoder>();
    TrackRecord track;
    if (!path.empty() && m_open && m_state.load() != Stopped) {
        if (nextIsPath())
            return 1;
        accepted = OpenTrackFile(path, *decoder, track) && track.info.sampleRate > 0;
    }
    int number = 0;
    {
        std::lock_guard lock(m_mutex);
        if (accepted) {
            track.number = number = ++m_trackCount;
            info = track.info;
            rewind = m_queue.offer(std::move(track), std::move(decoder));
        } else {
            rewind = m_queue.withdraw();
        }
    }
    // Its gain is in place before its first frame can be heard.
    if (number > 0)
        m_loudness.trackOpened(number, path);
    // Audio of the successor it replaces is queued already: decode again from the frame heard.
    if (rewind)
        postJump(heardTrackFrame());
    else
        m_wake.notify_all();
    return accepted;
}

void PlaybackEngine::followHeardTrack()
{
    const int joined = m_queue.joinedTrack();
    if (joined == 0 || !m_output)
        return;
    int heard = 0;
    if (m_clock.trackFrameAt(m_clock.heardIndex(m_output->nowNs()), &heard) < 0 || heard != joined)
        return;
    TrackRecord track;
    bool asked = false;
    {
        std::lock_guard lock(m_mutex);
        if (!m_queue.adopt(joined, track))
            return;
        asked = m_successorAsked;
    }
    takeTrack(track);
    // Lyrics belong to a track: the caller gives the new one's as it does after open.
    m_lyrics.clear();
    notify(kSuccessorHeard);
    // Said before the caller knew of this track: said again for it.
    if (asked)
        notify(kSuccessorWanted);
}

int PlaybackEngine::reopen(const std::string& path, InputInfo& info)
{
    if (!m_open || path != m_path)
        return 0;
    // The file is read again from its path (a tag written since replaced it by rename). The
    // running decoder keeps its descriptor, whose audio is the same, so the sound, the state and
    // the position go on untouched.
    TrackDecoder fresh;
    if (!fresh.open(path, true) || fresh.sampleRate() != m_info.sampleRate ||
        fresh.channels() != m_info.channels)
        return 0;
    info = {};
    ReadInputInfo(path, fresh, info);
    m_info = info;
    return 1;
}

int PlaybackEngine::getTagInfo(TagInfo& tag)
{
    tag = {};
    if (!m_open)
        return 0;
    return ReadTag(m_path, tag) ? 1 : 0;
}

int PlaybackEngine::setTagInfo(const std::string& path, const TagInfo& tag, int32_t, int32_t b)
{
    if (b == 0)
        return 1;
    // The file is replaced by rename; the decoder keeps reading the old file through its
    // descriptor, so a playing track goes on from the same sample.
    std::string error;
    return WriteTag(path, tag, error) ? 1 : 0;
}

int PlaybackEngine::getMpegInfo(MpegInfo& info)
{
    info = {};
    // Frame headers belong to MPEG files; other formats' data can look like one by chance.
    if (!m_open || SniffAudioFormat(m_path) != AudioFormat::Mpeg)
        return 0;
    return ReadMpegInfo(m_path, info) ? 1 : 0;
}

int PlaybackEngine::setOption(int32_t inBlock, int32_t outBlock, int32_t inSleep, int32_t outSleep)
{
    if (!OptionsValid(inBlock, outBlock, inSleep, outSleep))
        return 0;
    m_inBlock.store(inBlock);
    m_outBlock.store(static_cast<int>(std::min<size_t>(outBlock, kMaxOutBlock)));
    m_inSleepMs.store(inSleep);
    m_outSleepMs.store(outSleep);
    // A longer queue needs a larger ring; resize it now when nothing plays, else at the next open.
    if (m_output && m_open && m_state.load() == Stopped)
        ensureOutput(m_info.sampleRate);
    return 1;
}

int PlaybackEngine::setLyricsFile(const std::string& path)
{
    return LoadLyricsFrom(path, m_lyrics) ? 1 : 0;
}

int PlaybackEngine::getLyrics(LyricsRecord& record)
{
    record = {};
    if (!m_open)
        return 0;
    return m_lyrics.lookup(getPlayMs(), record);
}

void PlaybackEngine::setVolume(int left, int right)
{
    m_gain.setVolume(left, right);
    if (m_state.load() != Stopped)
        refreshOutput();
}

void PlaybackEngine::refreshOutput()
{
    // The device renders its buffer again, so the change is heard now and not after it.
    std::unique_lock use(m_outputSwitch, std::try_to_lock);
    if (use && m_output)
        m_output->refresh();
}

void PlaybackEngine::postJump(int64_t frame)
{
    m_pendingJump.store(frame);
    {
        std::lock_guard lock(m_mutex);
        m_stopRequest = false;
        m_jumpRequest = frame;
        ++m_requestSerial;
    }
    m_wake.notify_all();
}

void PlaybackEngine::stopDecoderAndWait()
{
    int64_t heard = m_open && m_state.load() != Stopped ? heardTrackFrame() : -1;
    m_renderer.setPlaying(false);
    std::unique_lock lock(m_mutex);
    m_stopHeardFrame = heard;
    m_jumpRequest = -1;
    m_stopRequest = true;
    uint64_t serial = ++m_requestSerial;
    m_wake.notify_all();
    m_idle.wait(lock, [&] { return m_doneSerial >= serial || m_quit; });
    m_pendingJump.store(-1);
}

void PlaybackEngine::play()
{
    followHeardTrack();
    if (!m_open)
        return;
    int state = m_state.load();
    if (state == Paused) {
        restart();
        return;
    }
    if (state == Playing)
        return;
    // The device opens with the first play, so reading a file's information never touches it.
    ensureOutput(m_info.sampleRate);
    if (m_fadeIn.load())
        m_gain.startFadeIn();
    else
        m_gain.cancelFade();
    m_state.store(Playing);
    postJump(m_stopFrame.load());
    m_renderer.setPlaying(true);
}

void PlaybackEngine::stop()
{
    if (!m_initialized)
        return;
    followHeardTrack();
    stopDecoderAndWait();
    m_state.store(Stopped);
    m_stopFrame.store(0);
    refreshOutput();
}

void PlaybackEngine::pause()
{
    if (m_state.load() != Playing)
        return;
    m_state.store(Paused);
    m_renderer.setPlaying(false, true);
    refreshOutput();
}

void PlaybackEngine::restart()
{
    if (m_state.load() != Paused)
        return;
    if (m_fadeIn.load())
        m_gain.startFadeIn();
    m_state.store(Playing);
    m_renderer.setPlaying(true, true);
    refreshOutput();
}

int64_t PlaybackEngine::heardTrackFrame()
{
    int64_t pending = m_pendingJump.load();
    if (pending >= 0)
        return pending;
    if (!m_output)
        return 0;
    int64_t heard = m_clock.heardIndex(m_output->nowNs());
    int64_t frame = m_clock.trackFrameAt(heard);
    if (frame < 0)
        return 0;
    return m_lengthFrames > 0 ? std::min(frame, m_lengthFrames) : frame;
}

int64_t PlaybackEngine::positionFrames()
{
    followHeardTrack();
    if (!m_open)
        return 0;
    if (m_state.load() == Stopped)
        return m_stopFrame.load();
    return heardTrackFrame();
}

int32_t PlaybackEngine::getPlayMs()
{
    if (!m_open || m_info.sampleRate <= 0)
        return 0;
    return static_cast<int32_t>(positionFrames() * 1000 / m_info.sampleRate);
}

int PlaybackEngine::getState(int32_t& sec)
{
    int state = m_state.load();
    sec = getPlayMs() / 1000;
    return state;
}

int64_t PlaybackEngine::msToFrame(int64_t ms) const
{
    // Any 64-bit value may come (a D-Bus client, settings): bound it before multiplying.
    constexpr int64_t kMaxMs = int64_t{1} << 40; // about 35 years
    ms = std::clamp<int64_t>(ms, 0, kMaxMs);
    int64_t frame = ms * m_info.sampleRate / 1000;
    return m_lengthFrames > 0 ? std::min(frame, m_lengthFrames) : frame;
}

void PlaybackEngine::seek(int32_t sec)
{
    seekMs(static_cast<int64_t>(sec) * 1000);
}

void PlaybackEngine::seekMs(int64_t ms)
{
    followHeardTrack();
    if (!m_open)
        return;
    int64_t frame = msToFrame(ms);
    if (m_state.load() == Stopped)
        m_stopFrame.store(frame);
    else
        postJump(frame);
}

void PlaybackEngine::setFadeIn(int on)
{
    m_fadeIn.store(on != 0);
}

void PlaybackEngine::fadeOut()
{
    int state = m_state.load();
    if (state == Playing) {
        m_gain.startFadeOut();
        refreshOutput();
        m_wake.notify_all(); // the decode thread watches for the fade's end more often
    } else if (state == Paused)
        stop();
}

bool PlaybackEngine::copyHeard(int16_t* frames, int count)
{
    if (m_state.load() != Playing || !m_output)
        return false;
    int64_t heard = m_clock.heardIndex(m_output->nowNs());
    return heard >= count && m_ring.copyHistory(heard - count, static_cast<size_t>(count), frames);
}

int PlaybackEngine::getWave(int32_t* left, int32_t* right)
{
    int16_t frames[kWaveSamples * 2];
    if (!copyHeard(frames, kWaveSamples)) {
        std::fill(left, left + kWaveSamples, 0);
        std::fill(right, right + kWaveSamples, 0);
        return 0;
    }
    ComputeWave(frames, kWaveSamples, 2, left, right);
    return 1;
}

int PlaybackEngine::getSpectrum(int32_t* left, int32_t* right)
{
    int16_t frames[kSpectrumFftSize * 2];
    if (!m_spectrum || !copyHeard(frames, kSpectrumFftSize)) {
        std::fill(left, left + kSpectrumBands, 0);
        std::fill(right, right + kSpectrumBands, 0);
        return 0;
    }
    m_spectrum->compute(frames, kSpectrumFftSize, 2, left, right);
    return 1;
}

void PlaybackEngine::setEqualizer(const int32_t* gains)
{
    // The equaliser works as the audio goes to the device: the new shape glides in within a few
    // tens of milliseconds of what the device renders next, with nothing queued to make again.
    if (m_renderer.equalizer().setGains(gains) && m_state.load() != Stopped)
        refreshOutput();
}

void PlaybackEngine::reload()
{
    // Nothing queued depends on the equaliser, and pitch and speed remake the queue themselves
    // when they change: a re-read from the frame heard would only put a jump into the sound.
}

void PlaybackEngine::setPitch(int percent)
{
    percent = std::clamp(percent, 50, 300);
    if (m_pitchPercent.exchange(percent) != percent)
        postRetune();
}

void PlaybackEngine::setStepPitch(int step, int divisor)
{
    if (divisor != 5)
        return;
    step = std::clamp(step, 1, 3);
    if (m_tempoStep.exchange(step) != step)
        postRetune();
}

void PlaybackEngine::postRetune()
{
    // Stopped: the next start takes the setting.
    if (!m_open || m_state.load() == Stopped)
        return;
    {
        std::lock_guard lock(m_mutex);
        m_retuneRequest = true;
    }
    m_wake.notify_all();
}

int PlaybackEngine::getPitch()
{
    return m_pitchPercent.load();
}

int PlaybackEngine::setDecodeOption(const DecodeOption& option)
{
    if (option.format != 0 || option.channels < 0 || option.channels > 2 ||
        option.blockSamples < 256 || option.blockSamples > 1 << 20)
        return 0;
    m_decodeOption = option;
    return 1;
}

int PlaybackEngine::decodeWave(const std::string& path)
{
    if (!m_open || path.empty())
        return 0;
    int blockFrames = std::max(1, m_decodeOption.blockSamples / std::max(1, m_info.channels));
    return m_converter.start(m_path, path, blockFrames, [this] { notify(kTrackEnded); }) ? 1 : 0;
}

int PlaybackEngine::playDecodeWave(const std::string& path)
{
    if (!m_open || path.empty())
        return 0;
    {
        std::lock_guard lock(m_mutex);
        m_playWavRequest = path;
    }
    m_wake.notify_all();
    return 1;
}

int PlaybackEngine::decodeProgress()
{
    return m_converter.progress();
}

std::string PlaybackEngine::decodeError()
{
    return m_converter.error();
}

double PlaybackEngine::decodeThreadCpuSeconds()
{
    clockid_t clock{};
    timespec ts{};
    if (!m_thread.joinable() || pthread_getcpuclockid(m_thread.native_handle(), &clock) != 0 ||
        clock_gettime(clock, &ts) != 0)
        return 0;
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// ---- decode thread ----

void PlaybackEngine::finishPlayWave(int64_t heardFrame)
{
    if (!m_playWriter.isOpen())
        return;
    // Stopped early: the file ends with the frame heard last, not with what was queued after it.
    if (heardFrame >= 0 && !m_playWaveJumped && m_playWaveFirstFrame >= 0 &&
        heardFrame >= m_playWaveFirstFrame)
        m_playWriter.truncate(heardFrame - m_playWaveFirstFrame);
    std::string ignored;
    m_playWriter.finish(ignored);
    m_playWaveFirstFrame = -1;
    m_playWaveJumped = false;
}

void PlaybackEngine::applyJump(int64_t frame)
{
    // Jumping after the end of the stream: the file being written holds the whole track.
    if (m_draining)
        finishPlayWave();
    m_ring.discardQueued();
    m_segmentStartIndex = m_refreshFrom = m_ring.writeIndex();
    m_retuneRequest = false; // the jump takes the current pitch and tempo
    m_splice.cancel();
    if (m_playWriter.isOpen() && m_playWaveFirstFrame >= 0)
        m_playWaveJumped = true;
    // A jump is a position in the heard track: a successor joined but not heard is undone.
    undoJoin();
    int64_t at = m_decoder.seek(frame);
    int pitch = m_pitchPercent.load();
    double tempo = m_tempoStep.load();
    m_pitchTempo.set(pitch, tempo);
    m_pitchTempo.clear();
    const int track = m_queue.decoderTrack();
    if (m_pitchTempo.bypassed())
        m_clock.addMarker(m_ring.writeIndex(), at, 1.0, at, false, track);
    else
        m_clock.addMarker(m_ring.writeIndex(), at - m_pitchTempo.alignmentFrames(), tempo, at,
                          false, track);
    int64_t expected = frame;
    m_pendingJump.compare_exchange_strong(expected, -1);
    m_outbox.clear();
    m_outboxDone = 0;
    m_segmentIn = m_segmentOut = 0;
    m_draining = false;
    m_flushed = false;
    m_sinceSleep = 0;
    m_restUntil = {};
    m_filling = true;
    m_running = true;
    m_refreshAfterJump = true;
}

void PlaybackEngine::refreshAfterJump()
{
    // The device's buffer still holds audio from before the jump: replace it once the ring can
    // fill it, or the shortfall would play as silence.
    if (!m_refreshAfterJump || !m_output)
        return;
    const int64_t wanted = m_output->bufferFrames();
    if (m_ring.writeIndex() - m_refreshFrom < wanted && !m_draining)
        return;
    m_refreshAfterJump = false;
    m_output->refresh();
}

void PlaybackEngine::applyRetune(std::unique_lock<std::mutex>& lock)
{
    // A new pitch or tempo replaces the queued audio from a point a little ahead of what is heard:
    // far enough for the new audio to be made and the device refreshed before it is due, near
    // enough to be heard at once. The decoder goes back a little before that point so SoundTouch
    // and the equaliser are running when it comes, the frames made before it are dropped and the
    // first few cross-fade with the old audio, which plays on while the new audio is made.
    const int rate = std::max(1, m_decoder.sampleRate());
    const int pitch = m_pitchPercent.load();
    const double tempo = m_tempoStep.load();
    const int64_t write = m_ring.writeIndex();
    const int64_t heard = m_clock.heardIndex(m_output ? m_output->nowNs() : 0);
    int64_t join = std::max(heard, m_segmentStartIndex) + kRetuneLeadMs * rate / 1000;
    // A device without refresh keeps what it took: join just after it (its buffer is short).
    if (m_output && m_output->bufferFrames() == 0)
        join = std::max(join, m_ring.readIndex() + 2 * SpliceHead::kCrossfadeFrames);
    int spliceTrack = 0;
    const int64_t joinFrame = m_clock.trackFrameAt(join, &spliceTrack);
    std::vector<int16_t> old(static_cast<size_t>(SpliceHead::kCrossfadeFrames) * 2);
    if (join + SpliceHead::kCrossfadeFrames > write || joinFrame < 0 ||
        !m_ring.copyHistory(join, SpliceHead::kCrossfadeFrames, old.data())) {
        // Too little queued to splice (the end of the track): the new setting simply goes on
        // from the queue's end.
        const int64_t at = write + static_cast<int64_t>(m_outbox.size() / 2 - m_outboxDone);
        const int64_t frame = std::max<int64_t>(0, m_clock.trackFrameAt(at));
        if (m_pitchTempo.bypassed())
            m_pitchTempo.clear();
        m_pitchTempo.set(pitch, tempo);
        m_clock.addMarker(at, frame, m_pitchTempo.bypassed() ? 1.0 : tempo, frame, true,
                          m_queue.decoderTrack());
        return;
    }
    // The splice point lies before a successor joined but not heard: the heard track's stream
    // comes back, and the successor joins again at its end.
    if (spliceTrack != m_queue.decoderTrack())
        undoJoin();
    const int64_t start =
        m_decoder.seek(std::max<int64_t>(0, joinFrame - kRetunePrerollMs * rate / 1000));
    m_pitchTempo.set(pitch, tempo);
    m_pitchTempo.clear();
    const bool bypassed = m_pitchTempo.bypassed();
    const int64_t drop =
        bypassed ? joinFrame - start
                 : std::llround(static_cast<double>(joinFrame - start +
                                                    m_pitchTempo.alignmentFrames()) /
                                tempo);
    m_splice.begin(drop, std::move(old));
    m_outbox.clear();
    m_outboxDone = 0;
    m_segmentIn = m_segmentOut = 0;
    m_draining = false;
    m_flushed = false;
    // Made before the queue is cut, so the device never finds it short: past what it may have
    // taken meanwhile, by more than it takes at once.
    const int64_t cover = kRetuneCoverFrames;
    lock.unlock();
    while (!m_draining &&
           (m_splice.active() ||
            join + static_cast<int64_t>(m_outbox.size() / 2) < m_ring.readIndex() + cover))
        decodeBlock(static_cast<size_t>(m_decoder.samplesPerFrame()) * kRetuneMpegFrames);
    lock.lock();
    // The device went on meanwhile and may have heard, or taken, the frames at the join: the
    // join moves past them, to old frames still ahead, and cross-fades there instead.
    const bool refreshes = m_output && m_output->bufferFrames() > 0;
    const double step = bypassed ? 1.0 : tempo;
    int64_t startFrame = joinFrame;
    for (;;) {
        int64_t earliest =
            m_clock.heardIndex(m_output ? m_output->nowNs() : 0) + kRetuneLeadMs * rate / 1000;
        if (!refreshes)
            earliest = std::max(earliest, m_ring.readIndex() + 2 * SpliceHead::kCrossfadeFrames);
        bool movable = earliest > join && !m_draining &&
                       earliest + SpliceHead::kCrossfadeFrames <= m_ring.writeIndex();
        if (movable && earliest - join + SpliceHead::kCrossfadeFrames >
                           static_cast<int64_t>(m_outbox.size() / 2)) {
            lock.unlock();
            decodeBlock(static_cast<size_t>(m_decoder.samplesPerFrame()) * kRetuneMpegFrames);
            lock.lock();
            continue;
        }
        std::vector<int16_t> later(static_cast<size_t>(SpliceHead::kCrossfadeFrames) * 2);
        movable =
            movable && m_ring.copyHistory(earliest, SpliceHead::kCrossfadeFrames, later.data());
        if (movable) {
            m_splice.begin(earliest - join, std::move(later));
            m_splice.apply(m_outbox, 0);
            startFrame = joinFrame + std::llround(static_cast<double>(earliest - join) * step);
            join = earliest;
        }
        // A device that refreshes drops what it took; near the queue's end there is no later
        // join to take.
        if (refreshes || (earliest > join && !movable)) {
            m_ring.rewindWrite(join);
            break;
        }
        if (m_ring.rewindWriteUntaken(join))
            break;
    }
    m_clock.addMarker(join, startFrame, step, startFrame, true, m_queue.decoderTrack());
    // Into the ring at once: the device's next read finds the new audio, not a shortfall.
    writeOutbox(queueLimitFrames() + burstFrames());
    m_filling = true;
    m_refreshFrom = join;
    m_refreshAfterJump = true;
}

void PlaybackEngine::processBlock(const int16_t* in, int frames)
{
    const int channels = m_decoder.channels();
    const bool stretch = !m_pitchTempo.bypassed();
    size_t start = m_outbox.size();
    if (!stretch) {
        // Bypassed exactly: the decoder's samples go to the ring unchanged.
        m_outbox.resize(start + static_cast<size_t>(frames) * 2);
        int16_t* out = m_outbox.data() + start;
        if (channels == 2)
            std::memcpy(out, in, static_cast<size_t>(frames) * 2 * sizeof(int16_t));
        else
            for (int i = 0; i < frames; ++i)
                out[2 * i] = out[2 * i + 1] = in[i];
        m_segmentIn += frames;
        m_segmentOut += frames;
        if (m_splice.active())
            m_splice.apply(m_outbox, start);
        return;
    }
    m_floatBuffer.resize(static_cast<size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        m_floatBuffer[2 * i] = in[i * channels] / 32768.0f;
        m_floatBuffer[2 * i + 1] = in[i * channels + channels - 1] / 32768.0f;
    }
    m_stretched.clear();
    if (frames > 0) {
        m_pitchTempo.process(m_floatBuffer.data(), frames, m_stretched);
    } else {
        // End of the stream: let out what SoundTouch holds, but no more than the track's length
        // at this tempo (its flush pads with silence).
        m_pitchTempo.flush(m_stretched);
        int64_t expected = std::llround(m_segmentIn / m_pitchTempo.tempo());
        int64_t allowed = std::max<int64_t>(0, expected - m_segmentOut);
        if (static_cast<int64_t>(m_stretched.size() / 2) > allowed)
            m_stretched.resize(static_cast<size_t>(allowed) * 2);
    }
    m_segmentIn += frames;
    size_t outFrames = m_stretched.size() / 2;
    m_segmentOut += static_cast<int64_t>(outFrames);
    m_outbox.resize(start + outFrames * 2);
    int16_t* out = m_outbox.data() + start;
    for (size_t i = 0; i < outFrames * 2; ++i) {
        float v = std::clamp(m_stretched[i] * 32768.0f, -32768.0f, 32767.0f);
        out[i] = RoundToSample(v);
    }
    if (m_splice.active())
        m_splice.apply(m_outbox, start);
}

size_t PlaybackEngine::burstFrames() const
{
    const bool open = m_decoder.isOpen();
    const size_t rate = static_cast<size_t>(open ? m_decoder.sampleRate() : 44100);
    const size_t spf = static_cast<size_t>(open ? m_decoder.samplesPerFrame() : 1152);
    const size_t mpegFrames = std::max(static_cast<size_t>(m_inBlock.load()),
                                       kBurstOutBlocks * static_cast<size_t>(m_outBlock.load()));
    return std::min(mpegFrames * spf, kMaxBurstSeconds * rate);
}

size_t PlaybackEngine::chunkFrames() const
{
    return static_cast<size_t>(std::min(m_inBlock.load(), kChunkMpegFrames)) *
           static_cast<size_t>(m_decoder.samplesPerFrame());
}

bool PlaybackEngine::plainPath()
{
    return m_outbox.empty() && m_pitchTempo.bypassed() && !m_splice.active();
}

void PlaybackEngine::decodeIntoRing(size_t frames, size_t queueLimit)
{
    const int channels = m_decoder.channels();
    size_t total = 0;
    while (total < frames) {
        size_t span = 0;
        int16_t* out = m_ring.writeSpan(queueLimit, span);
        span = std::min(span, frames - total);
        if (span == 0)
            break;
        // A mono block lands in the first half of the span and is spread to stereo in place.
        int got = m_decoder.read(out, static_cast<int>(span));
        writePlayWave(out, got);
        if (channels == 1)
            for (int i = got - 1; i >= 0; --i)
                out[2 * i] = out[2 * i + 1] = out[i];
        m_ring.commit(static_cast<size_t>(got));
        total += static_cast<size_t>(got);
        if (static_cast<size_t>(got) < span) {
            // The decoder has ended. A file being written stays open until the end is heard, so
            // that a stop before then still cuts it at the frame heard.
            m_draining = true;
            break;
        }
    }
    m_segmentIn += static_cast<int64_t>(total);
    m_segmentOut += static_cast<int64_t>(total);
    m_sinceSleep += std::max(1, static_cast<int>(total) / m_decoder.samplesPerFrame());
}

void PlaybackEngine::writePlayWave(const int16_t* decoded, int frames)
{
    if (frames <= 0 || !m_playWriter.isOpen())
        return;
    if (m_playWaveFirstFrame < 0)
        m_playWaveFirstFrame = m_decoder.positionFrames() - frames;
    m_playWriter.write(decoded, frames);
}

void PlaybackEngine::decodeBlock(size_t frames)
{
    const int channels = m_decoder.channels();
    const int chunk =
        static_cast<int>(frames > 0 ? std::min(frames, chunkFrames()) : chunkFrames());
    m_readBuffer.resize(static_cast<size_t>(chunk) * channels);
    int got = m_decoder.read(m_readBuffer.data(), chunk);
    writePlayWave(m_readBuffer.data(), got);
    if (got == 0) {
        m_draining = true; // the stretcher is flushed once no successor follows
    } else {
        processBlock(m_readBuffer.data(), got);
        m_sinceSleep += std::max(1, got / m_decoder.samplesPerFrame());
    }
}

bool PlaybackEngine::writeOutbox(size_t queueLimit)
{
    size_t total = m_outbox.size() / 2;
    if (m_outboxDone < total)
        m_outboxDone +=
            m_ring.write(m_outbox.data() + m_outboxDone * 2, total - m_outboxDone, queueLimit);
    if (m_outboxDone < total)
        return false;
    m_outbox.clear();
    m_outboxDone = 0;
    return true;
}

void PlaybackEngine::endOfTrack(bool callEnd)
{
    if (m_holdIndex >= 0) {
        m_holdIndex = -1;
        m_renderer.release();
    }
    m_running = false;
    m_draining = false;
    m_renderer.setPlaying(false);
    m_ring.discardQueued();
    m_state.store(Stopped);
    m_stopFrame.store(0);
    finishPlayWave();
    if (callEnd)
        notify(kTrackEnded);
}

bool PlaybackEngine::nearEnd() const
{
    if (m_draining)
        return true;
    const int64_t length = m_decoder.lengthFrames();
    const int64_t ahead = std::max<int64_t>(static_cast<int64_t>(burstFrames()),
                                            kAskAheadSeconds * m_decoder.sampleRate());
    return length > 0 && length - m_decoder.positionFrames() <= ahead;
}

bool PlaybackEngine::flushBeforeNewRate()
{
    // SoundTouch runs at one rate: it lets out this track's end before a successor at another.
    const TrackRecord* next = m_queue.successor();
    if (m_flushed || m_pitchTempo.bypassed() || m_playWriter.isOpen() || !next ||
        next->info.sampleRate == m_decoder.sampleRate())
        return false;
    m_flushed = true;
    processBlock(m_readBuffer.data(), 0);
    return true;
}

void PlaybackEngine::undoJoin()
{
    m_queue.rewind(m_decoder);
    if (m_holdIndex < 0)
        return;
    m_holdIndex = -1;
    m_renderer.release();
    m_pitchTempo.configure(m_decoder.sampleRate());
}

bool PlaybackEngine::joinSuccessor()
{
    // A track being written to a WAV file ends as it always did.
    const int rate = m_decoder.sampleRate();
    if (m_playWriter.isOpen() || !m_queue.join(m_decoder))
        return false;
    if (m_decoder.sampleRate() != rate) {
        // The device takes this track's last frame, then silence until it is opened again at
        // the successor's rate (reopenAtNewRate), which then finds the successor queued.
        m_holdIndex = m_ring.writeIndex();
        m_holdRate = m_decoder.sampleRate();
        m_renderer.holdFrom(m_holdIndex);
        m_pitchTempo.configure(m_holdRate);
    }
    if (m_flushed) {
        // The stretcher has let out this track's end already: the successor starts afresh.
        m_pitchTempo.clear();
        m_segmentIn = m_segmentOut = 0;
    }
    // The successor's first frame leaves the stretcher after what it holds of this track (at
    // once without one); from there on the clock counts the successor's frames.
    const bool stretch = !m_pitchTempo.bypassed();
    const double tempo = stretch ? m_pitchTempo.tempo() : 1.0;
    const int64_t lag = stretch ? m_pitchTempo.alignmentFrames() : 0;
    const int64_t at = m_ring.writeIndex() - m_segmentOut +
                       std::llround(static_cast<double>(m_segmentIn + lag) / tempo);
    m_clock.addMarker(at, 0, tempo, 0, true, m_queue.decoderTrack());
    m_draining = false;
    m_flushed = false;
    m_successorAsked = false;
    return true;
}

void PlaybackEngine::reopenAtNewRate(std::unique_lock<std::mutex>& lock)
{
    // Everything before the hold has been heard: the device is opened at the successor's rate
    // and takes the queued successor at once. Commands are taken after it (the start is bounded
    // by the output's own deadlines); none of them touches the output while playing.
    const int rate = m_holdRate;
    m_holdIndex = -1;
    bool started = false;
    lock.unlock();
    {
        std::lock_guard use(m_outputSwitch);
        m_output->stop();
        m_clock.setSampleRate(rate);
        m_gain.configure(rate);
        m_renderer.configure(rate);
        m_renderer.release();
        std::string error;
        started = m_output->start(rate, &m_renderer, error);
    }
    lock.lock();
    if (started) {
        m_outputRate.store(rate);
        return;
    }
    // No device at that rate: the track ends here and the caller opens the successor itself,
    // which tries every output again.
    m_queue.rewind(m_decoder);
    m_pitchTempo.configure(m_decoder.sampleRate());
    m_outputRate.store(0);
    endOfTrack(false);
    lock.unlock();
    notify(kTrackEnded);
    lock.lock();
}

void PlaybackEngine::decodeLoop()
{
    using namespace std::chrono;
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (m_quit)
            break;
        if (!m_playWavRequest.empty()) {
            std::string path = std::move(m_playWavRequest);
            m_playWavRequest.clear();
            std::string error;
            finishPlayWave();
            if (m_decoder.isOpen())
                m_playWriter.open(path, m_decoder.sampleRate(), m_decoder.channels(), error);
        }
        if (m_stopRequest || m_jumpRequest >= 0) {
            if (m_stopRequest) {
                m_stopRequest = false;
                m_running = false;
                m_draining = false;
                m_ring.discardQueued();
                finishPlayWave(m_stopHeardFrame);
                // Stopped, the heard track is the open one again and nothing follows it.
                m_queue.withdraw();
                undoJoin();
                m_queue.reset(m_queue.decoderTrack());
                m_successorAsked = false;
            } else {
                int64_t frame = m_jumpRequest;
                m_jumpRequest = -1;
                if (m_decoder.isOpen())
                    applyJump(frame);
            }
            m_doneSerial = m_requestSerial;
            m_idle.notify_all();
            continue;
        }
        if (m_retuneRequest && (!m_running || steady_clock::now() >= m_retuneDue)) {
            m_retuneRequest = false;
            if (m_running && m_decoder.isOpen()) {
                applyRetune(lock);
                // A dragged slider sends a setting every few ms: one splice per spacing sounds
                // as smooth and leaves the thread time to refill the queue between them.
                m_retuneDue = steady_clock::now() + milliseconds(kRetuneSpacingMs);
            }
            continue;
        }
        m_doneSerial = m_requestSerial;
        m_idle.notify_all();
        if (!m_running) {
            m_wake.wait(lock);
            continue;
        }
        if (m_holdIndex >= 0 && m_output && m_clock.heardIndex(m_output->nowNs()) >= m_holdIndex) {
            reopenAtNewRate(lock);
            continue;
        }
        if (m_gain.fadeOutDone()) {
            // A fade-out reached silence: stop without the end-of-track notice.
            endOfTrack(false);
            m_gain.cancelFade();
            continue;
        }
        // Sleep until about when the device will have taken what we wait for: room for the
        // rest of the outbox, the queue down to its length, or the last frame heard. Commands
        // wake the thread at once.
        const double speed = m_output ? m_output->clockSpeed() : 1.0;
        const int rate = std::max(1, m_clock.sampleRate());
        // At most 200 ms (or as asked), 20 ms while a fade-out runs (its end is seen here, not
        // signalled).
        auto waitFrames = [&](int64_t frames, double longestNs = 200e6) {
            if (m_gain.fadingOut())
                longestNs = 20e6;
            if (m_retuneRequest) // wake when the waiting setting may be spliced
                longestNs = std::clamp(
                    static_cast<double>(
                        duration_cast<nanoseconds>(m_retuneDue - steady_clock::now()).count()) *
                        speed,
                    1e6, longestNs);
            if (m_holdIndex >= 0) // wake when the last frame before the hold is heard
                longestNs = std::clamp(
                    static_cast<double>(m_holdIndex -
                                        m_clock.heardIndex(m_output ? m_output->nowNs() : 0)) *
                        1e9 / rate,
                    1e6, longestNs);
            double ns = std::clamp(static_cast<double>(frames) * 1e9 / rate, 1e6, longestNs);
            m_wake.wait_for(lock, nanoseconds(static_cast<int64_t>(ns / speed)));
        };
        // The queue is refilled in bursts of a few seconds each time it has fallen to its
        // OutBlock length, so the thread wakes about once per burst: after a sleep the processor
        // works slowly for the first milliseconds (cold caches, a low clock), which costs more
        // per wake-up than decoding a tenth of a second.
        const size_t low = queueLimitFrames();
        const size_t high = low + burstFrames();
        const bool written = writeOutbox(high);
        refreshAfterJump();
        if (!written) {
            // Wake when the whole rest fits. After a seek the space of the dropped audio
            // returns at the device's next read.
            int64_t rest = static_cast<int64_t>(m_outbox.size() / 2 - m_outboxDone);
            waitFrames(m_ring.discardPending() ? 256 : rest);
            continue;
        }
        if (!m_successorAsked && nearEnd()) {
            m_successorAsked = true;
            lock.unlock();
            notify(kSuccessorWanted);
            lock.lock();
            continue;
        }
        if (m_draining) {
            // One change of rate at a time: a successor waits for the device to take the last.
            if (m_holdIndex < 0 && (flushBeforeNewRate() || joinSuccessor()))
                continue;
            if (!m_flushed) {
                // No successor yet: let out what the stretcher holds (it may still come, late).
                m_flushed = true;
                if (!m_pitchTempo.bypassed()) {
                    processBlock(m_readBuffer.data(), 0);
                    continue;
                }
            }
            int64_t heard = m_clock.heardIndex(m_output ? m_output->nowNs() : 0);
            if (heard >= m_ring.writeIndex() && m_ring.queued() == 0) {
                // The last frame has been heard and no command is waiting (checked above).
                endOfTrack(false);
                lock.unlock();
                notify(kTrackEnded);
                lock.lock();
                continue;
            }
            // Frames a seek discarded lie between the heard one and the write index but never
            // play: wait no longer than the queue and the device's buffer take (a little more
            // for a device that does not say), then look again.
            const int64_t ahead = static_cast<int64_t>(m_ring.queued()) +
                                  (m_output ? m_output->bufferFrames() : 0) + rate / 5;
            waitFrames(std::min(m_ring.writeIndex() - std::max<int64_t>(heard, 0), ahead),
                       kLongestQueueWaitNs);
            continue;
        }
        const size_t queued = m_ring.queued();
        if (!m_filling && queued <= low + (high - low) / 8) {
            // InSleep and OutSleep rest after every InBlock frames: between two bursts, where
            // the wait for the queue to fall has mostly covered them already.
            if (steady_clock::now() < m_restUntil) {
                m_wake.wait_until(
                    lock, m_retuneRequest ? std::min(m_restUntil, m_retuneDue) : m_restUntil,
                    [this] { return m_quit || m_stopRequest || m_jumpRequest >= 0; });
                continue;
            }
            m_filling = true;
        }
        if (queued >= high)
            m_filling = false;
        if (!m_filling) {
            waitFrames(static_cast<int64_t>(queued - low), kLongestQueueWaitNs);
            continue;
        }
        const size_t room = m_ring.writable(high);
        if (room == 0) {
            // A queue setting larger than the ring (changed while playing) or a discard the
            // device has not skipped yet: the room comes back as the device reads.
            waitFrames(m_ring.discardPending() ? 256 : static_cast<int64_t>(chunkFrames()));
            continue;
        }
        // Without a stage that changes the samples they are decoded straight into the ring.
        const bool plain = plainPath();
        lock.unlock();
        if (plain)
            decodeIntoRing(std::min(room, chunkFrames()), high);
        else
            decodeBlock(); // its output goes to the ring at the top of the loop
        lock.lock();
        refreshAfterJump();
        if (m_sinceSleep >= m_inBlock.load()) {
            m_sinceSleep = 0;
            int restMs = m_inSleepMs.load() + m_outSleepMs.load();
            if (restMs > 0)
                m_restUntil = steady_clock::now() + milliseconds(restMs);
        }
    }
    finishPlayWave();
}

void PlaybackEngine::setReplayGain(int32_t mode, int32_t preampTenths, int32_t untaggedTenths)
{
    ReplayGainSettings settings;
    settings.mode =
        mode >= 0 && mode <= 3 ? static_cast<ReplayGainMode>(mode) : ReplayGainMode::Off;
    settings.preampDb = preampTenths / 10.0;
    settings.untaggedDb = untaggedTenths / 10.0;
    m_loudness.setSettings(settings);
}
