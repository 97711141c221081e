// Volume and fades applied as the audio is handed to the device, so they act at once.
//
// Threads: set* and start* from any thread (atomics); process() on the audio thread only, which
// never blocks or allocates. Volume follows a cubic curve of the 0..100 setting (gain =
// (v/100)^3, about -18 dB at 50), close to how loud people hear it, and every change is ramped
// over 10 ms so that it never clicks.
#pragma once

#include <atomic>
#include <cstdint>

class GainRamp {
public:
    static constexpr int kFadeInMs = 1000;
    static constexpr int kFadeOutMs = 2000;

    void configure(int sampleRate); // while the audio thread is stopped
    void setVolume(int left, int right);
    void startFadeIn();  // the next frames rise from silence over kFadeInMs
    void startFadeOut(); // from now the sound falls to silence over kFadeOutMs
    void cancelFade();
    // True once a fade-out has reached silence (cleared by startFadeIn/cancelFade).
    bool fadeOutDone() const { return m_fadeOutDone.load(std::memory_order_acquire); }
    // True from startFadeOut until the fade is cancelled or restarted as a fade-in.
    bool fadingOut() const { return m_fadingOut.load(std::memory_order_acquire); }

    // Audio thread: applies gain to frames stereo frames in place. At volume 100 with no fade
    // running the samples pass unchanged.
    void process(int16_t* frames, int count);

    static float curve(int volume);

private:
    enum Request : int { None = 0, FadeIn = 1, FadeOut = 2, Cancel = 3 };

    std::atomic<float> m_targetLeft{1.0f};
    std::atomic<float> m_targetRight{1.0f};
    std::atomic<int> m_request{None};
    std::atomic<bool> m_fadeOutDone{false};
    std::atomic<bool> m_fadingOut{false};

    // Audio thread only.
    float m_gainLeft = 1.0f;
    float m_gainRight = 1.0f;
    float m_fade = 1.0f;     // fade envelope 0..1
    float m_fadeStep = 0.0f; // per frame; negative while fading out
    float m_rampStep = 1.0f; // volume change per frame
    float m_fadeInStep = 0.0f;
    float m_fadeOutStep = 0.0f;
};
