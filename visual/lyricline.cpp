// The lyric line: which line to show, its fade colours, and its shadowed drawing.
#include "lyricline.h"

#include <algorithm>

#include "engine/engine.h"
#include "rounding.h"

namespace {

constexpr int kFrameWidth = 300;
const QString kNoLyrics = QStringLiteral("Not Find Lyrics");

int atLeastZero(int v)
{
    return std::max(v, 0);
}

int atMost255(int v)
{
    return std::min(v, 255);
}

} // namespace

QRgb LyricShadowColour(int step, int lyricsFade)
{
    if (lyricsFade == 0)
        return qRgb(0, 0, 0);
    const int red = static_cast<int>(33 - 1.5 * step); // the integer part
    return qRgb(atLeastZero(red), atLeastZero(115 - 4 * step), atLeastZero(239 - 8 * step));
}

QRgb LyricTextColour(int step, int lyricsFade, bool hover)
{
    if (hover)
        return qRgb(255, 255, 0);
    if (lyricsFade == 0)
        return qRgb(255, 255, 255);
    return qRgb(atMost255(10 * step + 33), atMost255(5 * step + 115), atMost255(step + 239));
}

int CentredLeft(int width)
{
    return RoundEven((kFrameWidth - width) / 2.0);
}

void ShowLyrics(QImage& frame, Engine& engine, int lyricsFade, bool lyricHover, LyricLine& line)
{
    LyricsRecord record{};
    if (engine.getLyrics(record) == 0) {
        line.Label3.setText(kNoLyrics);
        line.LyricFadeStep = kLyricFadeSteps;
    } else {
        // The shown text ends at the first NUL, as a fixed-length field would.
        const std::string& field = record.lines[2];
        const QString text = QString::fromUtf8(field.c_str());
        line.Label3.setText(text);
        if (text != line.Label5)
            line.LyricFadeStep = 1;
        line.Label5 = text;
    }

    const QRgb shadow = LyricShadowColour(line.LyricFadeStep, lyricsFade);
    line.LyricLeft = CentredLeft(line.Label3.width());
    line.Label3.draw(frame, line.LyricLeft, kLyricShadowY, shadow);
    line.LyricFadeStep = std::min(line.LyricFadeStep + 1, kLyricFadeSteps);
    const QRgb text = LyricTextColour(line.LyricFadeStep, lyricsFade, lyricHover);
    line.Label3.draw(frame, line.LyricLeft - 1, kLyricTextY, text);
}
