// The settings keys with their defaults, and loading and saving the program-wide state.
#pragma once

#include <QString>

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

// Creates file from the shipped default Property.ini when it does not exist.
void EnsureSettingsFile(const QString& file);
