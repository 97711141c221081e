// The texts of the status line.
#include "statusline.h"

#include "state/appstate.h"
#include "visual/rounding.h"

namespace {

constexpr int kCentreLeft = 90;
constexpr int kCentreWidth = 120;

int Centred(int width)
{
    return RoundEven((kCentreWidth - width) / 2.0 + kCentreLeft);
}

} // namespace

QString ConversionText(int percent)
{
    return QStringLiteral("変換中 %1%").arg(percent);
}

std::vector<StatusText> StatusMessages(AppState& state, int engineState, int sec, int rowCount,
                                       int decodePercent, int artistWidth, int conversionWidth)
{
    if (state.ConversionRunning)
        return {{ConversionText(decodePercent), Centred(conversionWidth)}};
    if (state.ShowInfo && sec < 4)
        return {{state.ArtistLabel, Centred(artistWidth), true}};
    state.ShowInfo = false;
    if (state.Mute)
        return {{QStringLiteral("Mute"), 140}};
    if (state.FileOpened) {
        std::vector<StatusText> texts;
        if (rowCount == 0)
            texts.push_back({QStringLiteral("Empty List"), 120});
        if (engineState == 2)
            texts.push_back({QStringLiteral("Pause"), 132});
        return texts;
    }
    return {{QStringLiteral("File Not Open"), 115}};
}
