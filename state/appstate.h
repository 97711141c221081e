// The program-wide state that every window reads and writes; one object, owned by the app.
//
// Everything here is touched on the UI thread only, except PlayEnd, NextWanted and NextHeard,
// which the engine's callback sets from its own thread.
#pragma once

#include <QString>

#include <array>
#include <atomic>
#include <cstdint>

#include "engine/records.h"

// Gapless play: the row handed to the engine to follow the current track.
struct QueuedRow {
    bool wanted = false;   // the engine asked for it: the current track nears its end
    int row = 0;           // 0 = none handed over
    QString path;
    int randomPos = 0;     // RandomPos once it is heard
    bool accepted = false; // the engine joins it; refused, the track ends and it opens as before
    ::InputInfo info;
};

struct AppState {
    // Track and transport
    int CurrentIndex = 1;  // 1-based playlist row of the current track; 0 = none
    int Volume = 80;       // 0..100, sent to both channels
    bool Mute = false;
    int MuteVolume = 0;
    bool FileOpened = false;
    QString CurrentFile;   // full path of the open track
    QString CurrentTitle;  // playlist text of the open track
    ::InputInfo InputInfo;
    ::MpegInfo MpegInfo;
    ::TagInfo TagInfo;
    int PlayMode = 1;      // 0 normal, 1 repeat list, 2 random, 3 single repeat
    int RandomPos = 0;     // 1-based position in the shuffled order
    std::atomic<bool> PlayEnd{false};
    std::atomic<bool> NextWanted{false};  // the engine asks for the track to follow
    std::atomic<bool> NextHeard{false};   // the track handed over is heard now
    QueuedRow Next;
    bool Decoding = false;
    bool ConversionRunning = false;  // a silent WAV conversion is running (its progress is shown)
    bool FadeIn = false;
    bool ShowInfo = false;
    bool LyricsLoaded = false;
    bool LyricsEditOpen = false;
    bool ListVisible = false;
    bool OptionChanged = true;
    // ReplayGain: mode 0 off, 1 track, 2 album, 3 album while neighbouring rows share the
    // album; pre-amplification -60..120 and the untagged tracks' gain -120..120 in tenths of a
    // dB. The tick hands them to the engine while ReplayGainChanged is set.
    int ReplayGainMode = 0;
    int ReplayGainPreamp = 0;
    int ReplayGainUntagged = 0;
    bool ReplayGainChanged = true;

    // Hidden text holders of the main window that the track loader fills.
    QString TitleLabel;   // the track title shown by the scroller ("Label2")
    QString ArtistLabel;  // the artist shown in the message area ("Label4")

    // Title scroller
    int TitlePos = 0;
    bool TitleReset = false;
    int TitleStep = 0;

    // Display settings (Property.ini, section Window)
    bool AlwaysTop = false;
    int StartType = 0;
    int ExpressType = 1;   // 0 oscilloscope, 1 spectrum, 2 none
    int OsiroType = 0;     // 0..3
    int SpeAnaType = 0;    // 0..2
    bool StarDust = true;
    std::array<QString, 5> ShortPath;
    int TitleInterval = 0;
    int MenuAni = 1;
    int TaskBarAni = 1;
    int LyricsFade = 1;
    int RelativityVol = 1;
    int DrawBestCondition = 0;

    // Engine buffer options (section Burden)
    int32_t InBlock = 10;
    int32_t OutBlock = 5;
    int32_t InSleep = 0;
    int32_t OutSleep = 0;

    // The settings folder cannot be written: settings live in memory, no backup is written (the
    // user was told once at start).
    bool SettingsReadOnly = false;
};
