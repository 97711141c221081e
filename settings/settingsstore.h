// The settings keys with their defaults, and loading and saving the program-wide state.
#pragma once

#include <QString>

#include <array>
#include <cstdint>

struct AppState;

// Numeric key of section Window/Burden read with a 50-character buffer; a missing or
// non-numeric value gives the key's default.
int ReadIniInt(const QString& section, const QString& key, const QString& file);
// The default of a key (the settings window's defaults for Burden, the shipped file's values
// for the rest); 0 for an unknown key.
int DefaultIniValue(const QString& section, const QString& key);

// Writes Alwaystop, Starttype, ExpressType, OsiroType, SpeAnaType, StarDust, RelativityVol,
// InBlock, OutBlock, InSleep, OutSleep (blank-prefixed when non-negative) to file.
// Returns false when the file cannot be written.
bool SaveSettings(const AppState& state, const QString& file);
bool SaveSettings(const AppState& state);  // to PropertyIniPath()

// Start-up reading of sections Window, ShortPath and Burden into state.
void LoadSettings(AppState& state, const QString& file);

// The rule the engine holds the four load settings to, as the message that states it.
inline const QString kLoadSettingsRule = QStringLiteral(
    "入力フレーム数は1～1000、出力フレーム数は1～入力フレーム数、"
    "スリープ時間は0～1000ミリ秒の整数で指定して下さい。");
// Replaces each load setting of state that breaks the rule by its default (an output frame count
// above a valid input count by the smaller of its default and that count). Returns the message
// for the user when something was replaced, else an empty string.
QString RepairLoadSettings(AppState& state);

// Creates file from the shipped default Property.ini when it does not exist.
void EnsureSettingsFile(const QString& file);

// What the user set during a run and finds again at the next start: volume, mute, play mode,
// the equaliser and the main window's place. A file without these keys (one from before they
// existed) gives the start values below.
struct RememberedState {
    int volume = 80; // 0..100; while muted, the volume the unmute gives back
    bool mute = false;
    int playMode = 1;                    // 0..3
    std::array<int16_t, 10> eqSliders{}; // slider positions -120..120 (gain = -position)
    int16_t eqPreset = 0;                // 0..6
    bool hasMainPlace = false;
    int mainLeft = 0;
    int mainTop = 0;
};

// Reads the remembered state; each key that is missing or out of range keeps its start value
// (a place needs both coordinates).
RememberedState ReadRememberedState(const QString& file);
// Writes the remembered state (unchanged keys cost nothing); false when the file cannot be
// written.
bool WriteRememberedState(const RememberedState& remembered, const QString& file);
// Forgets the main window's place, so the start position setting places it again.
void ForgetMainPlace(const QString& file);
