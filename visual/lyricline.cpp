// The lyric line: which line to show, its fade colours, and its shadowed drawing.
#include "lyricline.h"

#include <algorithm>
#include <optional>

#include "engine/engine.h"
#include "framefont.h"

#include <QFontMetrics>
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

// The engine's current line, or nothing when it has no lyrics.
std::optional<QString> CurrentLine(Engine& engine)
{
    LyricsRecord record{};
    if (engine.getLyrics(record) == 0)
        return std::nullopt;
    // The shown text ends at the first NUL, as a fixed-length field would.
    return QString::fromUtf8(record.lines[2].c_str());
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

int LyricLeftOf(int width)
{
    return std::max(CentredLeft(width), kLyricBarLeft);
}

void FitLyric(TextStamp& stamp, const QString& text)
{
    if (text == stamp.text())
        return;
    QFont font = FrameFont();
    const int natural = font.pixelSize();
    for (int size = natural; size >= kLyricFloorPixels; --size) {
        font.setPixelSize(size);
        if (QFontMetrics(font).horizontalAdvance(text) <= kLyricBarWidth ||
            size == kLyricFloorPixels)
            break;
    }
    if (font.pixelSize() != stamp.font().pixelSize())
        stamp = TextStamp(font);
    stamp.setText(text);
}

void ShowLyrics(QImage& frame, Engine& engine, int lyricsFade, bool lyricHover, LyricLine& line)
{
    if (const auto text = CurrentLine(engine)) {
        FitLyric(line.Label3, *text);
        if (*text != line.Label5)
            line.LyricFadeStep = 1;
        line.Label5 = *text;
    } else {
        FitLyric(line.Label3, kNoLyrics);
        line.LyricFadeStep = kLyricFadeSteps;
    }

    const QRgb shadow = LyricShadowColour(line.LyricFadeStep, lyricsFade);
    line.LyricLeft = LyricLeftOf(line.Label3.width());
    line.Label3.draw(frame, line.LyricLeft, kLyricShadowY, shadow);
    line.LyricFadeStep = std::min(line.LyricFadeStep + 1, kLyricFadeSteps);
    const QRgb text = LyricTextColour(line.LyricFadeStep, lyricsFade, lyricHover);
    line.Label3.draw(frame, line.LyricLeft - 1, kLyricTextY, text);
}

bool LyricLineStill(Engine& engine, const LyricLine& line)
{
    if (line.LyricFadeStep != kLyricFadeSteps)
        return false;
    const auto text = CurrentLine(engine);
    if (!text)
        return line.Label3.text() == kNoLyrics;
    return *text == line.Label5 && *text == line.Label3.text();
}
