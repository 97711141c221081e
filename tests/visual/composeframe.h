// A whole frame composed in the tick's order from the skin and the drawing procedures, for the
// frame tests.
#pragma once

#include <QImage>
#include <QString>

#include "state/appstate.h"
#include "engine/engine.h"
#include "visual/blit.h"
#include "visual/lyricline.h"
#include "visual/oscilloscope.h"
#include "visual/skin.h"
#include "visual/skinlayout.h"
#include "visual/spectrum.h"
#include "visual/starfield.h"
#include "visual/textstamp.h"
#include "visual/titlescroller.h"
#include "visual/volumebar.h"

struct SampleFrame {
    QImage frame{SkinLayout::kFrameSize, QImage::Format_RGB32};
    StarField stars = InitStarField();
    TitleScroller title;
    LyricLine lyric;
    TextStamp message;
    int menuPage = 0;
    int hoverEntry = -1; // menu entry under the pointer, -1 for none
    int cursorPos = 24;  // 0..60
    int volume = 80, bitRate = 128, sampleRate = 44100, elapsedSec = 83;
    bool lyricHover = false;
};

inline void ComposeSampleFrame(SampleFrame& s, const Skin& skin, Engine& engine, AppState& app)
{
    using namespace SkinLayout;
    const QImage& sheet = skin.Picture1();
    QImage& f = s.frame;
    CopyRect(f, {0, 0}, skin.Picture2(), QRect({0, 0}, kFrameSize));
    if (app.StarDust)
        DrawStar(f, s.stars, kDisplayBand);
    MaskedCopy(f, kMenuPos, sheet, {kMenuPageSize * s.menuPage, kMenuMaskRow},
               {kMenuPageSize * s.menuPage, kMenuImageRow}, {kMenuPageSize, kMenuPageSize});
    if (s.hoverEntry >= 0)
        MaskedCopy(
            f, {kMenuPos.x(), kMenuHighlightY + kMenuEntryHeight * s.hoverEntry}, sheet,
            {kMenuPageSize * s.menuPage, kMenuHighlightMaskRow + kMenuEntryHeight * s.hoverEntry},
            {kMenuPageSize * s.menuPage, kMenuHighlightImageRow + kMenuEntryHeight * s.hoverEntry},
            {kMenuPageSize, kMenuEntryHeight});
    if (app.ExpressType == 0)
        OsiroScope(f, engine, app.OsiroType, kDisplayBand);
    else if (app.ExpressType == 1)
        SpeAna(f, sheet, engine, app.SpeAnaType);
    TitleMove(f, engine, app, s.title);
    EraseRect(f, {0, 0}, skin.Picture3(), QRect(0, kOverlayMaskRow, 300, kOverlayHeight));
    InvertRect(f, {0, 0}, skin.Picture3(), QRect(0, 0, 300, kOverlayHeight));

    auto smallDigits = [&](const QString& text, const int* xs) {
        for (int i = 0; i < text.size(); ++i)
            CopyRect(f, {xs[i], kSmallDigitY}, sheet,
                     QRect(QPoint(5 * text[i].digitValue(), kSmallDigitRow), kSmallDigitSize));
    };
    smallDigits(QStringLiteral("%1").arg(s.volume, 3, 10, QChar('0')), kVolumeDigitX);
    smallDigits(QStringLiteral("%1").arg(s.sampleRate, 5, 10, QChar('0')), kSampleRateDigitX);
    smallDigits(QStringLiteral("%1").arg(s.bitRate, 3, 10, QChar('0')), kBitRateDigitX);

    int32_t sec = 0;
    const int state = engine.getState(sec);
    for (int i = 0; i < kButtonCount; ++i) {
        const bool lit = (i == 0 && state == 1) || (i == 1 && state == 0) || (i == 2 && state == 2);
        const QSize size(kButtonSize, kButtonSize);
        if (lit)
            MaskedCopy(f, kButtonPos[i], sheet, {0, kButtonMaskRow}, skin.Picture5(),
                       {kButtonColumn[i], kButtonLitRow}, size);
        else
            MaskedCopy(f, kButtonPos[i], sheet, {0, kButtonMaskRow},
                       {kButtonColumn[i], kButtonImageRow}, size);
    }
    for (int b = 0; b < 2; ++b)
        MaskedCopy(f, kSmallButtonPos[b], sheet, {kSmallButtonColumn[b], kSmallButtonMaskRow},
                   {kSmallButtonColumn[b], kSmallButtonImageRow}, kSmallButtonSize);

    const QString minutes = QStringLiteral("%1").arg(s.elapsedSec / 60, 2, 10, QChar('0'));
    const QString seconds = QStringLiteral("%1").arg(s.elapsedSec % 60, 2, 10, QChar('0'));
    const int digits[4] = {minutes.front().digitValue(), minutes.back().digitValue(),
                           seconds.front().digitValue(), seconds.back().digitValue()};
    for (int i = 0; i < 4; ++i)
        MaskedCopy(f, {kTimeDigitX[i], kTimeDigitY}, sheet,
                   {10 * digits[i] + kLargeDigitMaskColumn, kLargeDigitRow},
                   {10 * digits[i], kLargeDigitRow}, kLargeDigitSize);

    const QSize ind(kIndicatorSize, kIndicatorSize);
    auto indicator = [&](QPoint at, int column) {
        MaskedCopy(f, at, sheet, {column, kIndicatorMaskRow}, {column, kIndicatorImageRow}, ind);
    };
    if (app.FadeIn)
        indicator(kFadeInIndicatorPos, kIndicatorFadeInColumn);
    if (app.AlwaysTop)
        indicator(kTopMostIndicatorPos, kIndicatorTopMostColumn);
    static constexpr int kModeColumns[4] = {kIndicatorNormalColumn, kIndicatorRepeatColumn,
                                            kIndicatorRandomColumn, kIndicatorSingleColumn};
    indicator(kPlayModeIndicatorPos, kModeColumns[app.PlayMode & 3]);

    if (state == 2) {
        s.message.setText(QStringLiteral("Pause"));
        s.message.draw(f, 132, 45, qRgb(255, 255, 255));
    }
    ShowLyrics(f, engine, app.LyricsFade, s.lyricHover, s.lyric);

    const QRect lamp(kLampCell, kLampSize);
    CopyRect(f, kFileLampPos, sheet, lamp);
    CopyRect(f, kListLampPos, sheet, lamp);
    if (state == 2)
        CopyRect(f, kPauseLampPos, sheet, lamp);
    MaskedCopy(f, {kCursorX, kCursorBottomY - s.cursorPos}, sheet, kCursorMask, kCursorImage,
               kCursorSize);
    VolumeBar(f, sheet, engine, app.RelativityVol);
}
