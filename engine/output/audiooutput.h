// The sound device seen by the engine: stereo 16-bit frames pulled by a render callback.
#pragma once

#include <cstdint>
#include <string>

// What an output calls to get audio. Called on the output's own thread; must not block,
// allocate or lock.
class AudioRenderer {
public:
    virtual ~AudioRenderer() = default;
    // Fills frames stereo frames; the last one is heard at heardEndNs on the output's clock.
    virtual void render(int16_t* out, int frames, int64_t heardEndNs) = 0;
    // The device dropped everything it was to play from heardAtNs on (its clock); the next render
    // goes on with the audio that was due then. Output thread, like render.
    virtual void rewind(int64_t heardAtNs) { (void)heardAtNs; }
};

class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    // Starts pulling stereo 16-bit frames at sampleRate from renderer. Called on the engine's
    // caller thread; false with error set when the device cannot be opened.
    virtual bool start(int sampleRate, AudioRenderer* renderer, std::string& error) = 0;
    // Stops pulling; once it returns the renderer is no longer called.
    virtual void stop() = 0;
    // The output's clock in nanoseconds (a test output may run it faster than real time).
    virtual int64_t nowNs() const = 0;
    // How many times faster than real time the clock runs (1 for a device).
    virtual double clockSpeed() const { return 1.0; }
    virtual int sampleRate() const = 0;
    // Any thread but the output's, returns at once: the audio the device holds and has not played
    // is dropped and rendered again (rewind), so a change made before the call is heard within a
    // few milliseconds. A device with a short buffer needs nothing.
    virtual void refresh() {}
    // Frames the device keeps queued ahead of what is heard (0 for a short buffer): the renderer
    // should hold at least this much before a refresh, or the device plays the shortfall as silence.
    virtual int bufferFrames() const { return 0; }
    // The device went away while started (a sound server that ended): the output keeps time
    // silently until it is started again.
    virtual bool lost() const { return false; }
};
