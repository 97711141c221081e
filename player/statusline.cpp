// The texts of the status line.
#include "statusline.h"

#include "state/appstate.h"
#include "visual/rounding.h"

#include <algorithm>

QString ConversionText(int percent)
{
    return QStringLiteral("変換中 %1%").arg(percent);
}

// One text at a time, the first that applies, so that two never print over each other:
//   1. the progress of a silent WAV conversion: the only thing the program is doing then;
//   2. "Mute": nothing is heard, and this says why;
//   3. "Pause";
//   4. "Empty List": a track was opened and the playlist has no rows;
//   5. the artist, for the first seconds of a track;
//   6. "File Not Open" when no track was opened.
std::optional<StatusText> StatusMessage(AppState& state, int engineState, int sec, int rowCount,
                                        int decodePercent)
{
    const bool artistTime = state.ShowInfo && sec < 4;
    if (!artistTime)
        state.ShowInfo = false;
    if (state.ConversionRunning)
        return StatusText{ConversionText(decodePercent)};
    if (state.Mute)
        return StatusText{QStringLiteral("Mute"), 140};
    if (state.FileOpened && engineState == 2)
        return StatusText{QStringLiteral("Pause"), 132};
    if (state.FileOpened && rowCount == 0)
        return StatusText{QStringLiteral("Empty List"), 120};
    if (artistTime)
        return StatusText{state.ArtistLabel, StatusText::kCentred, true};
    if (!state.FileOpened)
        return StatusText{QStringLiteral("File Not Open"), 115};
    return std::nullopt;
}

int StatusLeft(const StatusText& text, int width)
{
    if (text.x != StatusText::kCentred && text.x >= kStatusLeft &&
        text.x + width <= kStatusLeft + kStatusWidth)
        return text.x;
    return std::max(kStatusLeft, RoundEven((kStatusWidth - width) / 2.0 + kStatusLeft));
}
