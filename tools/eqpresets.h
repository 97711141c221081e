// The equaliser's presets and its ".keq" preset files.
#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

#include "eqmemory.h"

using EqPositions = std::array<int, kEqBands>;

inline constexpr int kEqPresetCount = 7;
inline constexpr int kEqMinPosition = -120;
inline constexpr int kEqMaxPosition = 120;

// "Normal", "Rock", "Pop", "Base Boost", "Treble Boost", "Total Boost", "Total Reduce".
QString EqPresetCaption(int preset);
// Slider positions of a preset (a boost is negative).
const EqPositions& EqPresetPositions(int preset);

// The engine's gains for slider positions: each gain is the negated position.
std::array<int32_t, kEqBands> EqGains(const EqPositions& positions);

// The gain of a band at position as shown under its slider, in dB with one decimal and a sign
// ("+12.0", "0.0", "-3.5"); a position is minus the gain in tenths of a dB.
QString EqBandDbText(int position);

// The headroom the engine takes for slider positions, as the window shows it:
// "ヘッドルーム −6.0 dB".
QString EqHeadroomText(const EqPositions& positions);

// One line of ten comma-separated positions ended by CR LF.
QByteArray FormatKeq(const EqPositions& positions);

// Why a ".keq" text was refused.
enum class KeqError { None, TooFewValues, NotANumber, OutOfRange };
struct KeqParse {
    std::optional<EqPositions> positions;
    KeqError error = KeqError::None;
};
// Reads values separated by commas or line ends, in groups of ten; the last group wins. Refuses
// text with no complete group, an incomplete last group, non-numeric values or positions outside
// -120..120.
KeqParse ParseKeq(const QString& text);

// The name a save writes to: the chosen name when it ends in ".keq" (exactly, case included;
// askFirst is then true), otherwise the name with ".keq" appended.
QString KeqSaveName(const QString& chosen, bool& askFirst);
// Loading accepts a name whose last four characters are ".keq" in any case.
bool IsKeqLoadName(const QString& name);
