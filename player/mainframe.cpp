// The drawing steps of one frame of the main window.
#include "mainframe.h"

#include "displayfields.h"

#include "engine/engine.h"
#include "framediff.h"
#include "mainwindowstate.h"
#include "menupanel.h"
#include "playlist/playlistmodel.h"
#include "state/appstate.h"
#include "statusline.h"
#include "visual/blit.h"
#include "visual/framefont.h"
#include "visual/imagearena.h"
#include "visual/oscilloscope.h"
#include "visual/rounding.h"
#include "visual/skinlayout.h"
#include "visual/spectrum.h"
#include "visual/titlescroller.h"
#include "visual/volumebar.h"

#include <QFontMetrics>

using namespace SkinLayout;

namespace {

// The status line's colour: the pale cyan of the skin's accents, legible on the dark display,
// with an outline of the display's darkest navy that keeps it legible over spectrum bars.
constexpr QRgb kStatusColour = 0xFFB8F0FF;
constexpr QRgb kStatusOutline = 0xFF030812;

// The decimal characters of a non-negative value padded with zeros to width, without a string:
// the frame needs them fifty times a second.
struct Digits {
    char text[16];
    int length;

    Digits(int value, int width)
    {
        char reversed[16];
        int n = 0;
        unsigned v = static_cast<unsigned>(value < 0 ? 0 : value);
        do {
            reversed[n++] = static_cast<char>('0' + v % 10);
            v /= 10;
        } while (v > 0 && n < 16);
        while (n < width && n < 16)
            reversed[n++] = '0';
        length = n;
        for (int i = 0; i < n; ++i)
            text[i] = reversed[n - 1 - i];
    }
    int front() const { return text[0] - '0'; }
    int back() const { return text[length - 1] - '0'; }
};

} // namespace

MainFrame::MainFrame(AppState& state, Engine& engine, const PlaylistModel& playlist,
                     const SkinPictures& skin, MainWindowState& window, MenuPanel& menu)
    : m_state(state), m_engine(engine), m_playlist(playlist), m_source(skin), m_skin(skin),
      m_overlay(skin.Picture2, skin.Picture3, kOverlayHeight), m_window(window), m_menu(menu),
      m_frame(ArenaImage(kFrameSize)), m_stars(InitStarField())
{
    // The sheets the steps draw from every tick, beside the frame.
    m_skin.Picture1 = ArenaCopy(skin.Picture1, false);
    m_skin.Picture5 = ArenaCopy(skin.Picture5, false);
    m_frame.fill(Qt::black);
    // The outlined text reaches a pixel beyond its line on every side; its box spans the band.
    m_statusBox = QRect(kDisplayBand.left(), kStatusY - 1, kDisplayBand.width(),
                        QFontMetrics(FrameFont()).height() + 2) &
                  kDisplayBand;
}

int MainFrame::setScale(int scale)
{
    if (scale == 2 && (m_source.Picture1At2x.size() != kSpriteSheetSize * 2 ||
                       m_source.Picture2At2x.size() != kFrameSize * 2 ||
                       m_source.Picture3At2x.size() != kOverlaySize * 2 ||
                       m_source.Picture5At2x.size() != kLitButtonsSize * 2))
        scale = 1;
    if (scale != 1 && scale != 2)
        scale = 1;
    if (scale == m_scale)
        return m_scale;
    m_scale = scale;
    const bool twice = scale == 2;
    const auto pick = [twice](const QImage& at1x, const QImage& at2x) {
        QImage picture = (twice ? at2x : at1x).convertToFormat(QImage::Format_RGB32);
        picture.setDevicePixelRatio(twice ? 2.0 : 1.0);
        return picture;
    };
    m_skin.Picture1 = pick(m_source.Picture1, m_source.Picture1At2x);
    m_skin.Picture5 = pick(m_source.Picture5, m_source.Picture5At2x);
    m_overlay =
        OverlayCompositor(pick(m_source.Picture2, m_source.Picture2At2x),
                          pick(m_source.Picture3, m_source.Picture3At2x), kOverlayHeight * scale);
    m_frame = QImage(kFrameSize * scale, QImage::Format_RGB32);
    m_frame.fill(Qt::black);
    m_frame.setDevicePixelRatio(scale);
    m_lastStill.reset();
    m_dotsDrawn = false;
    return m_scale;
}

void MainFrame::compose(int engineState, int sec)
{
    // A stopped track whose row went with the playlist can no longer be played: the display
    // forgets it (a track still heard stays shown until it ends).
    m_trackShown = m_state.FileOpened && (m_playlist.count() > 0 || engineState != 0);
    auto key = stillKey(engineState, sec);
    const bool bandOnly = key && m_lastStill && *key == *m_lastStill;
    m_lastStill = std::move(key);
    if (!bandOnly) {
        composeWhole(engineState, sec);
        m_changed.assign(1, m_frame.rect());
        m_changedTight = false;
        return;
    }
#ifndef QT_NO_DEBUG
    // Checked builds draw the whole frame as well and require the same pixels: a step outside
    // the band that draws from something the key lacks would leave a stale picture.
    const StarField starsBefore = m_stars;
    const TitleScroller titleBefore = m_title;
    const int progressBefore = m_state.ConversionRunning ? m_engine.decodeProgress() : 0;
#endif
    if (m_state.ExpressType == 0) {
        composeBand();
        m_changed.assign(1, QRect(kDisplayBand.topLeft() * m_scale, kDisplayBand.size() * m_scale));
        m_changedTight = false;
    } else {
        composeStars();
    }
    if (m_trackShown)
        TitleStillTick(m_title);
#ifndef QT_NO_DEBUG
    const QImage band = m_frame.copy();
    const StarField starsAfter = m_stars;
    const TitleScroller titleAfter = m_title;
    m_stars = starsBefore;
    m_title = titleBefore;
    composeWhole(engineState, sec);
    int32_t now = 0;
    // The engine may have started a track since the tick's poll, or a conversion gone on (its
    // percentage is read as each frame is drawn); the whole frame then shows it.
    const int progressAfter = m_state.ConversionRunning ? m_engine.decodeProgress() : 0;
    Q_ASSERT(m_engine.getState(now) != engineState || progressAfter != progressBefore ||
             m_frame == band);
    Q_ASSERT(m_stars.StarAge == starsAfter.StarAge && m_title.TitleTick == titleAfter.TitleTick);
#endif
}

std::optional<MainFrame::StillKey> MainFrame::stillKey(int engineState, int sec)
{
    if (engineState == 1 || m_menu.MenuAnimating ||
        (m_trackShown && !TitleStill(m_state, m_title, engineState)) ||
        !LyricLineStill(m_engine, m_lyric))
        return std::nullopt;
    const InputInfo& info = m_trackShown ? m_state.InputInfo : InputInfo{};
    return StillKey{engineState,
                    sec,
                    m_state.Volume,
                    info.sampleRate,
                    info.bitRate,
                    m_state.InputInfo.totalSec,
                    m_window.SeekPos,
                    m_state.PlayMode,
                    m_state.LyricsFade,
                    m_menu.MenuPage,
                    m_state.ExpressType,
                    m_state.SpeAnaType,
                    m_state.RelativityVol,
                    m_trackShown,
                    m_state.FileOpened,
                    m_playlist.count() > 0,
                    m_window.Seeking,
                    m_state.FadeIn,
                    m_state.AlwaysTop,
                    m_window.LyricHover,
                    m_window.ButtonDown,
                    m_menu.MenuHover,
                    m_trackShown ? m_state.TitleLabel : QString()};
}

void MainFrame::composeBand()
{
    m_overlay.copyBackground(m_frame, kDisplayBand);
    drawStars();
    OsiroScope(m_frame, m_engine, m_state.OsiroType, kDisplayBand);
    m_overlay.applyOverlay(m_frame, kDisplayBand);
    WriteMessage();
}

void MainFrame::composeStars()
{
    // Pieces are clipped to the band when they become runs.
    auto dotBox = [](const StarDot& d) { return QRect(d.x - 1, d.y - 1, 3, 3); };
    m_changed.clear();
    if (m_dotsDrawn) {
        for (const StarDot& d : m_dots)
            m_changed.push_back(dotBox(d));
    }
    m_dotsDrawn = m_state.StarDust;
    if (m_dotsDrawn) {
        StarStep(m_stars, m_dots);
        for (const StarDot& d : m_dots)
            m_changed.push_back(dotBox(d));
    }
    int x = 0;
    const TextStamp* status = statusStamp(x);
    const QString text = status ? status->text() : QString();
    if (text != m_statusShown.text || (status && x != m_statusShown.x))
        m_changed.push_back(m_statusBox);
    m_statusShown = {text, x};

    // The pixels of the pieces, each once: the masked copy and the blends are not idempotent.
    // The pieces lie on the 1x grid; at 2x each of their pixels is two by two of the frame's.
    const std::vector<RowRun>& runs = m_runs.of(m_changed);
    if (m_scale == 2)
        DoubleRuns(runs, m_runsAt2x);
    const std::vector<RowRun>& pixels = m_scale == 2 ? m_runsAt2x : runs;
    m_changed = CoveringRects(pixels, m_frame.width());
    m_changedTight = true;

    m_overlay.copyBackground(m_frame, pixels);
    if (m_dotsDrawn)
        DrawStarDots(m_frame, m_dots, kDisplayBand);
    m_overlay.applyOverlay(m_frame, pixels);
    if (!status)
        return;
    for (const RowRun& run : runs) {
        if (m_statusBox.contains(run.left, run.y))
            status->drawOutlined(m_frame, x, kStatusY, kStatusColour, kStatusOutline,
                                 QRect(run.left, run.y, run.width, 1));
    }
}

void MainFrame::drawStars()
{
    m_dotsDrawn = m_state.StarDust;
    if (!m_dotsDrawn)
        return;
    StarStep(m_stars, m_dots);
    DrawStarDots(m_frame, m_dots, kDisplayBand);
}

void MainFrame::composeWhole(int engineState, int sec)
{
    const QImage& sprites = m_skin.Picture1;
    m_overlay.copyBackground(m_frame);
    drawStars();
    m_menu.paint(m_frame, sprites, m_state.MenuAni);
    if (m_state.ExpressType == 0)
        OsiroScope(m_frame, m_engine, m_state.OsiroType, kDisplayBand);
    else if (m_state.ExpressType == 1)
        SpeAna(m_frame, sprites, m_engine, m_state.SpeAnaType);
    if (m_trackShown)
        TitleMove(m_frame, m_engine, m_state, m_title);
    m_overlay.applyOverlay(m_frame);
    drawDigits();
    drawButtons(engineState);
    drawTime(sec);
    drawIndicators();
    WriteMessage();
    ShowLyrics(m_frame, m_engine, m_state.LyricsFade, m_window.LyricHover, m_lyric);
    drawLamps(engineState);
    SetPositionCursor();
    VolumeBar(m_frame, sprites, m_engine, m_state.RelativityVol);
}

void MainFrame::drawSmallNumber(int value, int digits, const int* xs)
{
    const Digits number(value, digits);
    drawSmallText(std::string(number.text, static_cast<size_t>(number.length)), digits, xs);
}

void MainFrame::drawSmallText(const std::string& text, int digits, const int* xs)
{
    for (int i = 0; i < digits; ++i) {
        // A text longer than the field shows its leading characters and, in the last place,
        // its last one; a blank leaves its place empty.
        const char c = i == digits - 1 ? text.back() : text[static_cast<size_t>(i)];
        if (c < '0' || c > '9')
            continue;
        const int d = c - '0';
        CopyRect(m_frame, {xs[i], kSmallDigitY}, m_skin.Picture1,
                 QRect(QPoint(kSmallDigitSize.width() * d, kSmallDigitRow), kSmallDigitSize));
    }
}

void MainFrame::drawDigits()
{
    drawSmallNumber(qBound(0, m_state.Volume, 999), 3, kVolumeDigitX);
    const InputInfo& info = m_trackShown ? m_state.InputInfo : InputInfo{};
    drawSmallText(SampleRateField(info.sampleRate), 5, kSampleRateDigitX);
    drawSmallText(BitRateField(info.bitRate), 3, kBitRateDigitX);
}

void MainFrame::drawButtons(int engineState)
{
    const QImage& sprites = m_skin.Picture1;
    const QSize size(kButtonSize, kButtonSize);
    for (int i = 0; i < kButtonCount; ++i) {
        const int column = kButtonColumn[i];
        const bool lit = (i == 0 && engineState == 1) || (i == 1 && engineState == 0) ||
                         (i == 2 && engineState == 2);
        const QPoint mask(column, kButtonMaskRow);
        if (m_window.ButtonDown[i])
            MaskedCopy(m_frame, kButtonPos[i], sprites, mask, {column, kButtonDownRow}, size);
        else if (lit)
            MaskedCopy(m_frame, kButtonPos[i], sprites, mask, m_skin.Picture5,
                       {column, kButtonLitRow}, size);
        else
            MaskedCopy(m_frame, kButtonPos[i], sprites, mask, {column, kButtonImageRow}, size);
    }
    for (int i = 0; i < 2; ++i) {
        const int column = kSmallButtonColumn[i];
        const int row = m_window.ButtonDown[6 + i] ? kSmallButtonDownRow : kSmallButtonImageRow;
        MaskedCopy(m_frame, kSmallButtonPos[i], sprites, {column, kSmallButtonMaskRow},
                   {column, row}, kSmallButtonSize);
    }
}

void MainFrame::drawLargeDigit(int d, int x)
{
    const int w = kLargeDigitSize.width();
    MaskedCopy(m_frame, {x, kTimeDigitY}, m_skin.Picture1,
               {w * d + kLargeDigitMaskColumn, kLargeDigitRow}, {w * d, kLargeDigitRow},
               kLargeDigitSize);
}

QString MainFrame::TimeToolTip(int shownSec, int totalSec)
{
    return QStringLiteral("%1:%2/%3:%4")
        .arg(shownSec / 60)
        .arg(shownSec % 60, 2, 10, QLatin1Char('0'))
        .arg(totalSec / 60)
        .arg(totalSec % 60, 2, 10, QLatin1Char('0'));
}

void MainFrame::drawTime(int sec)
{
    const int totalSec = qMax(0, m_state.InputInfo.totalSec);
    int shown = sec;
    if (m_window.Seeking)
        shown = RoundEven(m_window.SeekPos * static_cast<double>(totalSec) / 60.0);
    shown = qMax(0, shown);
    const Digits minutes(shown / 60, 2);
    const Digits seconds(shown % 60, 2);
    drawLargeDigit(minutes.front(), kTimeDigitX[0]);
    drawLargeDigit(minutes.back(), kTimeDigitX[1]);
    drawLargeDigit(seconds.front(), kTimeDigitX[2]);
    drawLargeDigit(seconds.back(), kTimeDigitX[3]);
    // The tooltip text is made when it is asked for.
    m_tipShownSec = shown;
    m_tipTotalSec = totalSec;
}

void MainFrame::drawIndicators()
{
    const QImage& sprites = m_skin.Picture1;
    const QSize size(kIndicatorSize, kIndicatorSize);
    auto draw = [&](QPoint at, int column) {
        MaskedCopy(m_frame, at, sprites, {column, kIndicatorMaskRow}, {column, kIndicatorImageRow},
                   size);
    };
    if (m_state.FadeIn)
        draw(kFadeInIndicatorPos, kIndicatorFadeInColumn);
    if (m_state.AlwaysTop)
        draw(kTopMostIndicatorPos, kIndicatorTopMostColumn);
    static constexpr int kModeColumn[4] = {kIndicatorNormalColumn, kIndicatorRepeatColumn,
                                           kIndicatorRandomColumn, kIndicatorSingleColumn};
    if (m_state.PlayMode >= 0 && m_state.PlayMode <= 3)
        draw(kPlayModeIndicatorPos, kModeColumn[m_state.PlayMode]);
}

void MainFrame::WriteMessage()
{
    int x = 0;
    const TextStamp* stamp = statusStamp(x);
    m_statusShown = {stamp ? stamp->text() : QString(), x};
    if (stamp)
        stamp->drawOutlined(m_frame, x, kStatusY, kStatusColour, kStatusOutline);
}

const TextStamp* MainFrame::statusStamp(int& x)
{
    int32_t sec = 0;
    const int engineState = m_engine.getState(sec);
    const int percent = m_state.ConversionRunning ? qBound(0, m_engine.decodeProgress(), 100) : 0;
    const auto message = StatusMessage(m_state, engineState, sec, m_playlist.count(), percent);
    if (!message)
        return nullptr;
    // Most ticks show the same text: keep a stamp per text shown lately, cut to the box once.
    StatusStamp* stamp = nullptr;
    for (auto& cached : m_statusStamps) {
        if (cached.source == message->text)
            stamp = &cached;
    }
    if (!stamp) {
        if (m_statusStamps.size() >= 4)
            m_statusStamps.erase(m_statusStamps.begin());
        m_statusStamps.push_back({message->text, TextStamp(FrameFont())});
        stamp = &m_statusStamps.back();
        stamp->stamp.setText(
            QFontMetrics(FrameFont()).elidedText(message->text, Qt::ElideRight, kStatusWidth));
    }
    x = StatusLeft(*message, stamp->stamp.width());
    return &stamp->stamp;
}

void MainFrame::drawLamps(int engineState)
{
    const QRect lamp(kLampCell, kLampSize);
    if (m_state.FileOpened && m_trackShown)
        CopyRect(m_frame, kFileLampPos, m_skin.Picture1, lamp);
    if (m_playlist.count() > 0)
        CopyRect(m_frame, kListLampPos, m_skin.Picture1, lamp);
    if (engineState == 2)
        CopyRect(m_frame, kPauseLampPos, m_skin.Picture1, lamp);
}

void MainFrame::SetPositionCursor()
{
    int32_t sec = 0;
    m_engine.getState(sec);
    const int totalSec = m_state.InputInfo.totalSec;
    if (totalSec <= 0 || !m_trackShown)
        return;
    int position = m_window.SeekPos;
    if (!m_window.Seeking) {
        // The engine's length can be an estimate: keep the cursor on its bar.
        position = qBound(0, RoundEven(static_cast<double>(sec) / totalSec * 60.0), 60);
        m_window.SeekPos = position;
    }
    MaskedCopy(m_frame, {kCursorX, kCursorBottomY - position}, m_skin.Picture1, kCursorMask,
               kCursorImage, kCursorSize);
}
