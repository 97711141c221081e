// Draws every skin picture of the main window, the icons, the version picture and the playlist
// backgrounds, deterministically, into the skin folder (run by the skin-regen target).
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QRadialGradient>
#include <QTextStream>

#include <array>
#include <cmath>
#include <cstdio>
#include <random>

#include "engine/meta/audiofiletypes.h"
#include "pixelart.h"
#include "visual/skinlayout.h"

using namespace SkinLayout;

namespace {

// Palette: deep navy glass, charcoal body, cyan accents that match the spectrum strip.
const QColor kOutside(5, 7, 10);
const QColor kBodyTop(40, 47, 63);
const QColor kBodyBottom(18, 22, 31);
const QColor kBodyEdge(7, 9, 13);
const QColor kBodyHighlight(74, 86, 110);
const QColor kGlassTop(11, 22, 38);
const QColor kGlassBottom(5, 10, 20);
const QColor kGlassGrid(15, 30, 48);
const QColor kBezelDark(3, 5, 8);
const QColor kBezelLight(58, 68, 90);
const QColor kChip(8, 19, 29);
const QColor kChipBorder(31, 49, 66);
const QColor kChipLabel(70, 130, 150);
const QColor kCyan(0, 247, 239);
const QColor kCyanSoft(90, 232, 240);
const QColor kCyanDim(20, 120, 140);
const QColor kLampPlate(9, 13, 21);
const QColor kWell(9, 12, 18);
const QColor kWhite(255, 255, 255);
const QColor kBlack(0, 0, 0);

// The spectrum strip's colours, top row first (rows 0-49).
struct StripBand {
    int firstRow, lastRow;
    QRgb colour;
};
constexpr StripBand kStrip[] = {
    {0, 21, 0x00F7EF},  {22, 22, 0x00F2ED}, {23, 24, 0x00E9E8}, {25, 25, 0x00DFE2},
    {26, 28, 0x03D3DA}, {29, 31, 0x01B2C9}, {32, 35, 0x0091B9}, {36, 38, 0x0072A7},
    {39, 41, 0x005699}, {42, 43, 0x003A89}, {44, 45, 0x002880}, {46, 46, 0x00227A},
    {47, 47, 0x001A79}, {48, 48, 0x001476}, {49, 49, 0x001073},
};

// The level meter's colours from the centre outward.
constexpr QRgb kMeterColours[4] = {0xB4FC00, 0xF2FC26, 0xF79311, 0xF33A01};

QFont japaneseFont(int pixelSize, bool bold = false)
{
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setStyleStrategy(QFont::NoSubpixelAntialias);
    return font;
}

QFont latinFont(int pixelSize, bool bold = true)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setStyleStrategy(QFont::NoSubpixelAntialias);
    return font;
}

// 3 x 7 capitals for the engraved read-out labels, as tall as the digits beside them.
const std::map<char, std::array<const char*, 7>> kLabelFont = {
    {'K', {"#.#", "#.#", "##.", "#..", "##.", "#.#", "#.#"}},
    {'B', {"##.", "#.#", "#.#", "##.", "#.#", "#.#", "##."}},
    {'P', {"##.", "#.#", "#.#", "##.", "#..", "#..", "#.."}},
    {'S', {".##", "#..", "#..", ".#.", "..#", "..#", "##."}},
    {'H', {"#.#", "#.#", "#.#", "###", "#.#", "#.#", "#.#"}},
    {'Z', {"###", "..#", "..#", ".#.", "#..", "#..", "###"}},
    {'V', {"#.#", "#.#", "#.#", "#.#", "#.#", "#.#", ".#."}},
    {'O', {".#.", "#.#", "#.#", "#.#", "#.#", "#.#", ".#."}},
    {'L', {"#..", "#..", "#..", "#..", "#..", "#..", "###"}},
};

// Draws a label in kLabelFont; returns the x after its last glyph's column.
int drawLabel(QImage& image, QPoint at, const QString& text, QColor colour)
{
    int x = at.x();
    for (QChar c : text) {
        const auto glyph = kLabelFont.find(char(c.toLatin1()));
        if (glyph != kLabelFont.end()) {
            for (int row = 0; row < 7; ++row)
                for (int col = 0; col < 3; ++col)
                    if (glyph->second[row][col] == '#')
                        PutPixel(image, x + col, at.y() + row, colour);
        }
        x += 4;
    }
    return x - 1;
}

// A painter on image that takes 1x coordinates at the current scale.
void scaleTo1x(QPainter& p)
{
    p.scale(Scale(), Scale());
}

// ---------------------------------------------------------------------------------------------
// The main window's body and display glass.

QPoint buttonCentre(int i)
{
    return kButtonPos[i] + QPoint(kButtonSize / 2, kButtonSize / 2);
}

constexpr int kWellRadius = 14;

QRect bitRateChip()
{
    return {93, 13, 41, 13};
}
QRect sampleRateChip()
{
    return {136, 13, 42, 13};
}
QRect volumeChip()
{
    return {179, 13, 36, 13};
}

// The display window: everything the overlay leaves transparent.
QPainterPath glassPath()
{
    QPainterPath wide;
    wide.addRoundedRect(QRectF(8, 18, 284, 80), 6, 6);
    QPainterPath centre;
    centre.addRoundedRect(QRectF(86, 8, 128, 30), 5, 5);
    QPainterPath glass = wide.united(centre);

    QPainterPath cut;
    for (int i = 0; i < kButtonCount; ++i) {
        const QPoint c = buttonCentre(i);
        cut.addEllipse(QPointF(c.x() + 0.0, c.y() + 0.0), kWellRadius, kWellRadius);
        cut.addRect(QRectF(c.x() - kWellRadius, c.y(), 2 * kWellRadius, 150));
    }
    // The position bar's groove.
    cut.addRoundedRect(QRectF(76, 15, 11, 75), 4, 4);
    // Readout chips.
    for (const QRect& chip : {bitRateChip(), sampleRateChip(), volumeChip()})
        cut.addRoundedRect(QRectF(chip).adjusted(-1, -1, 1, 1), 3, 3);
    glass = glass.subtracted(cut);

    QPainterPath title;
    title.addRoundedRect(QRectF(kTitleWindow).adjusted(-1, -1, 1, 1), 4, 4);
    return glass.united(title);
}

// The glass interior as the background shows it.
void paintGlassInterior(QPainter& p, const QPainterPath& glass)
{
    p.save();
    p.setClipPath(glass);
    QLinearGradient fill(0, 8, 0, 118);
    fill.setColorAt(0, kGlassTop);
    fill.setColorAt(0.8, kGlassBottom);
    fill.setColorAt(1, kGlassBottom);
    p.fillRect(QRect(0, 0, 300, 125), fill);
    // Faint scale lines behind the analyser band.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(kGlassGrid);
    for (int y = 20; y <= 70; y += 10)
        for (int x = 90; x <= 210; x += 2)
            p.drawPoint(x, y);
    // A soft reflection across the top of the glass.
    QLinearGradient sheen(0, 8, 0, 40);
    sheen.setColorAt(0, QColor(120, 170, 220, 22));
    sheen.setColorAt(1, QColor(120, 170, 220, 0));
    p.fillRect(QRect(0, 8, 300, 32), sheen);
    p.restore();
}

void paintChip(QImage& image, const QRect& chip, const QString& label, int labelX)
{
    QPainter p(&image);
    scaleTo1x(p);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kChipBorder, 1));
    p.setBrush(kChip);
    p.drawRoundedRect(QRectF(chip).adjusted(0.5, 0.5, -0.5, -0.5), 2.5, 2.5);
    p.end();
    // The digits' own cells are flat chip colour so that copied digits sit seamlessly.
    FillRect(image, chip.adjusted(2, 2, -2, -2), kChip);
    drawLabel(image, {labelX, kSmallDigitY}, label, kChipLabel);
}

// Meter shape shared by the sprite and the dim outline behind it: height of column distance d.
int meterHeight(int d)
{
    return 2 + int(std::lround(d * 6 / 19.0));
}
// The left wedge's outermost column (d = 19) stays empty: in the sprite sheet it is also the quit
// key's last column, which must be clear for the key to be.
bool meterSegment(int d)
{
    return d % 3 != 2 && d < 19;
}
QRgb meterColour(int d)
{
    const double t = d / 19.0;
    return kMeterColours[t < 0.3 ? 0 : t < 0.55 ? 1 : t < 0.8 ? 2 : 3];
}

// Wells for the buttons: a dark ring the buttons sit in.
void paintWell(QPainter& p, QPoint centre)
{
    QRadialGradient ring(centre, kWellRadius);
    ring.setColorAt(0.70, kWell);
    ring.setColorAt(0.86, QColor(14, 18, 26));
    ring.setColorAt(1.0, QColor(30, 36, 50));
    p.setPen(Qt::NoPen);
    p.setBrush(ring);
    p.drawEllipse(QPointF(centre), kWellRadius - 0.5, kWellRadius - 0.5);
}

QImage paintBody(const QPainterPath& glass)
{
    QImage body = ScaledImage(kFrameSize, QImage::Format_RGB32);
    body.fill(kOutside);
    QPainter p(&body);
    scaleTo1x(p);
    p.setRenderHint(QPainter::Antialiasing);

    // The case.
    QLinearGradient caseFill(0, 0, 0, 150);
    caseFill.setColorAt(0, kBodyTop);
    caseFill.setColorAt(0.55, QColor(27, 32, 44));
    caseFill.setColorAt(1, kBodyBottom);
    p.setPen(QPen(kBodyEdge, 1));
    p.setBrush(caseFill);
    p.drawRoundedRect(QRectF(0.5, 0.5, 299, 149), 9, 9);
    p.setPen(
        QPen(QColor(kBodyHighlight.red(), kBodyHighlight.green(), kBodyHighlight.blue(), 140), 1));
    p.drawLine(QPointF(9, 1.5), QPointF(291, 1.5));

    // Fine brushed texture on the case.
    std::mt19937 grain(7);
    for (int y = 1; y < 149; ++y) {
        for (int x = 1; x < 299; ++x) {
            const int n = int(grain() % 7) - 3;
            if (n == 0)
                continue;
            // One grain per 1x pixel, on every pixel it covers.
            for (int dy = 0; dy < Scale(); ++dy)
                for (int dx = 0; dx < Scale(); ++dx) {
                    const int px = x * Scale() + dx, py = y * Scale() + dy;
                    QColor c = body.pixelColor(px, py);
                    if (c == kOutside)
                        continue;
                    c.setRgb(std::clamp(c.red() + n, 0, 255), std::clamp(c.green() + n, 0, 255),
                             std::clamp(c.blue() + n, 0, 255));
                    body.setPixelColor(px, py, c);
                }
        }
    }

    // Bezel around the glass: a dark lip above, a light lip below, as if the glass were sunk.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(kBezelLight.red(), kBezelLight.green(), kBezelLight.blue(), 150), 1.2));
    p.drawPath(glass.translated(0, 1));
    p.setPen(QPen(kBezelDark, 2));
    p.drawPath(glass);
    paintGlassInterior(p, glass);

    // Button wells.
    for (int i = 0; i < kButtonCount; ++i)
        paintWell(p, buttonCentre(i));

    // Position groove: a slot with tick marks every quarter of the track.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(22, 27, 38));
    p.drawRoundedRect(QRectF(77, 16, 9, 73), 3.5, 3.5);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(QRect(81, 21, 1, 64), QColor(2, 4, 8));
    p.fillRect(QRect(80, 21, 1, 64), QColor(12, 30, 44));
    p.fillRect(QRect(82, 21, 1, 64), QColor(12, 30, 44));
    for (int y = 22; y <= 82; y += 15) {
        p.fillRect(QRect(77, y, 2, 1), QColor(60, 90, 110));
        p.fillRect(QRect(84, y, 2, 1), QColor(60, 90, 110));
    }
    p.end();

    // Lamp plate with its three unlit lamps.
    {
        QPainter lp(&body);
        scaleTo1x(lp);
        lp.setRenderHint(QPainter::Antialiasing);
        lp.setPen(QPen(QColor(34, 42, 58), 1));
        lp.setBrush(kLampPlate);
        lp.drawRoundedRect(QRectF(2.5, 3.5, 34, 10), 3, 3);
    }
    FillRect(body, QRect(4, 5, 32, 8), kLampPlate);
    const std::map<char, QColor> unlit = {{'o', QColor(12, 40, 50)}, {'O', QColor(16, 58, 70)}};
    for (QPoint at : {kListLampPos, kFileLampPos, kPauseLampPos})
        DrawPixels(body, at, {".oooo.", "oOOOOo", "oOOOOo", "oOOOOo", "oOOOOo", ".oooo."}, unlit);

    // Logo between the lamps and the display, narrowed to keep clear of the display's frame.
    {
        QPainter tp(&body);
        scaleTo1x(tp);
        tp.setRenderHint(QPainter::TextAntialiasing);
        QFont logo = latinFont(8);
        const QString name = QStringLiteral("MORVANE");
        const double room = 38.0; // x 41..79, four pixels short of the frame's bezel at 84
        const int natural = QFontMetrics(logo).horizontalAdvance(name);
        if (natural > room)
            logo.setStretch(std::max(50, int(100 * room / natural)));
        else
            logo.setLetterSpacing(QFont::AbsoluteSpacing, (room - natural) / 6);
        tp.setFont(logo);
        tp.setPen(QColor(0, 0, 0, 170));
        tp.drawText(QPointF(41, 13), name);
        tp.setPen(kCyanSoft);
        tp.drawText(QPointF(41, 12), name);
    }

    // Readout chips.
    paintChip(body, bitRateChip(), QStringLiteral("KBPS"), 117);
    paintChip(body, sampleRateChip(), QStringLiteral("HZ"), 169);
    // Two dark columns between the label and the digits (the digits' own first column is blank).
    paintChip(body, volumeChip(), QStringLiteral("VOL"), kVolumeDigitX[0] - 13);

    // Colon of the elapsed time.
    FillRect(body, QRect(44, 50, 2, 2), kCyanDim);
    FillRect(body, QRect(44, 55, 2, 2), kCyanDim);

    // Level-meter tracks with a dim outline of the full wedge.
    {
        QPainter mp(&body);
        scaleTo1x(mp);
        mp.setRenderHint(QPainter::Antialiasing);
        mp.setPen(QPen(QColor(40, 48, 64), 1));
        mp.setBrush(QColor(10, 13, 19));
        mp.drawRoundedRect(QRectF(5.5, 104.5, 24, 13), 3, 3);
        mp.drawRoundedRect(QRectF(272.5, 103.5, 24, 13), 3, 3);
    }
    for (int d = 0; d <= 19; ++d) {
        if (!meterSegment(d))
            continue;
        const int h = meterHeight(d);
        const QColor ghost(22, 30, 42);
        for (int r = kMeterRows - h; r < kMeterRows; ++r) {
            const int leftX = kMeterLeftEnd.x() - 1 - d; // d from the inner end
            if (leftX >= 8)
                PutPixel(body, leftX, kMeterLeftEnd.y() + r, ghost);
            if (d <= 18)
                PutPixel(body, kMeterRightStart.x() + d, kMeterRightStart.y() + r, ghost);
        }
    }

    // The lyric bar below the display.
    {
        QPainter lp(&body);
        scaleTo1x(lp);
        lp.setRenderHint(QPainter::Antialiasing);
        QLinearGradient bar(0, 127, 0, 148);
        bar.setColorAt(0, QColor(6, 9, 15));
        bar.setColorAt(1, QColor(11, 15, 23));
        lp.setPen(QPen(QColor(3, 5, 8), 1));
        lp.setBrush(bar);
        lp.drawRoundedRect(QRectF(4.5, 126.5, 291, 20), 5, 5);
        lp.setPen(QPen(QColor(52, 62, 82, 150), 1));
        lp.drawLine(QPointF(10, 147.5), QPointF(290, 147.5));
    }
    return body;
}

// ---------------------------------------------------------------------------------------------
// Sprites.

// The transport buttons share one round shape; their mask is the same in every column.
QImage roundButtonMask()
{
    QPainterPath circle;
    circle.addEllipse(QRectF(0.5, 0.5, 21, 21));
    QImage coverage = FullCoverage(circle, {kButtonSize, kButtonSize});
    QImage mask = ScaledImage({kButtonSize, kButtonSize}, QImage::Format_RGB32);
    for (int y = 0; y < mask.height(); ++y)
        for (int x = 0; x < mask.width(); ++x)
            mask.setPixelColor(x, y, qGray(coverage.pixel(x, y)) >= 100 ? kBlack : kWhite);
    return mask;
}

enum class ButtonLook { Normal, Down, Lit };

void drawGlyph(QPainter& p, int column, QColor colour)
{
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    const double cx = 11, cy = 11;
    auto triangle = [&](double x, double y, double w, double h) {
        QPolygonF t;
        t << QPointF(x, y) << QPointF(x + w, y + h / 2) << QPointF(x, y + h);
        p.drawPolygon(t);
    };
    auto backTriangle = [&](double x, double y, double w, double h) {
        QPolygonF t;
        t << QPointF(x + w, y) << QPointF(x, y + h / 2) << QPointF(x + w, y + h);
        p.drawPolygon(t);
    };
    switch (column / kButtonSize) {
    case 0: // play
        triangle(cx - 3, cy - 5, 9, 10);
        break;
    case 1: // stop
        p.drawRect(QRectF(cx - 4, cy - 4, 8, 8));
        break;
    case 2: // pause
        p.drawRect(QRectF(cx - 4, cy - 4.5, 3, 9));
        p.drawRect(QRectF(cx + 1, cy - 4.5, 3, 9));
        break;
    case 3: // next track
        triangle(cx - 5, cy - 4, 5, 8);
        triangle(cx - 0.5, cy - 4, 5, 8);
        p.drawRect(QRectF(cx + 4.5, cy - 4, 1.6, 8));
        break;
    case 4: // previous track
        p.drawRect(QRectF(cx - 6, cy - 4, 1.6, 8));
        backTriangle(cx - 4.5, cy - 4, 5, 8);
        backTriangle(cx, cy - 4, 5, 8);
        break;
    case 5: { // quit: the power sign
        QPen ring(colour, 1.8, Qt::SolidLine, Qt::RoundCap);
        p.setPen(ring);
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(cx - 5, cy - 4.5, 10, 10), 125 * 16, 290 * 16);
        p.drawLine(QPointF(cx, cy - 6), QPointF(cx, cy - 0.5));
        break;
    }
    default:
        break;
    }
}

QImage transportButton(int column, ButtonLook look, const QImage& mask)
{
    QImage art = ScaledImage({kButtonSize, kButtonSize}, QImage::Format_ARGB32_Premultiplied);
    art.fill(kWell);
    QPainter p(&art);
    scaleTo1x(p);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF disc(0.5, 0.5, 21, 21);
    QLinearGradient face(0, 0, 0, 22);
    switch (look) {
    case ButtonLook::Normal:
        face.setColorAt(0, QColor(62, 74, 98));
        face.setColorAt(0.5, QColor(36, 43, 58));
        face.setColorAt(1, QColor(22, 27, 37));
        break;
    case ButtonLook::Down:
        // Sunk into its well: dark at the top where the rim shades it, a lit floor below.
        face.setColorAt(0, QColor(6, 10, 16));
        face.setColorAt(0.6, QColor(16, 40, 52));
        face.setColorAt(1, QColor(24, 66, 80));
        break;
    case ButtonLook::Lit:
        face.setColorAt(0, QColor(20, 84, 100));
        face.setColorAt(0.5, QColor(12, 48, 62));
        face.setColorAt(1, QColor(8, 30, 40));
        break;
    }
    p.setPen(QPen(QColor(2, 3, 5), 1));
    p.setBrush(face);
    p.drawEllipse(disc);
    if (look == ButtonLook::Lit) {
        p.setPen(QPen(QColor(0, 200, 215, 200), 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(disc.adjusted(1.2, 1.2, -1.2, -1.2));
    } else if (look == ButtonLook::Normal) {
        // Gloss on the upper half.
        QLinearGradient gloss(0, 1, 0, 11);
        gloss.setColorAt(0, QColor(255, 255, 255, 60));
        gloss.setColorAt(1, QColor(255, 255, 255, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(gloss);
        p.drawEllipse(QRectF(4, 1.5, 14, 9));
    } else {
        // Inner shadow along the upper rim and a lit ring: pressed, and live.
        p.setPen(QPen(QColor(0, 0, 0, 200), 2));
        p.setBrush(Qt::NoBrush);
        p.drawArc(disc.adjusted(1.5, 1.5, -1.5, -1.5), 20 * 16, 140 * 16);
        p.setPen(QPen(QColor(0, 200, 215, 150), 1));
        p.drawArc(disc.adjusted(1.2, 1.2, -1.2, -1.2), 200 * 16, 140 * 16);
    }
    switch (look) {
    case ButtonLook::Normal:
        drawGlyph(p, column, QColor(150, 214, 226));
        break;
    case ButtonLook::Down:
        p.translate(0.6, 1);
        drawGlyph(p, column, QColor(210, 255, 255));
        break;
    case ButtonLook::Lit: {
        // A soft glow under the glyph, then the glyph itself.
        for (double spread : {1.6, 0.8}) {
            p.save();
            p.setOpacity(0.25);
            p.translate(-spread / 2, -spread / 2);
            p.scale(1 + spread / 22, 1 + spread / 22);
            drawGlyph(p, column, kCyan);
            p.restore();
        }
        drawGlyph(p, column, QColor(190, 255, 252));
        break;
    }
    }
    p.end();
    QImage out = ScaledImage({kButtonSize, kButtonSize}, QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
            out.setPixel(x, y,
                         mask.pixel(x, y) == qRgb(0, 0, 0) ? art.pixel(x, y) | 0xFF000000u
                                                           : qRgb(255, 255, 255));
    return out;
}

void copyInto(QImage& dst, QPoint at, const QImage& src)
{
    QPainter p(&dst);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(at * Scale(), src);
}

void drawSmallButtons(QImage& sheet, const QImage& body)
{
    const QSize size = kSmallButtonSize;
    for (int b = 0; b < 2; ++b) {
        const int column = kSmallButtonColumn[b];
        // Shape: a rounded key 15 x 14 with its own bevel; the last column is the window's edge.
        QPainterPath key;
        key.addRoundedRect(QRectF(0.5, 0.5, 14, 13.5), 3, 3);
        const QImage coverage = FullCoverage(key, size);
        for (int down = 0; down < 2; ++down) {
            QImage art = ScaledImage(size, QImage::Format_ARGB32_Premultiplied);
            art.fill(PixelAt(body, kSmallButtonPos[b].x() + 15, kSmallButtonPos[b].y() + 7));
            QPainter p(&art);
            scaleTo1x(p);
            p.setRenderHint(QPainter::Antialiasing);
            QLinearGradient face(0, 0, 0, 15);
            face.setColorAt(0, down ? QColor(4, 6, 10) : QColor(62, 72, 94));
            face.setColorAt(1, down ? QColor(24, 34, 46) : QColor(26, 31, 42));
            p.setPen(QPen(QColor(2, 3, 5), 1));
            p.setBrush(face);
            p.drawPath(key);
            // Pressed: the glyph lights up rather than dims.
            const QColor glyph = b == 1 ? (down ? QColor(255, 190, 175) : QColor(255, 130, 110))
                                        : (down ? QColor(210, 255, 255) : QColor(150, 214, 226));
            p.setPen(QPen(glyph, 1.6, Qt::SolidLine, Qt::RoundCap));
            const double shift = down ? 0.7 : 0;
            if (b == 0) {
                p.drawLine(QPointF(4.5, 9.5 + shift), QPointF(10.5, 9.5 + shift));
            } else {
                p.drawLine(QPointF(4.5, 4 + shift), QPointF(10.5, 10 + shift));
                p.drawLine(QPointF(10.5, 4 + shift), QPointF(4.5, 10 + shift));
            }
            p.end();
            const int row = (down ? kSmallButtonDownRow : kSmallButtonImageRow) * Scale();
            const int left = column * Scale();
            for (int y = 0; y < art.height(); ++y)
                for (int x = 0; x < art.width(); ++x) {
                    const bool solid = qGray(coverage.pixel(x, y)) >= 100;
                    sheet.setPixel(left + x, row + y,
                                   solid ? art.pixel(x, y) : qRgb(255, 255, 255));
                    if (!down)
                        sheet.setPixelColor(left + x, kSmallButtonMaskRow * Scale() + y,
                                            solid ? kBlack : kWhite);
                }
        }
    }
}

void drawIndicators(QImage& sheet)
{
    struct Icon {
        int column;
        QColor colour;
        std::initializer_list<const char*> rows;
    };
    const QColor mode(60, 240, 236);
    const QColor amber(255, 184, 60);
    const Icon icons[] = {
        {kIndicatorRepeatColumn,
         mode,
         {"..####..", ".#....#.", "#......#", "#....###", "#.....#.", "#.......", ".#....#.",
          "..####.."}},
        {kIndicatorRandomColumn,
         mode,
         {".....#..", "##..####", "..##.#..", "...##...", "...##...", "..##.#..", "##..####",
          ".....#.."}},
        {kIndicatorNormalColumn,
         mode,
         {"........", "....#...", "....##..", "########", "########", "....##..", "....#...",
          "........"}},
        {kIndicatorFadeInColumn,
         amber,
         {"........", ".......#", "......##", ".....###", "....####", "...#####", "..######",
          ".#######"}},
        {kIndicatorTopMostColumn,
         amber,
         {"########", "........", "...##...", "..####..", ".######.", "...##...", "...##...",
          "...##..."}},
        {kIndicatorSingleColumn,
         mode,
         {"..####..", ".#....#.", "#..#...#", "#.##.###", "#..#..#.", "#..#....", ".#.#..#.",
          "..####.."}},
    };
    for (const Icon& icon : icons) {
        DrawPixels(sheet, {icon.column, kIndicatorImageRow}, icon.rows, {{'#', icon.colour}});
        DrawPixels(sheet, {icon.column, kIndicatorMaskRow}, icon.rows, {{'#', kBlack}});
    }
}

void drawMeter(QImage& sheet)
{
    for (int column = kMeterFirstColumn; column <= kMeterLastColumn; ++column) {
        const int d = column <= 50 ? 50 - column : column - 51;
        if (!meterSegment(d))
            continue;
        const int h = meterHeight(d);
        for (int r = kMeterRows - h; r < kMeterRows; ++r) {
            PutPixel(sheet, column, kMeterImageRow + r, QColor::fromRgb(meterColour(d)));
            PutPixel(sheet, column, kMeterMaskRow + r, kBlack);
        }
    }
}

// Large digits: seven segments two pixels thick, with the unlit segments faintly visible.
void drawLargeDigits(QImage& sheet)
{
    struct Segment {
        int x, y, w, h;
    };
    const Segment segments[7] = {
        {2, 0, 5, 2},  // a top
        {7, 2, 2, 4},  // b upper right
        {7, 8, 2, 4},  // c lower right
        {2, 12, 5, 2}, // d bottom
        {0, 8, 2, 4},  // e lower left
        {0, 2, 2, 4},  // f upper left
        {2, 6, 5, 2},  // g middle
    };
    static constexpr const char* kLit[10] = {"abcdef", "bc",     "abged", "abgcd",   "fgbc",
                                             "afgcd",  "afgedc", "abc",   "abcdefg", "abfgcd"};
    const QColor on(60, 244, 240);
    const QColor onEdge(0, 190, 205);
    const QColor off(13, 36, 46);
    for (int digit = 0; digit < 10; ++digit) {
        const int x0 = digit * kLargeDigitSize.width();
        const int mx0 = x0 + kLargeDigitMaskColumn;
        for (int s = 0; s < 7; ++s) {
            const bool lit = std::string(kLit[digit]).find(char('a' + s)) != std::string::npos;
            const Segment& g = segments[s];
            for (int y = 0; y < g.h; ++y)
                for (int x = 0; x < g.w; ++x) {
                    // The lower/right pixel row of a lit segment is a shade darker for depth.
                    const bool edge = (g.w > g.h) ? y == g.h - 1 : x == g.w - 1;
                    const QColor c = lit ? (edge ? onEdge : on) : off;
                    PutPixel(sheet, x0 + g.x + x, kLargeDigitRow + g.y + y, c);
                    PutPixel(sheet, mx0 + g.x + x, kLargeDigitRow + g.y + y, kBlack);
                }
        }
    }
}

void drawSmallDigits(QImage& sheet)
{
    static constexpr std::array<const char*, 7> kGlyphs[10] = {
        {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."},
        {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."},
        {".###.", "#...#", "....#", "..##.", ".#...", "#....", "#####"},
        {"#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."},
        {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."},
        {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."},
        {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."},
        {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."},
        {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."},
        {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."},
    };
    const QColor ink(110, 246, 250);
    for (int d = 0; d < 10; ++d) {
        const QPoint at(d * kSmallDigitSize.width(), kSmallDigitRow);
        FillRect(sheet, QRect(at, kSmallDigitSize), kChip);
        DrawPixels(sheet, at,
                   {kGlyphs[d][0], kGlyphs[d][1], kGlyphs[d][2], kGlyphs[d][3], kGlyphs[d][4],
                    kGlyphs[d][5], kGlyphs[d][6]},
                   {{'#', ink}});
    }
}

void drawCursorAndLamp(QImage& sheet)
{
    const std::initializer_list<const char*> diamond = {"..#..", ".#o#.", "#ooo#", ".#o#.",
                                                        "..#.."};
    DrawPixels(sheet, kCursorImage, diamond,
               {{'#', QColor(0, 200, 215)}, {'o', QColor(210, 255, 255)}});
    DrawPixels(sheet, kCursorMask, diamond, {{'#', kBlack}, {'o', kBlack}});
    FillRect(sheet, QRect(kLampCell, kLampSize), kLampPlate);
    DrawPixels(
        sheet, kLampCell, {".eeee.", "ebbbbe", "ebwwbe", "ebwwbe", "ebbbbe", ".eeee."},
        {{'e', QColor(0, 120, 135)}, {'b', QColor(0, 222, 232)}, {'w', QColor(200, 255, 255)}});
}

void drawStrips(QImage& sheet)
{
    for (const StripBand& band : kStrip)
        for (int row = band.firstRow; row <= band.lastRow; ++row) {
            PutPixel(sheet, kStripColumn, row, QColor::fromRgb(band.colour));
            for (int x = kWideStripColumn; x < kWideStripColumn + 3; ++x)
                PutPixel(sheet, x, row, QColor::fromRgb(band.colour));
        }
}

// Menu pages: five rounded tabs per page (back, three commands, forward), each 11 rows high.
struct MenuPageText {
    const char* title;
    const char* commands[3];
};
const MenuPageText kMenuTexts[kMenuPages] = {
    {"再生", {"プレイリスト", "再生モード", "イコライザ"}},
    {"ツール", {"歌詞エディタ", "WAV変換", "ショートカット"}},
    {"フェード", {"フェードアウト", "フェードイン", "タグ編集"}},
    {"システム", {"設定", "エクスプローラ", "バージョン"}},
    {"その他", {"ドキュメント", "ヘルプ", "ピッチ"}},
};

void drawTab(QImage& sheet, QPoint at, int width, bool highlighted, int entry, int page,
             bool drawMask)
{
    const int height = kMenuEntryHeight - 1;
    const bool navigation = entry == 0 || entry == 4;
    // Tab pixels: the rectangle with its four corner pixels cut.
    auto inside = [&](int x, int y) {
        const bool cornerX = x == 0 || x == width - 1;
        const bool cornerY = y == 0 || y == height - 1;
        return !(cornerX && cornerY);
    };
    QImage art = ScaledImage({width, height}, QImage::Format_RGB32);
    QPainter p(&art);
    scaleTo1x(p);
    QLinearGradient face(0, 0, 0, height);
    if (highlighted) {
        face.setColorAt(0, QColor(0, 128, 146));
        face.setColorAt(1, QColor(0, 74, 92));
    } else if (navigation) {
        face.setColorAt(0, QColor(22, 32, 48));
        face.setColorAt(1, QColor(14, 21, 33));
    } else {
        face.setColorAt(0, QColor(24, 40, 60));
        face.setColorAt(1, QColor(14, 25, 40));
    }
    p.fillRect(art.rect(), face);
    p.fillRect(QRect(0, 0, 2, height),
               highlighted ? kCyan : (navigation ? kCyanDim : QColor(0, 150, 175)));
    p.fillRect(QRect(2, 0, width - 2, 1), highlighted ? QColor(80, 220, 230) : QColor(44, 62, 86));
    p.end();
    const QColor ink = highlighted ? QColor(255, 255, 255)
                                   : (navigation ? QColor(130, 186, 204) : QColor(200, 236, 244));
    // The caption is drawn white on black as coverage first: kanji this small smear when
    // smoothed, so the coverage is steepened, strokes solid and their fringes thin.
    QImage coverage = ScaledImage({width, height}, QImage::Format_RGB32);
    coverage.fill(Qt::black);
    QPainter t(&coverage);
    scaleTo1x(t);
    t.setRenderHint(QPainter::TextAntialiasing);
    t.setPen(Qt::white);
    // Commands in the largest size the tab holds; the page title and "next" stay smaller.
    QFont font = japaneseFont(entry == 0 || entry == 4 ? 10 : 11);
    if (entry == 0) {
        t.setFont(font);
        t.drawText(QRect(4, 0, width - 6, height), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("◀ ") + QString::fromUtf8(kMenuTexts[page].title));
    } else if (entry == 4) {
        t.setFont(font);
        t.drawText(QRect(4, 0, width - 7, height), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("次へ"));
        t.drawText(QRect(0, 0, width - 3, height), Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral("▶"));
    } else {
        const QString text = QString::fromUtf8(kMenuTexts[page].commands[entry - 1]);
        // Long captions are narrowed rather than cut.
        const int room = width - 7;
        const int natural = QFontMetrics(font).horizontalAdvance(text);
        if (natural > room)
            font.setStretch(std::max(60, 100 * room / natural));
        t.setFont(font);
        t.drawText(QRect(5, 0, room, height), Qt::AlignLeft | Qt::AlignVCenter, text);
    }
    t.end();
    for (int y = 0; y < art.height(); ++y)
        for (int x = 0; x < art.width(); ++x) {
            const double c = std::clamp((qGray(coverage.pixel(x, y)) - 70) / 130.0, 0.0, 1.0);
            if (c > 0)
                art.setPixelColor(x, y, Mix(art.pixelColor(x, y), ink, c));
        }
    const QPoint origin = at * Scale();
    for (int y = 0; y < art.height(); ++y)
        for (int x = 0; x < art.width(); ++x) {
            if (!inside(x / Scale(), y / Scale()))
                continue;
            sheet.setPixel(origin.x() + x, origin.y() + y, art.pixel(x, y));
            if (drawMask)
                sheet.setPixelColor(origin.x() + x,
                                    origin.y() + y + (kMenuMaskRow - kMenuImageRow) * Scale(),
                                    kBlack);
        }
}

void drawMenuPages(QImage& sheet)
{
    for (int page = 0; page < kMenuPages; ++page) {
        const int x = page * kMenuPageSize;
        for (int entry = 0; entry < kMenuPages; ++entry) {
            const int width = kMenuEntryWidth[entry];
            const int pageRow = (kMenuHighlightY - kMenuPos.y()) + entry * kMenuEntryHeight;
            drawTab(sheet, {x, kMenuImageRow + pageRow}, width, false, entry, page, true);
            drawTab(sheet, {x, kMenuHighlightImageRow + entry * kMenuEntryHeight}, width, true,
                    entry, page, false);
        }
    }
}

QImage spriteSheet(const QImage& body)
{
    QImage sheet = ScaledImage(kSpriteSheetSize, QImage::Format_RGB32);
    sheet.fill(kWhite);
    const QImage mask = roundButtonMask();
    for (int i = 0; i < kButtonCount; ++i) {
        const int column = kButtonColumn[i];
        copyInto(sheet, {column, kButtonImageRow},
                 transportButton(column, ButtonLook::Normal, mask));
        copyInto(sheet, {column, kButtonDownRow}, transportButton(column, ButtonLook::Down, mask));
        copyInto(sheet, {column, kButtonMaskRow}, mask);
    }
    drawSmallButtons(sheet, body);
    drawIndicators(sheet);
    drawMeter(sheet);
    drawLargeDigits(sheet);
    drawSmallDigits(sheet);
    drawCursorAndLamp(sheet);
    drawStrips(sheet);
    drawMenuPages(sheet);

    // Column 31 is the quit key's last column and the left meter's outermost one: clear in
    // both (white image, white mask), so the pressed key shows the window's own edge there
    // rather than a stripe of the meter.
    const int edgeColumn = kSmallButtonColumn[1] + kSmallButtonSize.width() - 1;
    for (int row = kSmallButtonImageRow; row < kSmallButtonMaskRow + kSmallButtonSize.height();
         ++row)
        PutPixel(sheet, edgeColumn, row, kWhite);
    return sheet;
}

QImage litButtons()
{
    QImage lit = ScaledImage(kLitButtonsSize, QImage::Format_RGB32);
    lit.fill(kWhite);
    const QImage mask = roundButtonMask();
    for (int i = 0; i < kButtonCount; ++i)
        copyInto(lit, {kButtonColumn[i], kButtonLitRow},
                 transportButton(kButtonColumn[i], ButtonLook::Lit, mask));
    return lit;
}

// The overlay: the body where it is opaque (mask black), white image and mask where the glass is.
QImage overlay(const QImage& body, const QPainterPath& glass)
{
    const QImage coverage = FullCoverage(glass, kFrameSize);
    QImage out = ScaledImage(kOverlaySize, QImage::Format_RGB32);
    const int maskRow = kOverlayMaskRow * Scale();
    for (int y = 0; y < kOverlayHeight * Scale(); ++y)
        for (int x = 0; x < body.width(); ++x) {
            const bool seeThrough = qGray(coverage.pixel(x, y)) == 255;
            out.setPixel(x, y, seeThrough ? qRgb(255, 255, 255) : body.pixel(x, y));
            out.setPixel(x, maskRow + y, seeThrough ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
        }
    return out;
}

// ---------------------------------------------------------------------------------------------
// Icons, version picture, playlist backgrounds.

// The program's mark: spectrum bars in a rounded navy tile. `variant` 0 program and playing
// tray icon, 1 the second playing image (bars moved), 2 not playing (grey).
// Small sizes are drawn on whole pixels so that the bars stay sharp.
QImage smallMarkIcon(int size, int variant)
{
    QImage icon(size, size, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing);
    const bool grey = variant == 2;
    p.setPen(QPen(grey ? QColor(110, 116, 128) : QColor(0, 170, 190), 1));
    p.setBrush(grey ? QColor(44, 48, 58) : QColor(14, 26, 46));
    p.drawRoundedRect(QRectF(0.5, 0.5, size - 1, size - 1), size / 5.0, size / 5.0);
    p.setRenderHint(QPainter::Antialiasing, false);
    static constexpr double kHeights[2][4] = {{0.55, 0.95, 0.7, 0.85}, {0.85, 0.6, 1.0, 0.5}};
    const double* heights = kHeights[variant == 1 ? 1 : 0];
    const int barWidth = size >= 22 ? 3 : 2;
    const int gap = 1;
    const int total = 4 * barWidth + 3 * gap;
    const int x0 = (size - total) / 2;
    const int bottom = size - 3;
    const int room = size - 6;
    for (int i = 0; i < 4; ++i) {
        const int h = std::max(2, int(std::lround(room * heights[i])));
        for (int y = 0; y < h; ++y) {
            const double t = double(y) / room; // 0 at the bottom
            const QColor c = grey ? Mix(QColor(110, 116, 128), QColor(210, 214, 222), t)
                                  : Mix(QColor(0, 60, 150), QColor(0, 247, 239), t);
            p.fillRect(QRect(x0 + i * (barWidth + gap), bottom - y, barWidth, 1), c);
        }
    }
    return icon;
}

QImage markIcon(int size, int variant)
{
    if (size < 32)
        return smallMarkIcon(size, variant);
    QImage icon(size, size, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    QLinearGradient tile(0, 0, 0, 64);
    tile.setColorAt(0, variant == 2 ? QColor(60, 66, 78) : QColor(24, 44, 74));
    tile.setColorAt(1, variant == 2 ? QColor(30, 33, 40) : QColor(6, 12, 24));
    p.setPen(QPen(variant == 2 ? QColor(110, 116, 128) : QColor(0, 170, 190), 2.5));
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(3, 3, 58, 58), 13, 13);
    static constexpr double kHeights[2][5] = {{0.45, 0.85, 0.6, 0.95, 0.4},
                                              {0.7, 0.5, 0.95, 0.55, 0.8}};
    const double* heights = kHeights[variant == 1 ? 1 : 0];
    for (int i = 0; i < 5; ++i) {
        const double h = 40 * heights[i];
        const QRectF bar(11 + i * 9, 52 - h, 6.5, h);
        QLinearGradient fill(0, 12, 0, 52);
        if (variant == 2) {
            fill.setColorAt(0, QColor(200, 204, 212));
            fill.setColorAt(1, QColor(110, 116, 128));
        } else {
            fill.setColorAt(0, QColor(0, 247, 239));
            fill.setColorAt(0.6, QColor(0, 145, 185));
            fill.setColorAt(1, QColor(0, 40, 128));
        }
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawRoundedRect(bar, 2, 2);
    }
    return icon;
}

// The icon of a file type Morvane opens: a white page with a folded corner, the program's
// spectrum bars (an audio file) or list lines (a playlist), and from 32 pixels up the label
// (the extension) in a navy band across the bottom.
QImage fileTypeIcon(int size, bool playlist, const QString& label)
{
    QImage icon(size, size, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    const double fold = 16;
    QPainterPath page;
    page.moveTo(10.5, 2.5);
    page.lineTo(53.5 - fold, 2.5);
    page.lineTo(53.5, 2.5 + fold);
    page.lineTo(53.5, 61.5);
    page.lineTo(10.5, 61.5);
    page.closeSubpath();
    const double line = size < 32 ? 64.0 / size : 1.5;
    p.setPen(QPen(QColor(96, 106, 124), line));
    p.setBrush(QColor(250, 251, 253));
    p.drawPath(page);
    QPainterPath corner;
    corner.moveTo(53.5 - fold, 2.5);
    corner.lineTo(53.5 - fold, 2.5 + fold);
    corner.lineTo(53.5, 2.5 + fold);
    corner.closeSubpath();
    p.setBrush(QColor(214, 220, 230));
    p.drawPath(corner);

    const bool labelled = size >= 32;
    const double bottom = labelled ? 42 : 54;
    p.setPen(Qt::NoPen);
    if (playlist) {
        // Three rows of a list, each with a bullet.
        for (int i = 0; i < 3; ++i) {
            const double y = (labelled ? 16 : 22) + i * (labelled ? 8.5 : 11);
            p.setBrush(QColor(0, 145, 185));
            p.drawRect(QRectF(16, y, 6, 5));
            p.setBrush(QColor(24, 44, 74));
            p.drawRect(QRectF(25, y, i == 1 ? 16 : 22, 5));
        }
    } else {
        static constexpr double kHeights[4] = {0.5, 0.95, 0.7, 0.85};
        const double room = bottom - 18;
        for (int i = 0; i < 4; ++i) {
            const double h = room * kHeights[i];
            QLinearGradient fill(0, bottom - room, 0, bottom);
            fill.setColorAt(0, QColor(0, 200, 220));
            fill.setColorAt(1, QColor(0, 40, 128));
            p.setBrush(fill);
            p.drawRect(QRectF(15 + i * 8.5, bottom - h, 6.5, h));
        }
    }
    if (labelled) {
        p.setBrush(QColor(24, 44, 74));
        p.drawRect(QRectF(11.25, 46, 41.5, 15));
        p.setFont(latinFont(label.size() > 3 ? 11 : 13));
        p.setPen(QColor(230, 250, 252));
        p.drawText(QRectF(11.25, 46, 41.5, 15), Qt::AlignCenter, label);
    }
    return icon;
}

QImage versionPicture()
{
    QImage image = ScaledImage({300, 100}, QImage::Format_RGB32);
    QPainter p(&image);
    scaleTo1x(p);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 100);
    sky.setColorAt(0, QColor(14, 26, 46));
    sky.setColorAt(1, QColor(4, 8, 16));
    p.fillRect(QRect(0, 0, 300, 100), sky);
    std::mt19937 stars(11);
    for (int i = 0; i < 90; ++i) {
        const double angle = (stars() % 6283) / 1000.0;
        const double r = 8 + (stars() % 1400) / 10.0;
        const QPointF at(230 + r * std::cos(angle), 38 + r * std::sin(angle) * 0.6);
        const int g = std::min(255, 60 + int(r * 1.3));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(g, g, g));
        p.drawEllipse(at, r > 60 ? 1.0 : 0.6, r > 60 ? 1.0 : 0.6);
    }
    // Spectrum skyline along the bottom.
    std::mt19937 bars(5);
    for (int x = 0; x < 300; x += 4) {
        const double h = 6 + (bars() % 100) / 100.0 * 18 * (1.0 - std::abs(x - 150) / 220.0);
        QLinearGradient fill(0, 100 - 24, 0, 100);
        fill.setColorAt(0, QColor(0, 247, 239, 190));
        fill.setColorAt(1, QColor(0, 40, 128, 120));
        p.fillRect(QRectF(x, 100 - h, 3, h), fill);
    }
    p.drawImage(QRect(14, 12, 36, 36), markIcon(128, 0));
    QFont title = latinFont(26);
    title.setLetterSpacing(QFont::AbsoluteSpacing, 2);
    p.setFont(title);
    p.setPen(QColor(0, 0, 0, 150));
    p.drawText(QPointF(59, 42), QStringLiteral("MORVANE"));
    p.setPen(QColor(200, 250, 252));
    p.drawText(QPointF(58, 40), QStringLiteral("MORVANE"));
    p.setFont(japaneseFont(11));
    p.setPen(QColor(110, 190, 210));
    p.drawText(QPointF(60, 56), QStringLiteral("MP3 プレイヤー"));
    return image;
}

// Tileable 64 x 64 backgrounds for the playlist: light enough that every text colour reads, with
// a pattern strong enough to be seen at once when chosen.
QImage playlistBackground(int n)
{
    QImage tile(64 * Scale(), 64 * Scale(), QImage::Format_RGB32);
    QPainter p(&tile);
    p.scale(Scale(), Scale());
    p.setRenderHint(QPainter::Antialiasing, false);
    switch (n) {
    case 1: // paper with diagonal lines
        tile.fill(QColor(240, 244, 250));
        p.setPen(QColor(196, 210, 230));
        for (int k = -64; k < 64; k += 8)
            p.drawLine(k, 0, k + 63, 63);
        break;
    case 2: { // blue with a dot grid
        tile.fill(QColor(226, 238, 250));
        for (int y = 4; y < 64; y += 8)
            for (int x = (y / 8) % 2 ? 0 : 4; x < 64; x += 8)
                p.fillRect(x, y, 2, 2, QColor(150, 186, 222));
        break;
    }
    case 3: { // sakura with a grid
        tile.fill(QColor(250, 234, 240));
        p.setPen(QColor(226, 184, 202));
        for (int k = 0; k < 64; k += 16) {
            p.drawLine(k, 0, k, 63);
            p.drawLine(0, k, 63, k);
        }
        break;
    }
    default: { // mint with scattered dots (the tile wraps)
        tile.fill(QColor(228, 246, 236));
        std::mt19937 dots(4);
        for (int i = 0; i < 28; ++i) {
            const int x = int(dots() % 63), y = int(dots() % 63);
            const int g = 160 + int(dots() % 24);
            p.fillRect(x, y, 2, 2, QColor(g, g + 40, g + 20));
        }
        break;
    }
    }
    return tile;
}

bool save(const QImage& image, const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!image.save(path)) {
        std::fprintf(stderr, "skingen: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: skingen <skin folder> <data files folder>\n");
        return 2;
    }
    const QString skinDir = QString::fromLocal8Bit(argv[1]);
    const QString dataDir = QString::fromLocal8Bit(argv[2]);

    // Every picture at 1x and, from the same drawing, at 2x for screens of twice the density.
    bool ok = true;
    const QPainterPath glass = glassPath();
    for (int scale : {1, 2}) {
        SetScale(scale);
        const QString suffix = scale == 1 ? QString() : QStringLiteral("@%1x").arg(scale);
        const auto path = [&](const char* name) {
            return QStringLiteral("%1/pictures/%2%3.png").arg(skinDir, name, suffix);
        };
        const QImage body = paintBody(glass);
        ok &= save(body, path("picture2"));
        ok &= save(spriteSheet(body), path("picture1"));
        ok &= save(overlay(body, glass), path("picture3"));
        ok &= save(litButtons(), path("picture5"));
        ok &= save(versionPicture(), path("version"));
        ok &= save(markIcon(32 * scale, 0), path("tray1"));
        ok &= save(markIcon(32 * scale, 1), path("tray2"));
        ok &= save(markIcon(32 * scale, 2), path("tray3"));
    }
    SetScale(1);
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString sizeDir = QStringLiteral("%1/icons/hicolor/%2x%2").arg(skinDir).arg(size);
        ok &= save(markIcon(size, 0), sizeDir + QStringLiteral("/apps/morvane.png"));
        for (const AudioFileType& format : kAudioFileTypes) {
            if (!*format.icon)
                continue;
            const QString label = QString::fromLatin1(format.extension + 1).toUpper();
            ok &= save(fileTypeIcon(size, false, label),
                       sizeDir + QStringLiteral("/mimetypes/%1.png").arg(format.icon));
        }
        ok &= save(fileTypeIcon(size, true, QStringLiteral("M3U")),
                   sizeDir + QStringLiteral("/mimetypes/morvane-audio-x-mpegurl.png"));
    }

    // Qt writes no GIF: the backgrounds go through ImageMagick. The list picks bgN@2x.gif
    // beside bgN.gif on a dense screen.
    for (int scale : {1, 2}) {
        SetScale(scale);
        const QString suffix = scale == 1 ? QString() : QStringLiteral("@%1x").arg(scale);
        for (int n = 1; n <= 4; ++n) {
            const QString png = QDir::temp().filePath(QStringLiteral("morvane-bg%1.png").arg(n));
            const QString gif = QStringLiteral("%1/bg%2%3.gif").arg(dataDir).arg(n).arg(suffix);
            ok &= save(playlistBackground(n), png);
            const int rc = QProcess::execute(QStringLiteral("convert"), {png, gif});
            QFile::remove(png);
            if (rc != 0) {
                std::fprintf(stderr, "skingen: convert failed for %s\n", qPrintable(gif));
                ok = false;
            }
        }
    }
    SetScale(1);
    return ok ? 0 : 1;
}
